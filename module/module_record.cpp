#include "module/module_record.h"

#include "core/numeric_text.h"

#include <QStringList>

#include <cmath>

namespace module_record {

namespace {

// The bench reads a list text by its leading number and converts to an integer by rounding to
// nearest; halves go to the even neighbour (the default rounding mode), which only matters for
// texts no list offers.
std::int32_t leadingNumberMinusOne(const QString& digits)
{
    return static_cast<std::int32_t>(std::nearbyint(leadingNumber(digits) - 1.0));
}

std::span<const std::uint8_t> bytes(std::span<const std::uint8_t> record, std::size_t first, std::size_t last)
{
    return record.subspan(first, last - first + 1);
}

}  // namespace

std::int32_t portIndex(const QString& comText) { return leadingNumberMinusOne(comText.mid(3, 2)); }

std::int32_t channelIndex(const QString& channelText) { return leadingNumberMinusOne(channelText.left(1)); }

QString textField(std::span<const std::uint8_t> field)
{
    QString text;
    text.reserve(static_cast<qsizetype>(field.size()));
    for (std::uint8_t b : field)
        if (b != 0) text.append(QChar(static_cast<char16_t>(b)));  // Latin-1: byte value = code point
    return text;
}

ModuleRecord decodeRecord(std::span<const std::uint8_t> record)
{
    ModuleRecord r;
    r.partNumber = textField(bytes(record, 0, 19));
    r.serialNumber = textField(bytes(record, 20, 39));
    r.manufacturingDate = textField(bytes(record, 40, 49));
    r.firmwareVersion = textField(bytes(record, 50, 57));
    r.hardwareVersion = textField(bytes(record, 58, 69));
    const int tenths = record[70] * 256 + record[71];  // high byte first
    r.temperatureC = static_cast<float>(tenths) / 10.0F;
    return r;
}

// 'g' drops trailing zeros and the point; the record's range (0 to 6553.5) never needs an exponent.
QString temperatureText(float celsius) { return QString::number(static_cast<double>(celsius), 'g', 7); }

QString libraryVersion(std::span<const std::uint8_t> versionBuffer)
{
    QString text;
    for (std::uint8_t b : versionBuffer.first(8)) text.append(QChar(static_cast<char16_t>(b)));
    return text;
}

QString listing(const QString& libVersion, const ModuleRecord& record)
{
    const QStringList lines{
        QStringLiteral("0. Lib: ") + libVersion,
        QStringLiteral("1. P/N: ") + record.partNumber,
        QStringLiteral("2. S/N: ") + record.serialNumber,
        QStringLiteral("3. M/D: ") + record.manufacturingDate,
        QStringLiteral("4. F/V: ") + record.firmwareVersion,
        QStringLiteral("5. H/V: ") + record.hardwareVersion,
        QStringLiteral("6. T =  ") + temperatureText(record.temperatureC) + QStringLiteral(" \u00B0C"),
    };
    return lines.join(QStringLiteral("\r\n"));
}

std::optional<BandPreset> bandPreset(const QString& probePartNumber)
{
    struct Row {
        const char* code;
        const char* start;
        const char* stop;
    };
    static constexpr Row kBands[] = {
        {"OB", "1260", "1340"}, {"EB", "1350", "1450"}, {"SB", "1450", "1530"}, {"CB", "1520", "1570"},
        {"LB", "1570", "1610"}, {"OE", "1260", "1450"}, {"FB", "1250", "1650"},
    };
    const QString code = probePartNumber.mid(3, 2);
    for (const Row& row : kBands)
        if (code == QLatin1String(row.code))
            return BandPreset{QString::fromLatin1(row.start), QString::fromLatin1(row.stop)};
    return std::nullopt;
}

}  // namespace module_record
