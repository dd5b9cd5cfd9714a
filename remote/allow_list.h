#pragma once
// Which hosts may use the remote server when it listens on an address other than the loopback:
// single addresses and CIDR ranges, IPv4 and IPv6. Plain strings in, a yes or no out.

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

struct AllowRange {
    std::array<std::uint8_t, 16> bytes{};  // IPv4 in the first 4
    bool v6 = false;
    int prefix = 0;  // leading bits that must match
};

class AllowList {
public:
    // Items separated by commas or blanks: "192.168.1.20", "10.0.0.0/8", "fe80::/10".
    // nullopt when an item is not an address or its prefix is out of range; `bad` names it.
    static std::optional<AllowList> parse(const QString& text, QString* bad = nullptr);

    // A peer as Qt names it ("192.168.1.20", "::ffff:192.168.1.20", "fe80::1%eth0").
    bool allows(const QString& peer) const;
    bool isEmpty() const { return ranges_.empty(); }

private:
    std::vector<AllowRange> ranges_;
};

// True when `text` is an IPv4 or IPv6 address.
bool isIpAddress(const QString& text);

// True for 127.0.0.0/8, ::1 and their IPv4-mapped forms.
bool isLoopbackAddress(const QString& address);
