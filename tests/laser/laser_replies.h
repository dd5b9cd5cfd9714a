#pragma once
// Reply frames as the laser sends them, and a scripted laser for the fake serial port.

#include "fake_serial_port.h"
#include "laser/frame_codec.h"
#include "sim/identity.h"

#include <QByteArray>

#include <string>
#include <vector>

inline QByteArray bytesOf(const std::vector<std::uint8_t>& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}

// A reply: the command letters, the status word, then further words.
inline QByteArray replyFrame(const char* command, std::uint16_t status, std::vector<std::uint16_t> words = {})
{
    words.insert(words.begin(), status);
    return bytesOf(frame::build(command, words));
}

struct Identity {
    std::string pn = "TLS-1300-A";
    std::string sn = "SN20190517";
    std::string date = "05/17/2019";
    std::string fr = "1.2.3";
    std::string hr = "HW-B";
    std::uint16_t state = 0;
    std::int32_t minPm = 1260000;
    std::int32_t maxPm = 1340000;
};

// The 93-byte answer to SNFV (L = 42), encoded as the simulated instruments encode it.
inline QByteArray identityReply(const Identity& id)
{
    const vxmsim::Identity text{id.pn, id.sn, id.date, id.fr, id.hr};
    return bytesOf(frame::build("SNFV", vxmsim::identityWords(text, id.state, id.minPm, id.maxPm)));
}

// A laser answering status 0, its identity to SNFV, `sweepMode` to RDSW and `failingStatus` to `failingCommand`.
struct ScriptedLaser {
    Identity identity;
    std::uint16_t sweepMode = 0;
    std::string failingCommand;  // e.g. "SWST"
    std::uint16_t failingStatus = 0x0002;
    std::vector<std::string> received;  // command letters in order

    FakeDevice device()
    {
        return [this](const QByteArray& written) {
            const std::string command = written.mid(1, 4).toStdString();
            received.push_back(command);
            QByteArray answer;
            if (command == failingCommand)
                answer = replyFrame(command.c_str(), failingStatus);
            else if (command == "SNFV")
                answer = identityReply(identity);
            else if (command == "RDSW")
                answer = replyFrame("RDSW", 0, {sweepMode});
            else
                answer = replyFrame(command.c_str(), 0);
            return std::vector<FakeChunk>{{2, answer}};
        };
    }
};

