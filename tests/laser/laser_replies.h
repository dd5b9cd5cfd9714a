#pragma once
// Reply frames as the laser sends them, and a scripted laser for the fake serial port.

#include "fake_serial_port.h"
#include "laser/frame_codec.h"

#include <QByteArray>
#include <QString>

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

// Adds `text` as NUL-padded ASCII taking `bytes` bytes (bytes is even).
inline void appendText(std::vector<std::uint16_t>& words, const std::string& text, std::size_t bytes)
{
    std::string padded = text.substr(0, bytes);
    padded.resize(bytes, '\0');
    for (std::size_t i = 0; i < bytes; i += 2)
        words.push_back(static_cast<std::uint16_t>((static_cast<std::uint8_t>(padded[i]) << 8) |
                                                   static_cast<std::uint8_t>(padded[i + 1])));
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

// The 93-byte answer to SNFV (L = 42).
inline QByteArray identityReply(const Identity& id)
{
    std::vector<std::uint16_t> words{0x0000};
    appendText(words, id.pn, 20);
    appendText(words, id.sn, 20);
    appendText(words, id.date, 10);
    appendText(words, id.fr, 8);
    appendText(words, id.hr, 12);
    words.push_back(0);  // bytes 79..80, not read
    words.push_back(id.state);
    frame::appendWord32(words, id.minPm);
    frame::appendWord32(words, id.maxPm);
    return bytesOf(frame::build("SNFV", words));
}

// A laser that answers every command with status 0 (sweep mode `sweepMode` to RDSW), the
// identity to SNFV, and the given status to the commands named in `failing`.
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

