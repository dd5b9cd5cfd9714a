#include "laser/tls_control_controller.h"

#include "core/dialogs.h"
#include "core/form1.h"
#include "core/info_box.h"
#include "core/shared_state.h"
#include "core/numeric_text.h"
#include "core/texts.h"
#include "core/units.h"
#include "laser/frame_codec.h"
#include "laser/ms_clock.h"
#include "laser/tls_link.h"

#include <QSignalBlocker>

#include <exception>
#include <limits>

namespace {

constexpr std::int64_t kMaxSweepSpeed = 65535;  // one 16-bit word of the start-sweep frame

// A caption in the current language; another language leaves the caption as it is.
void setCaption(QPushButton* button, const QString& caption)
{
    if (!caption.isNull()) button->setText(caption);
}

void setEnabled(std::initializer_list<QWidget*> widgets, bool enabled)
{
    for (QWidget* w : widgets) w->setEnabled(enabled);
}

QString statusOf(const QString& reply) { return reply.mid(14, 4); }

// Integer part of the nm value, times 1000: the content of a 32-bit wavelength field.
std::int64_t sweepPm(double nm) { return static_cast<std::int64_t>(floorToInt32(nm)) * 1000; }

bool fitsWavelengthField(std::int64_t pm)
{
    return pm >= std::numeric_limits<std::int32_t>::min() && pm <= std::numeric_limits<std::int32_t>::max();
}

// A command with no data words, by its letters.
QString bare(const char* command4) { return QString::fromStdString(frame::commandText(command4, 0)); }

}  // namespace

QString sweepStartCommand(double startNm, double stopNm, std::int64_t speed)
{
    std::vector<std::uint16_t> words{1};
    frame::appendWord32(words, static_cast<std::int32_t>(sweepPm(startNm)));
    frame::appendWord32(words, static_cast<std::int32_t>(sweepPm(stopNm)));
    // A speed beyond 16 bits is refused before a frame is built.
    words.insert(words.end(), {0, 0, 0, static_cast<std::uint16_t>(speed), 100, 0});
    std::string text = frame::commandText("SWST", 11, words);
    text += frame::hexPadded(frame::checksumOfHex(text, 28), 4);
    return QString::fromStdString(text);
}

TlsControlController::TlsControlController(Form1& form, InfoBox& info, TlsLink& link, Waits& waits)
    : QObject(&form), form_(form), info_(info), link_(link), waits_(waits)
{
    Form1& f = form_;
    connect(f.TLSOnOff, &QPushButton::toggled, this, [this] { TLSOnOff_Click(); });
    connect(f.StartStopSweep, &QPushButton::toggled, this, [this] { StartStopSweep_Click(); });
    connect(f.Reflection, &QPushButton::clicked, this, [this] { Reflection_Click(); });
    connect(f.Transmission, &QPushButton::clicked, this, [this] { Transmission_Click(); });
}

QString TlsControlController::exchange(QString command, std::int16_t mode, std::int16_t lastIndex,
                                       std::int32_t parameter, double delayMs)
{
    TlsLink& link = link_;
    link.SendTLSCommand(mode, lastIndex, parameter, command);
    waits_.Delay(delayMs);
    QString reply;
    QString checksum;
    link.ReceiveTLSReply(reply, checksum);
    return reply;
}

void TlsControlController::checkStatus(const QString& reply)
{
    // A time-out leaves the reply empty, whose empty code reads as an unknown error.
    const QString status = statusOf(reply);
    if (status != QLatin1String("0000")) link_.ReportTLSError(status);
}

void TlsControlController::TLSOnOff_Click()
{
    try {
        if (form_.TLSOnOff->isChecked())
            laserOn();
        else
            laserOff();
    } catch (const std::exception&) {
        dialogs().warning(QStringLiteral(" Set TLS On/Off error!"));
    }
}

void TlsControlController::laserOn()
{
    Form1& f = form_;
    exchange(bare("LSON"), 1, 8);  // the reply is not examined
    ReadTLSSweepMode();
    info_.setColor(VbColor::Black);
    info_.setText(T("laser.isOn"));
    setCaption(f.TLSOnOff, T("laser.offCaption"));
    setBackColor(f.TLSOnOff, VbColor::Green);
    setEnabled({f.StartStopSweep, f.CheckPowerMeter}, true);
    setEnabled({f.CheckAlignMode, f.CheckVXMScanMode, f.CheckRemoveBKG}, false);
    setEnabled({f.Text1, f.Text2, f.Text3, f.Reflection, f.Transmission}, true);
    if (Module1.ChannelSelect == 0) setBackColor(f.Reflection, VbColor::PaleGreen);
    if (Module1.ChannelSelect == 1) setBackColor(f.Transmission, VbColor::PaleGreen);
}

void TlsControlController::laserOff()
{
    Form1& f = form_;
    exchange(bare("LSOF"), 1, 8);  // the reply is not examined
    info_.setColor(VbColor::Black);
    info_.setText(T("laser.isOff"));
    setCaption(f.TLSOnOff, T("laser.onCaption"));
    setBackColor(f.TLSOnOff, VbColor::ButtonFace);
    setEnabled({f.CheckPowerMeter, f.CheckAlignMode, f.CheckVXMScanMode, f.CheckRemoveBKG, f.TakeBackground,
                f.MeasureSpectrum, f.Reflection, f.Transmission},
               false);
    setEnabled({f.Text1, f.Text2, f.Text3, f.Text4, f.Text5, f.Text6, f.Text7, f.Text8}, false);
    // Releasing the toggle runs the stop branch when the laser was sweeping.
    f.StartStopSweep->setChecked(false);
    f.StartStopSweep->setEnabled(false);
    setCaption(f.StartStopSweep, T("laser.startSweepCaption"));
    setBackColor(f.StartStopSweep, VbColor::ButtonFace);
}

