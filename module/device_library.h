#pragma once
// The module's device library as the handlers see it. `LoadedDeviceLibrary` opens the real
// libKetrolanLib.so at run time; tests substitute their own implementation.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class DeviceLibrary {
public:
    virtual ~DeviceLibrary() = default;
    virtual std::int32_t Initialize_Lib(std::int32_t reserved) = 0;
    virtual std::int32_t Get_Lib_Version(std::uint8_t* version9) = 0;
    virtual std::int32_t Initialize_Port(std::int32_t comIndex) = 0;
    virtual std::int32_t Initialize_Connection(std::int32_t handle) = 0;
    virtual std::int32_t Get_Info(std::int32_t handle, std::uint8_t* info151) = 0;
    virtual std::int32_t Read_PowerMeter(std::int32_t handle, std::int32_t channel, float* powerDbm) = 0;
    virtual std::int32_t Start_Scan(std::int32_t handle, std::int32_t startNm, std::int32_t stopNm,
                                    std::int32_t speed, std::int32_t averages, std::int32_t dataLength,
                                    std::int32_t channel, std::int32_t sweepFlag) = 0;
    virtual std::int32_t AlignMode_Scan(std::int32_t handle, std::int32_t startNm, std::int32_t stopNm,
                                        std::int32_t speed, std::int32_t channel, std::int32_t sweepFlag) = 0;
    virtual std::int32_t Is_Scan_Done(std::int32_t handle) = 0;
    virtual std::int32_t Get_ScanData(std::int32_t handle, float* wavelengthPm, float* powerDbm,
                                      std::int32_t dataLength, std::int32_t channel) = 0;
    virtual std::int32_t Get_AlignMode_Data(std::int32_t handle, float* wavelengthPm, float* powerDbm,
                                            std::int32_t* count, std::int32_t channel) = 0;
    virtual std::int32_t Stop_Scan(std::int32_t handle) = 0;
    virtual std::int32_t Stop_All() = 0;
    virtual std::int32_t Release(std::int32_t handle) = 0;
    virtual std::int32_t Release_All() = 0;

    // Empty when the library and all its functions were found; otherwise says what is missing.
    virtual QString loadProblem() const { return {}; }
};

// The status every call of a library that could not be loaded returns: neither a success (1) nor
// a valid handle (above 1000).
inline constexpr std::int32_t kLibraryUnavailable = -1;

// Opens the device library: $VXM_MODULE_LIBRARY when set, else libKetrolanLib.so beside the
// program, else the system's library path. Never fails: a missing library or function makes the
// affected calls return kLibraryUnavailable.
std::unique_ptr<DeviceLibrary> loadDeviceLibrary();

// The candidates tried in order, for messages and tests.
QStringList deviceLibraryCandidates();
