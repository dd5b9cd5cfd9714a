#include "remote/allow_list.h"

#include <QRegularExpression>

#include <arpa/inet.h>

#include <algorithm>

namespace {

struct Address {
    std::array<std::uint8_t, 16> bytes{};
    bool v6 = false;
};

// An IPv4-mapped IPv6 address (::ffff:a.b.c.d) is its IPv4 address; a zone ("%eth0") is dropped.
std::optional<Address> parseAddress(QString text)
{
    text = text.trimmed();
    if (const qsizetype zone = text.indexOf(QLatin1Char('%')); zone >= 0) text.truncate(zone);
    const QByteArray latin = text.toLatin1();
    Address a;
    if (inet_pton(AF_INET, latin.constData(), a.bytes.data()) == 1) return a;
    if (inet_pton(AF_INET6, latin.constData(), a.bytes.data()) != 1) return std::nullopt;
    constexpr std::uint8_t kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    if (std::equal(kMapped, kMapped + 12, a.bytes.begin())) {
        std::copy(a.bytes.begin() + 12, a.bytes.end(), a.bytes.begin());
        std::fill(a.bytes.begin() + 4, a.bytes.end(), 0);
        return a;
    }
    a.v6 = true;
    return a;
}

bool prefixMatches(const std::array<std::uint8_t, 16>& a, const std::array<std::uint8_t, 16>& b, int bits)
{
    for (int i = 0; bits > 0; ++i, bits -= 8) {
        const std::uint8_t mask = bits >= 8 ? 0xff : static_cast<std::uint8_t>(0xff << (8 - bits));
        if ((a[static_cast<std::size_t>(i)] ^ b[static_cast<std::size_t>(i)]) & mask) return false;
    }
    return true;
}

}  // namespace

std::optional<AllowList> AllowList::parse(const QString& text, QString* bad)
{
    AllowList list;
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    for (const QString& item : text.split(separators, Qt::SkipEmptyParts)) {
        const qsizetype slash = item.indexOf(QLatin1Char('/'));
        const auto address = parseAddress(slash < 0 ? item : item.left(slash));
        AllowRange range;
        bool ok = address.has_value();
        if (ok) {
            range.bytes = address->bytes;
            range.v6 = address->v6;
            const int width = range.v6 ? 128 : 32;
            range.prefix = width;
            if (slash >= 0) {
                const QString digits = item.mid(slash + 1);
                range.prefix = digits.toInt(&ok);
                ok = ok && !digits.isEmpty() && digits.size() <= 3 && range.prefix >= 0 && range.prefix <= width;
            }
        }
        if (!ok) {
            if (bad) *bad = item;
            return std::nullopt;
        }
        list.ranges_.push_back(range);
    }
    return list;
}

bool AllowList::allows(const QString& peer) const
{
    const auto address = parseAddress(peer);
    if (!address) return false;
    return std::any_of(ranges_.begin(), ranges_.end(), [&](const AllowRange& r) {
        return r.v6 == address->v6 && prefixMatches(r.bytes, address->bytes, r.prefix);
    });
}

bool isIpAddress(const QString& text) { return parseAddress(text).has_value(); }

bool isLoopbackAddress(const QString& address)
{
    const auto a = parseAddress(address);
    if (!a) return false;
    if (!a->v6) return a->bytes[0] == 127;
    std::array<std::uint8_t, 16> one{};
    one[15] = 1;
    return a->bytes == one;
}
