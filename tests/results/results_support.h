#pragma once
// Pieces shared by the results tests: a synthetic spectrum, a scratch home folder and
// file helpers.

#include "core/shared_state.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>

namespace results_test {

// Three transmission channels (1532, 1540, 1548 nm) over a gentle slope from 1525 to 1555 nm.
inline void loadSpectrum(int points = 2001, std::int16_t kind = 3)
{
    Module1.ScanWL.resize(static_cast<std::size_t>(points));
    Module1.ScanValue.resize(static_cast<std::size_t>(points));
    for (int i = 0; i < points; ++i) {
        const double wl = 1525.0 + 30.0 * i / (points - 1);
        double v = -32.0 + 0.1 * (wl - 1525.0);
        for (double centre : {1532.0, 1540.0, 1548.0}) v += 28.0 * std::exp(-std::pow((wl - centre) / 0.8, 2));
        Module1.ScanWL[static_cast<std::size_t>(i)] = static_cast<float>(wl);
        Module1.ScanValue[static_cast<std::size_t>(i)] = static_cast<float>(v);
    }
    Module1.LastPointIndex = points - 1;
    Module1.TraceKind = kind;
}

// Points HOME at a folder the test owns, so the documents folder the dialogs open in is scratch.
class ScratchHome {
public:
    ScratchHome()
    {
        qputenv("HOME", home_.path().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");  // its user-dirs.dirs could name another documents folder
    }
    ~ScratchHome()
    {
        qputenv("HOME", oldHome_);
        if (!oldConfig_.isEmpty()) qputenv("XDG_CONFIG_HOME", oldConfig_);
    }
    ScratchHome(const ScratchHome&) = delete;
    ScratchHome& operator=(const ScratchHome&) = delete;
    QString path() const { return home_.path(); }

private:
    QTemporaryDir home_;
    QByteArray oldHome_ = qgetenv("HOME"), oldConfig_ = qgetenv("XDG_CONFIG_HOME");
};

inline QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

}  // namespace results_test
