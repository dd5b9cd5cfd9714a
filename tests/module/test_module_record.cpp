#include "module/module_record.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <array>
#include <cstring>

using namespace module_record;

namespace {

using Record = std::array<std::uint8_t, kInfoBufferBytes>;

void put(Record& r, std::size_t at, const char* text) { std::memcpy(r.data() + at, text, std::strlen(text)); }

// A record as a module writes it: fields padded with NULs, the temperature in tenths, high byte first.
Record record(int tenths, const char* sn = "SN2026-0042")
{
    Record r{};
    put(r, 0, "VXMCB-2CH-01");
    put(r, 20, sn);
    put(r, 40, "03/15/2026");
    put(r, 50, "FW 2.10");
    put(r, 58, "HW C");
    r[70] = static_cast<std::uint8_t>(tenths >> 8);
    r[71] = static_cast<std::uint8_t>(tenths & 0xFF);
    return r;
}

}  // namespace

TEST(ListTexts, PortAndChannelIndices)
{
    // At most two characters after "COM", a leading blank skipped; no number gives -1.
    const std::pair<const char*, int> ports[] = {{"COM1", 0},  {"COM12", 11}, {"COM30", 29}, {"COM123", 11},
                                                 {"COM4x", 3}, {"COM 5", 4},   {"", -1},      {"COM", -1},
                                                 {"junk", -1}, {"COMx1", -1}};
    for (const auto& [text, index] : ports) EXPECT_EQ(portIndex(QString::fromLatin1(text)), index) << text;
    // Only the first character counts.
    const std::pair<const char*, int> channels[] = {
        {"1. Channel #1", 0}, {"2. Channel #2", 1}, {"12. Channel", 0}, {"Channel", -1}, {"", -1}};
    for (const auto& [text, index] : channels) EXPECT_EQ(channelIndex(QString::fromLatin1(text)), index) << text;
}

TEST(RecordDecoding, FieldsTextsAndVersion)
{
    EXPECT_EQ(textField(std::array<std::uint8_t, 6>{0, 'A', 0, 'B', 'C', 0}), QStringLiteral("ABC"));
    EXPECT_EQ(textField(std::array<std::uint8_t, 3>{0xB0, 'C', 0xE9}), QString::fromUtf8("°Cé"));  // Latin-1

    // Every byte of 0-69 set, so a field that reads one byte too many or too few shows it.
    Record r{};
    put(r, 0, "PPPPPPPPPPPPPPPPPPPPSSSSSSSSSSSSSSSSSSSSDDDDDDDDDDFFFFFFFFHHHHHHHHHHHH");
    r[72] = 'X';  // beyond the record: never read
    const ModuleRecord d = decodeRecord(r);
    EXPECT_EQ(QStringList({d.partNumber, d.serialNumber, d.manufacturingDate, d.firmwareVersion, d.hardwareVersion}),
              QStringList({QString(20, 'P'), QString(20, 'S'), QString(10, 'D'), QString(8, 'F'), QString(12, 'H')}));
    EXPECT_EQ(d.temperatureC, 0.0F);

    const std::array<std::uint8_t, kVersionBufferBytes> v{'V', '1', '.', '2', 0, 0, 'b', 0, '!'};
    EXPECT_EQ(libraryVersion(v), QString::fromLatin1("V1.2\0\0b\0", 8));
}

TEST(RecordDecoding, TemperatureInTenthsHighByteFirst)
{
    const std::pair<int, const char*> rows[] = {{253, "25.3"}, {256, "25.6"}, {65535, "6553.5"}, {0, "0"}};
    for (const auto& [tenths, text] : rows)
        EXPECT_EQ(temperatureText(decodeRecord(record(tenths)).temperatureC), QLatin1String(text)) << tenths;
    // No trailing zeros or point; seven significant digits.
    const std::pair<float, const char*> texts[] = {{25.0F, "25"}, {0.1F, "0.1"}, {100.0F, "100"}, {1234.567F, "1234.567"}};
    for (const auto& [celsius, text] : texts) EXPECT_EQ(temperatureText(celsius), QLatin1String(text)) << text;
}

TEST(Listing, SevenLabelledLinesJoinedByCrLf)
{
    // The whole listing is the one Set VXM Connection shows; a NUL-only field shows its label alone.
    EXPECT_EQ(listing(QStringLiteral("v"), decodeRecord(record(250, ""))).split(QStringLiteral("\r\n")).mid(2),
              (QStringList{QStringLiteral("2. S/N: "), QStringLiteral("3. M/D: 03/15/2026"), QStringLiteral("4. F/V: FW 2.10"),
                           QStringLiteral("5. H/V: HW C"), QString::fromUtf8("6. T =  25 °C")}));
}

TEST(BandPreset, CodeInCharactersFourAndFive)
{
    // Part number, then "start stop" (nullptr: no preset; codes are upper case).
    const std::pair<const char*, const char*> rows[] = {
        {"VXMOB01\r\n", "1260 1340"}, {"VXMEB01\r\n", "1350 1450"}, {"VXMSB01\r\n", "1450 1530"}, {"VXMCB01\r\n", "1520 1570"},
        {"VXMLB01\r\n", "1570 1610"}, {"VXMOE01\r\n", "1260 1450"}, {"VXMFB01\r\n", "1250 1650"}, {"XYZLB", "1570 1610"},
        {"CB-VXM", nullptr},          {"VXCB", nullptr},             {"VXMXX01", nullptr},          {"VXMcb01", nullptr},
        {"VXM", nullptr},             {"", nullptr},
    };
    for (const auto& [pn, range] : rows) {
        const auto preset = bandPreset(QString::fromLatin1(pn));
        EXPECT_EQ(preset.has_value(), range != nullptr) << pn;
        EXPECT_EQ(preset ? preset->startNm + QLatin1Char(' ') + preset->stopNm : QString(), QLatin1String(range)) << pn;
    }
}
