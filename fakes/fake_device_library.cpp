#include "fake_device_library.h"

#include <algorithm>
#include <stdexcept>

namespace {
template <typename... A>
QString callText(const char* name, A... args)
{
    QStringList parts;
    ((parts << QString::number(args)), ...);
    return QStringLiteral("%1(%2)").arg(QLatin1String(name), parts.join(QLatin1Char(',')));
}
}  // namespace

using I32 = std::int32_t;

I32 FakeDeviceLibrary::Initialize_Lib(I32 reserved) { return record(callText("Initialize_Lib", reserved), 1); }
I32 FakeDeviceLibrary::Initialize_Port(I32 com) { return record(callText("Initialize_Port", com), portHandle); }
I32 FakeDeviceLibrary::Initialize_Connection(I32 h)
{
    return record(callText("Initialize_Connection", h), connectionResult);
}
I32 FakeDeviceLibrary::Stop_Scan(I32 h) { return record(callText("Stop_Scan", h), stopResult); }
I32 FakeDeviceLibrary::Stop_All() { return record(callText("Stop_All"), 1); }
I32 FakeDeviceLibrary::Release(I32 h) { return record(callText("Release", h), 1); }
I32 FakeDeviceLibrary::Release_All() { return record(callText("Release_All"), 1); }

I32 FakeDeviceLibrary::Get_Lib_Version(std::uint8_t* version9)
{
    record(callText("Get_Lib_Version"), 0);
    std::copy(version.begin(), version.end(), version9);
    return 1;
}

I32 FakeDeviceLibrary::Get_Info(I32 h, std::uint8_t* info151)
{
    record(callText("Get_Info", h), 0);
    std::copy(info.begin(), info.end(), info151);
    return infoResult;
}

I32 FakeDeviceLibrary::Read_PowerMeter(I32 h, I32 channel, float* powerDbm)
{
    record(callText("Read_PowerMeter", h, channel), 0);
    const auto at = [this](const auto& v) { return v[std::min<std::size_t>(powerAttempts_, v.size() - 1)]; };
    *powerDbm = at(powerReadings);
    const I32 result = at(powerResults);
    ++powerAttempts_;
    return result;
}

I32 FakeDeviceLibrary::Start_Scan(I32 h, I32 startNm, I32 stopNm, I32 speed, I32 averages, I32 dataLength,
                                  I32 channel, I32 sweepFlag)
{
    record(callText("Start_Scan", h, startNm, stopNm, speed, averages, dataLength, channel, sweepFlag), 0);
    polls_ = 0;
    return startResult;
}

I32 FakeDeviceLibrary::AlignMode_Scan(I32 h, I32 startNm, I32 stopNm, I32 speed, I32 channel, I32 sweepFlag)
{
    record(callText("AlignMode_Scan", h, startNm, stopNm, speed, channel, sweepFlag), 0);
    polls_ = 0;
    return startResult;
}

I32 FakeDeviceLibrary::Is_Scan_Done(I32 h)
{
    record(callText("Is_Scan_Done", h), 0);
    return polls_++ >= donePollsBeforeDone ? 1 : 0;
}

I32 FakeDeviceLibrary::Get_ScanData(I32 h, float* wavelengthPm, float* powerDbm, I32 dataLength, I32 channel)
{
    record(callText("Get_ScanData", h, dataLength, channel), 0);
    ++dataTransfers;
    for (int i = 0; dataResult == 1 && i < dataLength; ++i) point(i, wavelengthPm[i], powerDbm[i]);
    return dataResult;
}

I32 FakeDeviceLibrary::Get_AlignMode_Data(I32 h, float* wavelengthPm, float* powerDbm, I32* count, I32 channel)
{
    record(callText("Get_AlignMode_Data", h, *count, channel), 0);
    if (dataResult == 1) *count = std::min(*count, alignCount);
    for (int i = 0; dataResult == 1 && i < *count; ++i) point(i, wavelengthPm[i], powerDbm[i]);
    return dataResult;
}

I32 FakeDeviceLibrary::record(const QString& call, I32 result)
{
    if (keepCalls) calls << call;
    if (!faultOn.isEmpty() && call.startsWith(faultOn + QLatin1Char('(')))
        throw std::runtime_error("scripted fault in " + faultOn.toStdString());
    return result;
}
