// The laser identity decoding over any reply: the decoders on arbitrary text, then the probe
// (`ProbeDeviceIdentity`) and Read TLS Info (`GetTLSInfo`) of a bench whose laser answers the
// identity query with the input's bytes.

#include "core/form1.h"
#include "core/info_box.h"
#include "core/progress_strip.h"
#include "core/shared_state.h"
#include "core/numeric_text.h"
#include "fuzz_support.h"
#include "laser/identity_fields.h"
#include "laser/tls_link.h"
#include "laser/tls_port_controller.h"

#include <cmath>

namespace {

constexpr int kFieldBytes[5] = {20, 20, 10, 8, 12};
const QString kCrLf = QStringLiteral("\r\n");

// The decoders on arbitrary text, which need not be hexadecimal at all.
void decodeText(const QString& text)
{
    for (int last : {157, 161}) {
        const std::array<QString, 5> fields = identity::decodeTextFields(text, last);
        for (std::size_t i = 0; i < fields.size(); ++i) FUZZ_CHECK(fields[i].size() <= kFieldBytes[i]);
        FUZZ_CHECK(identity::englishDate(fields[2]).endsWith(kCrLf));
        FUZZ_CHECK(identity::chineseDate(fields[2]).endsWith(kCrLf));
    }
    for (int position : {11, 163, 167, 175}) {
        const auto value = identity::hexField(text, position, position == 11 || position == 163 ? 4 : 8);
        if (!value) continue;
        // The wavelength text reads back as the same number of picometres.
        const auto pm = static_cast<std::int32_t>(*value);
        const QString nm = identity::nmText(pm);
        FUZZ_CHECK(std::llround(nm.toDouble() * 1000.0) == pm);
    }
}

// The laser's port controller over a scripted port: only what the identity exchanges use.
struct IdentityBench {
    // Pauses only move the time: nothing checked here waits on the event loop, and serving it
    // would slow every input down.
    FakeClock clock{0, FakeClock::Events::Left};
    FakeSerialPort port{clock};
    Form1 form;
    InfoBox info{form.DisplayInfo};
    Waits waits{clock};
    TlsLink link{port, waits, info};
    ProgressStrip progress{form, [] { return nullptr; }};
    TlsPortController controller{form, info, link, port, progress};
};

IdentityBench& bench()
{
    static IdentityBench* theBench = [] {
        fuzz::ensureApplication();
        return new IdentityBench;
    }();
    return *theBench;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    bench();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    decodeText(QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));

    IdentityBench& b = bench();
    FakeSerialPort* port = &b.port;
    fuzz::Input in(data, size);
    Module1.TLSTimeoutMs = 100;
    Module1.Language = (in.byte() & 1) != 0 ? 2 : 1;
    const std::vector<FakeChunk> script = fuzz::scriptFrom(in);
    port->addPort(4, answering(script));
    port->open(4, {}, 8192);

    std::array<QString, 5> probe;
    QString checksum;
    b.controller.ProbeDeviceIdentity(probe, checksum);
    for (std::size_t i = 0; i < probe.size(); ++i) FUZZ_CHECK(probe[i].size() <= kFieldBytes[i]);
    FUZZ_CHECK(Module1.ProbePN == probe[0] + kCrLf);
    FUZZ_CHECK(Module1.ProbeHR == probe[4] + kCrLf);

    std::array<QString, 8> info;
    b.controller.GetTLSInfo(info, checksum);
    const QByteArray reply = port->delivered();
    const auto byteAt = [&](int i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(reply[i])); };
    // A complete identity reply arriving in one block: the range is the frame's, in nm.
    if (script.size() == 1 && reply.size() >= 93 && byteAt(5) == 0 && byteAt(6) == 42) {
        const auto word32 = [&](int i) {
            return static_cast<std::int32_t>(byteAt(i) << 24 | byteAt(i + 1) << 16 | byteAt(i + 2) << 8 | byteAt(i + 3));
        };
        FUZZ_CHECK(Module1.TLSWLMin == static_cast<float>(word32(83) / 1000.0));
        FUZZ_CHECK(Module1.TLSWLMax == static_cast<float>(word32(87) / 1000.0));
        FUZZ_CHECK(Module1.TLSLaserState == static_cast<std::int32_t>(byteAt(81) << 8 | byteAt(82)));
        FUZZ_CHECK(Module1.TLSInfoWL == info[6] + QLatin1Char('-') + info[7] + QStringLiteral(" (nm)"));
    }
    port->close();
    // The bench lives for the whole run: what the port recorded would only grow.
    port->written.clear();
    port->openAttempts.clear();
    return 0;
}
