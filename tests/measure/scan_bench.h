#pragma once
// Acquisitions on a FakeBench: boxes ticked as the operator ticks them, a module handle, a spectrum measurable by hand.

#include "core/form1.h"
#include "core/shared_state.h"
#include "bench_fixture.h"
#include "laser/frame_codec.h"
#include "measure/measure_controller.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <cmath>
#include <functional>
#include <ostream>

inline constexpr std::int32_t kHandle = 1234;

// A connected module, scan settings typed in, and no library call recorded yet.
inline void prepareScan(FakeBench& b, const QString& dataLength = QStringLiteral("2001"))
{
    Module1.ModuleHandle = kHandle;
    b->form1().Text7->setText(dataLength);
    b.library->calls.clear();
}

// A laser on the open port, range 1260-1340 nm, answering `status`; the power meter first sends Text4 (1300) to it.
inline void connectLaser(FakeBench& b, std::uint16_t status = 0)
{
    b.serial->addPort(7, [status](const QByteArray& written) {
        const std::vector<std::uint8_t> reply = frame::build(written.mid(1, 4).toStdString(), std::vector<std::uint16_t>{status});
        return std::vector<FakeChunk>{{2, QByteArray(reinterpret_cast<const char*>(reply.data()), static_cast<qsizetype>(reply.size()))}};
    });
    b->MSComm1().open(7, QStringLiteral("115200,N,8,1"), 1024);
    Module1.TLSWLMin = 1260.0F;
    Module1.TLSWLMax = 1340.0F;
    b->form1().Text4->setText(QStringLiteral("1300"));
}

inline std::int32_t acquire(FakeBench& b)
{
    std::int32_t result = 0;
    b->measure().engine().AcquireScan(result);
    return result;
}

// Runs `f` from the event loop, i.e. inside the next wait of whatever handler is running.
inline void duringNextWait(std::function<void()> f)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(f), Qt::QueuedConnection);
}

// 1260..1340 nm, 2001 points; a -5 dBm peak at 1300 nm, 20 dB/nm sides, -40 dBm floor: -8 dBm edges 0.15 nm either side.
inline void onePeakAt1300(int i, float& wavelengthPm, float& value)
{
    wavelengthPm = 1260000.0F + static_cast<float>(i) * 40.0F;
    const double offsetNm = (static_cast<double>(wavelengthPm) - 1300000.0) / 1000.0;
    value = static_cast<float>(std::max(-40.0, -5.0 - 20.0 * std::abs(offsetNm)));
}

inline int countCalls(const FakeBench& b, const QString& name)
{
    int n = 0;
    for (const QString& c : b.library->calls) n += c.startsWith(name + QLatin1Char('(')) ? 1 : 0;
    return n;
}

// Ticks one box, the others unticked first: a ticked box's unticked branch could untick the new one again.
inline void selectOnly(FakeBench& b, QCheckBox* box)
{
    Form1& f = b->form1();
    for (QCheckBox* other : {f.CheckPowerMeter, f.CheckAlignMode, f.CheckVXMScanMode})
        if (other != box) other->setChecked(false);
    box->setChecked(true);
}

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
