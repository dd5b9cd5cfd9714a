#pragma once
// Pure helpers of the module link: reading port and channel numbers out of list texts, decoding
// the module's information record and composing its listing, and the wavelength band presets.

#include <QString>

#include <cstdint>
#include <optional>
#include <span>

namespace module_record {

// Bytes of the information record that are read (the library fills a larger buffer).
inline constexpr std::size_t kRecordBytes = 72;
inline constexpr std::size_t kInfoBufferBytes = 151;
inline constexpr std::size_t kVersionBufferBytes = 9;

// The library's 0-based port index for a COM list text: "COM1" -> 0, "COM12" -> 11.
// A text without a number after "COM" gives -1.
std::int32_t portIndex(const QString& comText);

// The 0-based channel for a channel list text: "1. Channel #1" -> 0, "2. Channel #2" -> 1.
std::int32_t channelIndex(const QString& channelText);

struct ModuleRecord {
    QString partNumber;
    QString serialNumber;
    QString manufacturingDate;
    QString firmwareVersion;
    QString hardwareVersion;
    float temperatureC = 0.0F;
};

// Decodes bytes 0-71 of the record; `record` must hold at least kRecordBytes.
ModuleRecord decodeRecord(std::span<const std::uint8_t> record);

// A text field: one character per byte, every NUL removed wherever it stands.
QString textField(std::span<const std::uint8_t> bytes);

// The temperature as shown: at most 7 significant digits, no trailing zeros or point.
QString temperatureText(float celsius);

// The library version: bytes 0-7 as characters, NULs kept.
QString libraryVersion(std::span<const std::uint8_t> versionBuffer);

// The seven-line identity listing, lines joined by CR LF.
QString listing(const QString& libVersion, const ModuleRecord& record);

struct BandPreset {
    QString startNm;
    QString stopNm;
};

// The start/stop wavelength texts for the band code in characters 4-5 of the probed part
// number; nothing for a code outside the table.
std::optional<BandPreset> bandPreset(const QString& probePartNumber);

}  // namespace module_record
