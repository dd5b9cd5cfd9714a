#include "module/module_record.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>
#include <array>
#include <cstring>

using namespace module_record;

namespace {

using Record = std::array<std::uint8_t, kInfoBufferBytes>;

void put(Record& r, std::size_t at, const char* text) { std::memcpy(r.data() + at, text, std::strlen(text)); }

void putTemperature(Record& r, int tenths)
{
    r[70] = static_cast<std::uint8_t>(tenths >> 8);
    r[71] = static_cast<std::uint8_t>(tenths & 0xFF);
}

// A record as a module writes it: fields padded with NULs.
Record sampleRecord()
{
    Record r{};
    put(r, 0, "VXMCB-2CH-01");
    put(r, 20, "SN2026-0042");
    put(r, 40, "03/15/2026");
    put(r, 50, "FW 2.10");
    put(r, 58, "HW C");
    putTemperature(r, 253);
    return r;
}

}  // namespace

TEST(PortIndex, ComTextGivesZeroBasedIndex)
{
    EXPECT_EQ(portIndex(QStringLiteral("COM1")), 0);
    EXPECT_EQ(portIndex(QStringLiteral("COM7")), 6);
    EXPECT_EQ(portIndex(QStringLiteral("COM12")), 11);
    EXPECT_EQ(portIndex(QStringLiteral("COM30")), 29);
}

TEST(PortIndex, ReadsAtMostTwoCharactersAfterCom)
{
    EXPECT_EQ(portIndex(QStringLiteral("COM123")), 11);
    EXPECT_EQ(portIndex(QStringLiteral("COM4x")), 3);
    EXPECT_EQ(portIndex(QStringLiteral("COM 5")), 4);  // a leading blank is skipped
}

TEST(PortIndex, TextWithoutNumberGivesMinusOne)
{
    EXPECT_EQ(portIndex(QString()), -1);
    EXPECT_EQ(portIndex(QStringLiteral("COM")), -1);
    EXPECT_EQ(portIndex(QStringLiteral("junk")), -1);
    EXPECT_EQ(portIndex(QStringLiteral("COMx1")), -1);
}

TEST(ChannelIndex, FirstCharacterMinusOne)
{
    EXPECT_EQ(channelIndex(QStringLiteral("1. Channel #1")), 0);
    EXPECT_EQ(channelIndex(QStringLiteral("2. Channel #2")), 1);
    EXPECT_EQ(channelIndex(QStringLiteral("12. Channel")), 0);  // only the first character counts
    EXPECT_EQ(channelIndex(QStringLiteral("Channel")), -1);
    EXPECT_EQ(channelIndex(QString()), -1);
}

TEST(RecordText, NulsAreRemovedWhereverTheyStand)
{
    const std::array<std::uint8_t, 6> mixed{0, 'A', 0, 'B', 'C', 0};
    EXPECT_EQ(textField(mixed), QStringLiteral("ABC"));
    const std::array<std::uint8_t, 4> nuls{};
    EXPECT_TRUE(textField(nuls).isEmpty());
}

TEST(RecordText, BytesAreLatin1Characters)
{
    const std::array<std::uint8_t, 3> bytes{0xB0, 'C', 0xE9};
    EXPECT_EQ(textField(bytes), QString::fromUtf8("°Cé"));
}

TEST(RecordDecoding, EachFieldTakesExactlyItsBytes)
{
    Record r{};
    // Every byte of 0-69 set, so a field that reads one byte too many or too few shows it.
    put(r, 0, "PPPPPPPPPPPPPPPPPPPP");
    put(r, 20, "SSSSSSSSSSSSSSSSSSSS");
    put(r, 40, "DDDDDDDDDD");
    put(r, 50, "FFFFFFFF");
    put(r, 58, "HHHHHHHHHHHH");
    putTemperature(r, 0);
    r[72] = 'X';  // beyond the record: never read
    const ModuleRecord d = decodeRecord(r);
    EXPECT_EQ(d.partNumber, QString(20, QLatin1Char('P')));
    EXPECT_EQ(d.serialNumber, QString(20, QLatin1Char('S')));
    EXPECT_EQ(d.manufacturingDate, QString(10, QLatin1Char('D')));
    EXPECT_EQ(d.firmwareVersion, QString(8, QLatin1Char('F')));
    EXPECT_EQ(d.hardwareVersion, QString(12, QLatin1Char('H')));
    EXPECT_EQ(d.temperatureC, 0.0F);
}