void TlsControlController::ReadTLSSweepMode()
{
    try {
        Module1.TLSSweepMode = 100;  // marks the query as running
        const QString reply = exchange(bare("RDSW"), 1, 8);
        Module1.TLSSweepMode = statusOf(reply) == QLatin1String("0000")
                                   ? static_cast<std::int32_t>(frame::hexValue(reply.mid(18, 4).toStdString()))
                                   : 0;
        if (Module1.TLSSweepMode == 1) form_.Text3->setText(QStringLiteral("120"));
    } catch (const std::exception&) {
    }
}

void TlsControlController::StartStopSweep_Click()
{
    try {
        if (form_.StartStopSweep->isChecked())
            startSweep();
        else
            stopSweep();
    } catch (const std::exception&) {
        dialogs().warning(QStringLiteral(" TLS sweeping failed!"));
    }
}

void TlsControlController::startSweep()
{
    Form1& f = form_;
    const std::int64_t speed = frame::roundHalfEven(leadingNumber(f.Text3->text()));
    if (speed < 0 || speed > kMaxSweepSpeed) {
        // A speed that does not fit its 16-bit word would break the frame.
        refuseSweep(T("laser.sweepSpeedInvalid"));
        return;
    }

    const double startNm = leadingNumber(f.Text1->text());
    const double stopNm = leadingNumber(f.Text2->text());
    if (!fitsWavelengthField(sweepPm(startNm)) || !fitsWavelengthField(sweepPm(stopNm))) {
        // Cut to 32 bits it would tell the laser another wavelength: refuse, as for the speed.
        refuseSweep(T("laser.sweepWavelengthInvalid"));
        return;
    }
    const QString command = sweepStartCommand(startNm, stopNm, speed);
    const QString reply = exchange(command, 3, 30);
    info_.setColor(VbColor::Black);
    setCaption(f.StartStopSweep, T("laser.stopSweepCaption"));
    setBackColor(f.StartStopSweep, VbColor::Green);
    f.CheckPowerMeter->setChecked(false);
    f.CheckPowerMeter->setEnabled(false);
    setEnabled({f.CheckAlignMode, f.CheckVXMScanMode}, true);
    setEnabled({f.CheckRemoveBKG, f.SingleMeasure, f.RepeatMeasure, f.StopVXMScan, f.TakeBackground,
                f.MeasureSpectrum},
               false);
    setEnabled({f.Text1, f.Text2, f.Text3, f.Text4, f.Text5, f.Text6, f.Text7, f.Text8}, false);
    checkStatus(reply);
}

// Refused before anything is sent: the sweep stays idle, quietly, so the stop branch does not run
// for a sweep that never started.
void TlsControlController::refuseSweep(const QString& reason)
{
    info_.setColor(VbColor::Red);
    info_.setText(reason);
    const QSignalBlocker quiet(form_.StartStopSweep);
    form_.StartStopSweep->setChecked(false);
}

void TlsControlController::stopSweep()
{
    Form1& f = form_;
    const QString reply = exchange(bare("SWSP"), 3, 8, 0, 200);
    info_.setColor(VbColor::Black);
    info_.setText(T("laser.sweepStopped"));
    setCaption(f.StartStopSweep, T("laser.startSweepCaption"));
    setBackColor(f.StartStopSweep, VbColor::ButtonFace);
    f.CheckPowerMeter->setEnabled(true);
    setEnabled({f.CheckAlignMode, f.CheckVXMScanMode, f.CheckRemoveBKG}, false);
    for (QCheckBox* option : {f.CheckPowerMeter, f.CheckAlignMode, f.CheckVXMScanMode, f.CheckRemoveBKG})
        option->setChecked(false);
    f.StartStopSweep->setEnabled(true);
    setEnabled({f.SingleMeasure, f.RepeatMeasure, f.StopVXMScan, f.TakeBackground, f.MeasureSpectrum}, false);
    setEnabled({f.Text1, f.Text2, f.Text3}, true);
    setEnabled({f.Text4, f.Text5, f.Text6, f.Text7, f.Text8}, false);
    checkStatus(reply);
}

void TlsControlController::SetTLSWavelength()
{
    try {
        const std::int32_t pm = floorToInt32(1000 * leadingNumber(form_.Text4->text()));
        const double lowest = 1000.0 * static_cast<double>(Module1.TLSWLMin);
        const double highest = 1000.0 * static_cast<double>(Module1.TLSWLMax);
        if (pm < lowest || pm > highest) {
            info_.setColor(VbColor::Red);
            info_.setText(T("laser.wavelengthOutOfRange"));
            return;
        }
        checkStatus(exchange(QString::fromStdString(frame::commandText("GOWL", 2)), 2, 12, pm));
    } catch (const std::exception&) {
        dialogs().warning(QStringLiteral(" Wavelength setting failed!"));
    }
}

void TlsControlController::Reflection_Click()
{
    Form1& f = form_;
    Module1.ChannelSelect = 0;
    setBackColor(f.Reflection, VbColor::PaleGreen);
    setBackColor(f.Transmission, VbColor::LightGrey);
}

void TlsControlController::Transmission_Click()
{
    Form1& f = form_;
    Module1.ChannelSelect = 1;
    setBackColor(f.Transmission, VbColor::PaleGreen);
    setBackColor(f.Reflection, VbColor::LightGrey);
}
