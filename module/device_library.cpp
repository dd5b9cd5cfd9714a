#include "module/device_library.h"

#include "module/ketrolan_lib.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace {

constexpr const char* kLibraryFile = "libKetrolanLib.so";

class LoadedDeviceLibrary final : public DeviceLibrary {
public:
    LoadedDeviceLibrary()
    {
        const QStringList candidates = deviceLibraryCandidates();
        QStringList errors;
        for (const QString& name : candidates) {
            lib_.setFileName(name);
            if (lib_.load()) break;
            errors << lib_.errorString();
        }
        if (!lib_.isLoaded()) {
            problem_ = errors.isEmpty() ? QStringLiteral("not found") : errors.last();
            return;
        }
        QStringList missing;
        resolve(initializeLib_, "Ketrolan_Initialize_Lib", missing);
        resolve(getLibVersion_, "Ketrolan_Get_Lib_Version", missing);
        resolve(initializePort_, "Ketrolan_Initialize_Port", missing);
        resolve(initializeConnection_, "Ketrolan_Initialize_Connection", missing);
        resolve(getInfo_, "Ketrolan_Get_Info", missing);
        resolve(readPowerMeter_, "Ketrolan_Read_PowerMeter", missing);
        resolve(startScan_, "Ketrolan_Start_Scan", missing);
        resolve(alignModeScan_, "Ketrolan_AlignMode_Scan", missing);
        resolve(isScanDone_, "Ketrolan_Is_Scan_Done", missing);
        resolve(getScanData_, "Ketrolan_Get_ScanData", missing);
        resolve(getAlignModeData_, "Ketrolan_Get_AlignMode_Data", missing);
        resolve(stopScan_, "Ketrolan_Stop_Scan", missing);
        resolve(stopAll_, "Ketrolan_Stop_All", missing);
        resolve(release_, "Ketrolan_Release", missing);
        resolve(releaseAll_, "Ketrolan_Release_All", missing);
        if (!missing.isEmpty())
            problem_ = QStringLiteral("%1 lacks %2").arg(lib_.fileName(), missing.join(QStringLiteral(", ")));
    }

    std::int32_t Initialize_Lib(std::int32_t a) override { return call(initializeLib_, a); }
    std::int32_t Get_Lib_Version(std::uint8_t* v) override { return call(getLibVersion_, v); }
    std::int32_t Initialize_Port(std::int32_t i) override { return call(initializePort_, i); }
    std::int32_t Initialize_Connection(std::int32_t h) override { return call(initializeConnection_, h); }
    std::int32_t Get_Info(std::int32_t h, std::uint8_t* b) override { return call(getInfo_, h, b); }
    std::int32_t Read_PowerMeter(std::int32_t h, std::int32_t c, float* p) override
    {
        return call(readPowerMeter_, h, c, p);
    }
    std::int32_t Start_Scan(std::int32_t h, std::int32_t a, std::int32_t b, std::int32_t s, std::int32_t avg,
                            std::int32_t n, std::int32_t c, std::int32_t f) override
    {
        return call(startScan_, h, a, b, s, avg, n, c, f);
    }
    std::int32_t AlignMode_Scan(std::int32_t h, std::int32_t a, std::int32_t b, std::int32_t s, std::int32_t c,
                                std::int32_t f) override
    {
        return call(alignModeScan_, h, a, b, s, c, f);
    }
    std::int32_t Is_Scan_Done(std::int32_t h) override { return call(isScanDone_, h); }
    std::int32_t Get_ScanData(std::int32_t h, float* wl, float* p, std::int32_t n, std::int32_t c) override
    {
        return call(getScanData_, h, wl, p, n, c);
    }
    std::int32_t Get_AlignMode_Data(std::int32_t h, float* wl, float* p, std::int32_t* n, std::int32_t c) override
    {
        return call(getAlignModeData_, h, wl, p, n, c);
    }
    std::int32_t Stop_Scan(std::int32_t h) override { return call(stopScan_, h); }
    std::int32_t Stop_All() override { return call(stopAll_); }
    std::int32_t Release(std::int32_t h) override { return call(release_, h); }
    std::int32_t Release_All() override { return call(releaseAll_); }

    QString loadProblem() const override { return problem_; }

private:
    template <typename Fn>
    void resolve(Fn*& fn, const char* symbol, QStringList& missing)
    {
        fn = reinterpret_cast<Fn*>(lib_.resolve(symbol));
        if (!fn) missing << QString::fromLatin1(symbol);
    }

    template <typename Fn, typename... Args>
    static std::int32_t call(Fn* fn, Args... args)
    {
        return fn ? fn(args...) : kLibraryUnavailable;
    }

    QLibrary lib_;
    QString problem_;
    decltype(&Ketrolan_Initialize_Lib) initializeLib_ = nullptr;
    decltype(&Ketrolan_Get_Lib_Version) getLibVersion_ = nullptr;
    decltype(&Ketrolan_Initialize_Port) initializePort_ = nullptr;
    decltype(&Ketrolan_Initialize_Connection) initializeConnection_ = nullptr;
    decltype(&Ketrolan_Get_Info) getInfo_ = nullptr;
    decltype(&Ketrolan_Read_PowerMeter) readPowerMeter_ = nullptr;
    decltype(&Ketrolan_Start_Scan) startScan_ = nullptr;
    decltype(&Ketrolan_AlignMode_Scan) alignModeScan_ = nullptr;
    decltype(&Ketrolan_Is_Scan_Done) isScanDone_ = nullptr;
    decltype(&Ketrolan_Get_ScanData) getScanData_ = nullptr;
    decltype(&Ketrolan_Get_AlignMode_Data) getAlignModeData_ = nullptr;
    decltype(&Ketrolan_Stop_Scan) stopScan_ = nullptr;
    decltype(&Ketrolan_Stop_All) stopAll_ = nullptr;
    decltype(&Ketrolan_Release) release_ = nullptr;
    decltype(&Ketrolan_Release_All) releaseAll_ = nullptr;
};

}  // namespace

QStringList deviceLibraryCandidates()
{
    const QString overridePath = qEnvironmentVariable("VXM_MODULE_LIBRARY");
    if (!overridePath.isEmpty()) return {overridePath};
    QStringList names;
    const QString appDir = QCoreApplication::applicationDirPath();
    if (!appDir.isEmpty()) names << QDir(appDir).filePath(QString::fromLatin1(kLibraryFile));
    names << QString::fromLatin1(kLibraryFile);  // the system's library path
    return names;
}

std::unique_ptr<DeviceLibrary> loadDeviceLibrary() { return std::make_unique<LoadedDeviceLibrary>(); }
