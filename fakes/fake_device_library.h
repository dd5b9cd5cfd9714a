#pragma once
// A device library the tests script: every call is recorded by name, results come from the
// fields below.

#include "module/device_library.h"

#include <QStringList>

#include <array>
#include <functional>
#include <vector>

class FakeDeviceLibrary final : public DeviceLibrary {
public:
    std::int32_t Initialize_Lib(std::int32_t reserved) override;
    std::int32_t Get_Lib_Version(std::uint8_t* version9) override;
    std::int32_t Initialize_Port(std::int32_t comIndex) override;
    std::int32_t Initialize_Connection(std::int32_t handle) override;
    std::int32_t Get_Info(std::int32_t handle, std::uint8_t* info151) override;
    std::int32_t Read_PowerMeter(std::int32_t handle, std::int32_t channel, float* powerDbm) override;
    std::int32_t Start_Scan(std::int32_t handle, std::int32_t startNm, std::int32_t stopNm, std::int32_t speed,
                            std::int32_t averages, std::int32_t dataLength, std::int32_t channel,
                            std::int32_t sweepFlag) override;
    std::int32_t AlignMode_Scan(std::int32_t handle, std::int32_t startNm, std::int32_t stopNm, std::int32_t speed,
                                std::int32_t channel, std::int32_t sweepFlag) override;
    std::int32_t Is_Scan_Done(std::int32_t handle) override;
    std::int32_t Get_ScanData(std::int32_t handle, float* wavelengthPm, float* powerDbm, std::int32_t dataLength,
                              std::int32_t channel) override;
    std::int32_t Get_AlignMode_Data(std::int32_t handle, float* wavelengthPm, float* powerDbm, std::int32_t* count,
                                    std::int32_t channel) override;
    std::int32_t Stop_Scan(std::int32_t handle) override;
    std::int32_t Stop_All() override;
    std::int32_t Release(std::int32_t handle) override;
    std::int32_t Release_All() override;
    QString loadProblem() const override { return problem; }

    // Scripted results.
    QString problem;
    std::int32_t portHandle = 1234;
    std::int32_t connectionResult = 1;
    std::int32_t infoResult = 1;
    std::array<std::uint8_t, 151> info{};
    std::array<std::uint8_t, 9> version{'1', '.', '0', '.', '0', '0', '0', '0', 0};
    std::vector<float> powerReadings{-10.0F};  // one per attempt; the last repeats
    std::vector<std::int32_t> powerResults{1};  // one per attempt; the last repeats
    std::int32_t startResult = 1;
    std::int32_t donePollsBeforeDone = 0;
    std::int32_t dataResult = 1;
    std::int32_t alignCount = 20001;
    // Fills point i of a scan: wavelength in pm and value in dBm.
    std::function<void(int i, float& wavelengthPm, float& value)> point = [](int i, float& wl, float& v) {
        wl = 1260000.0F + static_cast<float>(i) * 4.0F;
        v = -10.0F;
    };
    std::int32_t stopResult = 1;
    // A call name ("Get_Info") that throws after being recorded: a run-time fault in the library.
    QString faultOn;

    // What was called, in order ("Initialize_Port(6)", "Stop_All()", ...), unless `keepCalls` is
    // off, as a run of thousands of passes wants it.
    QStringList calls;
    bool keepCalls = true;
    // Get_ScanData calls so far, kept either way.
    std::int64_t dataTransfers = 0;

private:
    // Notes the call, throws when it is the scripted fault, and hands `result` back.
    std::int32_t record(const QString& call, std::int32_t result);
    int powerAttempts_ = 0;
    int polls_ = 0;
};
