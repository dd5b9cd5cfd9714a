// Who may connect to the remote server and where it listens: allow-lists and the --remote options.

#include "remote/remote_options.h"

#include <gtest/gtest.h>

TEST(AllowList, AddressesAndRangesAdmitExactlyTheirHosts)
{
    const struct { const char* list; const char* peer; bool allowed; } cases[] = {
        {"192.168.1.20", "192.168.1.20", true},              {"192.168.1.20", "192.168.1.21", false},
        {"192.168.1.0/24", "192.168.1.255", true},           {"192.168.1.0/24", "192.168.2.1", false},
        {"10.0.0.0/8, 172.16.0.0/12", "172.31.255.1", true}, {"10.0.0.0/8 172.16.0.0/12", "172.32.0.1", false},
        // A prefix that cuts inside a byte.
        {"192.168.1.128/25", "192.168.1.127", false},        {"192.168.1.128/25", "192.168.1.200", true},
        {"0.0.0.0/0", "8.8.8.8", true},                      {"fe80::/10", "fe80::1%eth0", true},
        {"fe80::/10", "fec0::1", false},                     {"2001:db8::5", "2001:db8::5", true},
        {"192.168.1.20", "::ffff:192.168.1.20", true},  // how a dual-stack socket names an IPv4 peer
        {"2001:db8::/32", "192.168.1.20", false},       // families never match each other
        {"192.168.1.20", "not an address", false},           {"", "127.0.0.1", false},
    };
    for (const auto& c : cases) {
        const auto list = AllowList::parse(QString::fromLatin1(c.list));
        ASSERT_TRUE(list) << c.list;
        EXPECT_EQ(list->allows(QString::fromLatin1(c.peer)), c.allowed) << c.list << " / " << c.peer;
    }
}

TEST(AllowList, AnItemThatIsNoAddressOrRangeIsNamed)
{
    for (const char* bad : {"192.168.1", "10.0.0.0/33", "fe80::/129", "10.0.0.0/", "10.0.0.0/-1", "host.example",
                            "10.0.0.0/8x"}) {
        QString named;
        EXPECT_FALSE(AllowList::parse(QStringLiteral("127.0.0.1,") + QString::fromLatin1(bad), &named)) << bad;
        EXPECT_EQ(named, QString::fromLatin1(bad));
    }
    for (const char* address : {"127.0.0.1", "127.8.9.10", "::1", "::ffff:127.0.0.1"})
        EXPECT_TRUE(isLoopbackAddress(QString::fromLatin1(address))) << address;
    for (const char* address : {"0.0.0.0", "::", "128.0.0.1", "192.168.1.1", "junk"})
        EXPECT_FALSE(isLoopbackAddress(QString::fromLatin1(address))) << address;
}

TEST(RemoteOptions, CommandLineAndEnvironmentTurnTheServerOnWhereTheySay)
{
    // allowedPeer: one the resulting allow-list admits; nullptr: the list is empty.
    const struct { QStringList arguments; const char* listen; const char* allow; bool enabled; const char* address;
                   int port; const char* allowedPeer; } cases[] = {
        {{}, "", "", false, "127.0.0.1", 5025, nullptr},
        {{"--remote"}, "", "", true, "127.0.0.1", 5025, nullptr},
        {{"--remote", "--other"}, "", "", true, "127.0.0.1", 5025, nullptr},
        {{"--remote", "6000"}, "", "", true, "127.0.0.1", 6000, nullptr},
        {{"--remote=0.0.0.0:5025", "--remote-allow", "10.1.0.0/16"}, "", "", true, "0.0.0.0", 5025, "10.1.2.3"},
        {{"--remote", "[::]:5026", "--remote-allow=fd00::/8", "--remote-allow", "10.0.0.1"}, "", "", true, "::", 5026, "10.0.0.1"},
        {{"--remote", "localhost:0"}, "", "", true, "127.0.0.1", 0, nullptr},
        {{}, "192.168.5.5:7000", "192.168.5.0/24", true, "192.168.5.5", 7000, "192.168.5.9"},
        {{"--remote"}, "192.168.5.5:7000", "", true, "127.0.0.1", 5025, nullptr},  // the command line wins
    };
    for (const auto& c : cases) {
        const QStringList arguments = QStringList{QStringLiteral("vxm-operator")} + c.arguments;
        const RemoteOptionsResult r = remoteOptions(arguments, QString::fromLatin1(c.listen), QString::fromLatin1(c.allow));
        const std::string what = arguments.join(' ').toStdString() + " | " + c.listen;
        ASSERT_TRUE(r.error.isEmpty()) << what << ": " << r.error.toStdString();
        EXPECT_EQ(r.options.enabled, c.enabled) << what;
        EXPECT_EQ(r.options.address, QString::fromLatin1(c.address)) << what;
        EXPECT_EQ(r.options.port, c.port) << what;
        EXPECT_EQ(r.options.allow.isEmpty(), c.allowedPeer == nullptr) << what;
        EXPECT_TRUE(!c.allowedPeer || r.options.allow.allows(QString::fromLatin1(c.allowedPeer))) << what;
    }
}

TEST(RemoteOptions, UnusableValuesAreReportedInsteadOfListening)
{
    const QStringList bad[] = {
        {"--remote", "65536"}, {"--remote", "1.2.3:5025"}, {"--remote", "::1:5025"}, {"--remote", "[::1]5025"},
        {"--remote", "host:"}, {"--remote", "+5025"},     {"--remote-allow"},       {"--remote-allow", "10.0.0.0/99"},
    };
    for (const QStringList& arguments : bad)
        EXPECT_FALSE(remoteOptions(QStringList{"vxm-operator"} + arguments).error.isEmpty()) << arguments.join(' ').toStdString();
}
