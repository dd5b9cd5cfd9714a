#include "fake_device_library.h"

#include <algorithm>
#include <stdexcept>

namespace {
template <typename... A>
QString callText(const char* name, A... args)
{
    QStringList parts;
    (parts << ... << QString::number(args));
    return QStringLiteral("%1(%2)").arg(QLatin1String(name), parts.join(QLatin1Char(',')));
}
QString callText(const char* name) { return QStringLiteral("%1()").arg(QLatin1String(name)); }
}  // namespace

std::int32_t FakeDeviceLibrary::Initialize_Lib(std::int32_t reserved)
{
    record(callText("Initialize_Lib", reserved));
    return 1;
}

std::int32_t FakeDeviceLibrary::Get_Lib_Version(std::uint8_t* version9)
{
    record(callText("Get_Lib_Version"));
    std::copy(version.begin(), version.end(), version9);
    return 1;
}

std::int32_t FakeDeviceLibrary::Initialize_Port(std::int32_t comIndex)
{
    record(callText("Initialize_Port", comIndex));
    return portHandle;
}

std::int32_t FakeDeviceLibrary::Initialize_Connection(std::int32_t handle)
{
    record(callText("Initialize_Connection", handle));
    return connectionResult;
}

std::int32_t FakeDeviceLibrary::Get_Info(std::int32_t handle, std::uint8_t* info151)
{
    record(callText("Get_Info", handle));
    std::copy(info.begin(), info.end(), info151);
    return infoResult;
}

std::int32_t FakeDeviceLibrary::Read_PowerMeter(std::int32_t handle, std::int32_t channel, float* powerDbm)
{
    record(callText("Read_PowerMeter", handle, channel));
    const auto at = [this](const auto& v) { return v[std::min<std::size_t>(powerAttempts_, v.size() - 1)]; };
    *powerDbm = at(powerReadings);
    const std::int32_t result = at(powerResults);
    ++powerAttempts_;
    return result;
}

std::int32_t FakeDeviceLibrary::Start_Scan(std::int32_t handle, std::int32_t startNm, std::int32_t stopNm,
                                           std::int32_t speed, std::int32_t averages, std::int32_t dataLength,
                                           std::int32_t channel, std::int32_t sweepFlag)
{
    record(callText("Start_Scan", handle, startNm, stopNm, speed, averages, dataLength, channel, sweepFlag));
    polls_ = 0;
    return startResult;
}

std::int32_t FakeDeviceLibrary::AlignMode_Scan(std::int32_t handle, std::int32_t startNm, std::int32_t stopNm,
                                               std::int32_t speed, std::int32_t channel, std::int32_t sweepFlag)
{
    record(callText("AlignMode_Scan", handle, startNm, stopNm, speed, channel, sweepFlag));
    polls_ = 0;
    return startResult;
}

std::int32_t FakeDeviceLibrary::Is_Scan_Done(std::int32_t handle)
{
    record(callText("Is_Scan_Done", handle));
    return polls_++ >= donePollsBeforeDone ? 1 : 0;
}

std::int32_t FakeDeviceLibrary::Get_ScanData(std::int32_t handle, float* wavelengthPm, float* powerDbm,
                                             std::int32_t dataLength, std::int32_t channel)
{
    record(callText("Get_ScanData", handle, dataLength, channel));
    if (dataResult == 1)
        for (int i = 0; i < dataLength; ++i) point(i, wavelengthPm[i], powerDbm[i]);
    return dataResult;
}

std::int32_t FakeDeviceLibrary::Get_AlignMode_Data(std::int32_t handle, float* wavelengthPm, float* powerDbm,
                                                   std::int32_t* count, std::int32_t channel)
{
    record(callText("Get_AlignMode_Data", handle, *count, channel));
    if (dataResult == 1) {
        *count = std::min(*count, alignCount);
        for (int i = 0; i < *count; ++i) point(i, wavelengthPm[i], powerDbm[i]);
    }
    return dataResult;
}

std::int32_t FakeDeviceLibrary::Stop_Scan(std::int32_t handle)
{
    record(callText("Stop_Scan", handle));
    return stopResult;
}

std::int32_t FakeDeviceLibrary::Stop_All()
{
    record(callText("Stop_All"));
    return 1;
}

std::int32_t FakeDeviceLibrary::Release(std::int32_t handle)
{
    record(callText("Release", handle));
    return 1;
}

std::int32_t FakeDeviceLibrary::Release_All()
{
    record(callText("Release_All"));
    return 1;
}

void FakeDeviceLibrary::record(const QString& call)
{
    calls << call;
    if (!faultOn.isEmpty() && call.startsWith(faultOn + QLatin1Char('(')))
        throw std::runtime_error("scripted fault in " + faultOn.toStdString());
}