TEST(RecordDecoding, TemperatureIsHighByteFirstInTenths)
{
    Record r{};
    putTemperature(r, 253);
    EXPECT_EQ(temperatureText(decodeRecord(r).temperatureC), QStringLiteral("25.3"));
    putTemperature(r, 256);  // 0x01 0x00
    EXPECT_EQ(temperatureText(decodeRecord(r).temperatureC), QStringLiteral("25.6"));
    putTemperature(r, 65535);
    EXPECT_EQ(temperatureText(decodeRecord(r).temperatureC), QStringLiteral("6553.5"));
}

TEST(TemperatureText, NoTrailingZerosOrPoint)
{
    EXPECT_EQ(temperatureText(25.3F), QStringLiteral("25.3"));
    EXPECT_EQ(temperatureText(25.0F), QStringLiteral("25"));
    EXPECT_EQ(temperatureText(0.0F), QStringLiteral("0"));
    EXPECT_EQ(temperatureText(0.1F), QStringLiteral("0.1"));
    EXPECT_EQ(temperatureText(100.0F), QStringLiteral("100"));
    EXPECT_EQ(temperatureText(1234.567F), QStringLiteral("1234.567"));  // seven significant digits
}

TEST(LibraryVersion, EightBytesWithNulsKept)
{
    const std::array<std::uint8_t, kVersionBufferBytes> v{'V', '1', '.', '2', 0, 0, 'b', 0, '!'};
    const QString text = libraryVersion(v);
    EXPECT_EQ(text.size(), 8);
    EXPECT_EQ(text, QString::fromLatin1("V1.2\0\0b\0", 8));
}

TEST(Listing, SevenLabelledLinesJoinedByCrLf)
{
    const QString expected = QString::fromUtf8(
        "0. Lib: 3.0.1.07\r\n"
        "1. P/N: VXMCB-2CH-01\r\n"
        "2. S/N: SN2026-0042\r\n"
        "3. M/D: 03/15/2026\r\n"
        "4. F/V: FW 2.10\r\n"
        "5. H/V: HW C\r\n"
        "6. T =  25.3 °C");
    EXPECT_EQ(listing(QStringLiteral("3.0.1.07"), decodeRecord(sampleRecord())), expected);
}

TEST(Listing, NulOnlyFieldShowsItsLabelAlone)
{
    Record r = sampleRecord();
    std::fill(r.begin() + 20, r.begin() + 40, std::uint8_t{0});
    putTemperature(r, 250);
    const QStringList lines = listing(QStringLiteral("v"), decodeRecord(r)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[2], QStringLiteral("2. S/N: "));
    EXPECT_EQ(lines[6], QString::fromUtf8("6. T =  25 °C"));
}

TEST(Listing, ZeroTemperature)
{
    Record r = sampleRecord();
    putTemperature(r, 0);
    EXPECT_TRUE(listing(QString(), decodeRecord(r)).endsWith(QString::fromUtf8("\r\n6. T =  0 °C")));
}

TEST(BandPreset, EveryCodeOfTheTable)
{
    const struct {
        const char* pn;
        const char* start;
        const char* stop;
    } rows[] = {
        {"VXMOB01\r\n", "1260", "1340"}, {"VXMEB01\r\n", "1350", "1450"}, {"VXMSB01\r\n", "1450", "1530"},
        {"VXMCB01\r\n", "1520", "1570"}, {"VXMLB01\r\n", "1570", "1610"}, {"VXMOE01\r\n", "1260", "1450"},
        {"VXMFB01\r\n", "1250", "1650"},
    };
    for (const auto& row : rows) {
        const auto preset = bandPreset(QString::fromLatin1(row.pn));
        ASSERT_TRUE(preset.has_value()) << row.pn;
        EXPECT_EQ(preset->startNm, QLatin1String(row.start)) << row.pn;
        EXPECT_EQ(preset->stopNm, QLatin1String(row.stop)) << row.pn;
    }
}

TEST(BandPreset, CodeIsCharactersFourAndFive)
{
    EXPECT_FALSE(bandPreset(QStringLiteral("CB-VXM")).has_value());
    EXPECT_FALSE(bandPreset(QStringLiteral("VXCB")).has_value());
    EXPECT_TRUE(bandPreset(QStringLiteral("XYZLB")).has_value());
}

TEST(BandPreset, UnknownOrMissingCodeGivesNothing)
{
    EXPECT_FALSE(bandPreset(QStringLiteral("VXMXX01")).has_value());
    EXPECT_FALSE(bandPreset(QStringLiteral("VXMcb01")).has_value());  // codes are upper case
    EXPECT_FALSE(bandPreset(QStringLiteral("VXM")).has_value());
    EXPECT_FALSE(bandPreset(QString()).has_value());
}
