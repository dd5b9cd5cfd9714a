#pragma once
// What the station, remote, verdict and end-to-end tests share: the language texts are read in, a
// channel's figures with a known loss, a small recipe for a bench of fakes, and files written out.

#include "core/shared_state.h"
#include "verdict/figures.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

// Module1.Language for the scope's life: 1 English, 2 Chinese.
struct LanguageScope {
    explicit LanguageScope(int language = 1) : saved(Module1.Language) { Module1.Language = static_cast<std::int16_t>(language); }
    ~LanguageScope() { Module1.Language = saved; }
    std::int16_t saved;
};

// A channel at `centerNm` with the insertion loss `il` and a ripple of 0.25 dB, nothing else measured.
inline verdict::ChannelFigures channelAt(double centerNm, double il)
{
    verdict::ChannelFigures f;
    f.values.fill(std::numeric_limits<double>::quiet_NaN());
    f.centerNm = centerNm;
    f[verdict::Figure::InsertionLoss] = il;
    f[verdict::Figure::Ripple] = 0.25;
    return f;
}

// A device-IL recipe at revision 3 from `startNm` to 1340 nm in 2001 points, the background removed
// and at most an hour old, its loss at most `maxLossDb`; with `ports` ("[1, 2]") one channel per port.
inline QByteArray recipeText(const char* name, double maxLossDb, const char* ports = nullptr, int startNm = 1260)
{
    QByteArray text = QByteArray(R"({"name": ")") + name + R"(", "revision": 3, "part_number": "FAKE-1",
 "scan": {"measurement": "device_il", "start_nm": )" + QByteArray::number(startNm) + R"(, "stop_nm": 1340, "speed_nm_s": 100, "averages": 1,
          "data_length": 2001, "channel": 1, "path": "transmission", "n_db": 3, "remove_background": true},
 "limits": {)" + (ports ? QByteArray(R"("channels": 2, )") : QByteArray()) +
                      R"("all": {"insertion_loss": {"max": )" + QByteArray::number(maxLossDb) + R"(}}},
 "reference": {"max_age_min": 60})";
    if (ports) text += QByteArray(R"(, "ports": )") + ports;
    return text + "}\n";
}

inline void writeFileIn(const QString& folder, const char* file, const QByteArray& text)
{
    QDir().mkpath(folder);
    QFile out(QDir(folder).filePath(QString::fromLatin1(file)));
    EXPECT_TRUE(out.open(QIODevice::WriteOnly)) << file;
    out.write(text);
}
