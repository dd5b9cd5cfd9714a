#include "laser/identity_fields.h"

#include "laser/frame_codec.h"

namespace identity {

namespace {

struct FieldBytes {
    int first;
    int last;
};
constexpr FieldBytes kFields[5] = {{9, 28}, {29, 48}, {49, 58}, {59, 66}, {67, 78}};

int fieldOfByte(int byte)
{
    for (int i = 0; i < 5; ++i)
        if (byte >= kFields[i].first && byte <= kFields[i].last) return i;
    return -1;
}

}  // namespace

std::array<QString, 5> decodeTextFields(const QString& replyHex, int lastPairPosition)
{
    std::array<QString, 5> fields;
    for (int position = 19; position <= lastPairPosition; position += 2) {
        const QString pair = replyHex.mid(position - 1, 2);
        if (pair == QLatin1String("00")) continue;
        const int field = fieldOfByte((position - 1) / 2);
        if (field < 0) continue;
        fields[static_cast<std::size_t>(field)] += QChar(static_cast<char16_t>(frame::hexValue(pair.toStdString())));
    }
    return fields;
}

QString englishDate(const QString& d)
{
    return d.mid(0, 2) + QLatin1Char('/') + d.mid(3, 2) + QLatin1Char('/') + d.mid(6, 4) + QStringLiteral("\r\n");
}

QString chineseDate(const QString& d)
{
    return d.mid(6, 4) + QStringLiteral("年") + d.mid(0, 2) + QStringLiteral("月") + d.mid(3, 2) + QStringLiteral("日\r\n");
}

std::optional<std::uint32_t> hexField(const QString& replyHex, int position, int count)
{
    const QString digits = replyHex.mid(position - 1, count);
    if (digits.size() != count) return std::nullopt;
    bool ok = false;
    const std::uint32_t value = digits.toUInt(&ok, 16);
    return ok ? std::optional<std::uint32_t>(value) : std::nullopt;
}

QString nmText(std::int32_t picometres) { return QString::number(picometres / 1000.0, 'g', 15); }

}  // namespace identity
