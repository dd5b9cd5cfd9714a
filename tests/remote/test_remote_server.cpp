// The remote server and its dispatcher over loopback sockets, on a table of test commands.

#include "remote/remote_dispatcher.h"
#include "remote/scpi_server.h"
#include "remote_client.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

using scpi::Command;
using scpi::Reply;

struct TestServer {
    QStringList log;
    bool held = true;
    std::function<void()> duringSlow;  // runs inside SLOW's wait
    scpi::CommandTable table;
    RemoteDispatcher dispatcher{table};
    ScpiServer server{dispatcher};

    TestServer()
    {
        table.add(QStringLiteral("LOG"), [this](const Command& c) { log << c.parameters.value(0); return Reply::done(); });
        // Waits in a nested event loop, as the program's handlers do.
        table.add(QStringLiteral("SLOW"), [this](const Command&) {
            log << QStringLiteral("slow<");
            QEventLoop loop;
            if (duringSlow) QTimer::singleShot(0, &loop, duringSlow);
            QTimer::singleShot(100, &loop, &QEventLoop::quit);
            loop.exec();
            log << QStringLiteral(">slow");
            return Reply::done();
        });
        table.add(QStringLiteral("HOLD?"), [this](const Command&) { return held ? Reply::later() : Reply::text("released"); });
        table.add(QStringLiteral("*IDN?"), [](const Command&) { return Reply::text("test"); });
        table.add(QStringLiteral("*CLS"), [](const Command&, scpi::ClientStatus& s) { s.clear(); return Reply::done(); });
        table.add(QStringLiteral("SYSTem:ERRor?"), [](const Command&, scpi::ClientStatus& s) { return Reply::text(s.popErrorText()); });
        RemoteOptions options;
        options.port = 0;
        EXPECT_TRUE(server.listen(options)) << server.errorString().toStdString();
    }
    quint16 port() const { return server.port(); }
};

}  // namespace

TEST(RemoteDispatcher, LinesRunInArrivalOrderAndNeverInsideAnotherCommandsWait)
{
    TestServer t;
    TestClient a(t.port()), b(t.port());
    ASSERT_TRUE(a.connected() && b.connected());
    // Both arrive while SLOW waits in its nested loop, which serves the sockets.
    t.duringSlow = [&] {
        b.send("LOG b1\n");
        QTimer::singleShot(20, [&] { a.send("LOG a2\n"); });
    };
    a.send("SLOW\nLOG a1\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return t.log.size() == 5; }, 3000)) << t.log.join(' ').toStdString();
    EXPECT_EQ(t.log, (QStringList{"slow<", ">slow", "a1", "b1", "a2"}));
}

TEST(RemoteDispatcher, AWaitingLineHoldsItsOwnClientOnly)
{
    TestServer t;
    TestClient a(t.port()), b(t.port());
    ASSERT_TRUE(a.connected() && b.connected());
    a.send("LOG a1;HOLD?;LOG a2\nLOG a3\n");
    QTest::qWait(20);
    EXPECT_EQ(b.query("LOG b1;*IDN?"), QByteArray("test"));
    EXPECT_EQ(t.log, (QStringList{"a1", "b1"}));
    EXPECT_FALSE(a.socket.canReadLine());

    t.held = false;
    t.dispatcher.wake();
    EXPECT_EQ(a.line(), QByteArray("released"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return t.log.size() == 4; }, 3000));
    EXPECT_EQ(t.log, (QStringList{"a1", "b1", "a2", "a3"}));
}

TEST(RemoteDispatcher, AFloodOfLinesBehindAWaitIsReadOnAsTheQueueDrainsAndKeepsItsOrder)
{
    TestServer t;
    TestClient a(t.port());
    ASSERT_TRUE(a.connected());
    QByteArray flood = "SLOW\n";
    QStringList expected{"slow<", ">slow"};
    for (int i = 0; i < 1000; ++i) {
        flood += "LOG " + QByteArray::number(i) + '\n';
        expected << QString::number(i);
    }
    a.send(flood + "*IDN?\n");
    EXPECT_EQ(a.line(10000), QByteArray("test"));
    EXPECT_EQ(t.log, expected);
}

TEST(RemoteServer, AbusiveInputGivesErrorsAndTheConnectionGoesOn)
{
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 37 + 11) % 256 == '\n' ? 0 : (i * 37 + 11) % 256);
    TestServer t;
    TestClient a(t.port());
    ASSERT_TRUE(a.connected());
    // The bytes, then the start of the first error they leave.
    for (const auto& [bytes, error] : std::vector<std::pair<QByteArray, QByteArray>>{
             {QByteArray(70000, 'A') + '\n', "-100,"}, {garbage + '\n', "-1"}}) {
        a.send(bytes);
        EXPECT_EQ(a.query("*IDN?"), QByteArray("test")) << error.constData();
        EXPECT_TRUE(a.query("SYST:ERR?").startsWith(error)) << error.constData();
        EXPECT_EQ(a.query("*CLS;SYST:ERR?"), QByteArray("0,\"No error\"")) << error.constData();
    }
}

TEST(RemoteServer, AHundredConnectionsLeaveSixteenServedAndAClosedOnesUnfinishedLineIsDropped)
{
    TestServer t;
    std::vector<std::unique_ptr<TestClient>> clients;
    for (int i = 0; i < 100; ++i) clients.push_back(std::make_unique<TestClient>(t.port()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return t.server.clientCount() == ScpiServer::kMaxClients; }, 3000));
    QTest::qWait(200);  // the refused ones see their connection closed
    int served = 0;
    for (auto& c : clients)
        if (c->socket.state() == QAbstractSocket::ConnectedState) served += c->query("*IDN?") == "test";
    EXPECT_EQ(served, ScpiServer::kMaxClients);
    EXPECT_EQ(t.server.clientCount(), ScpiServer::kMaxClients);

    // A served one leaves a finished and an unfinished line behind.
    const auto served0 = std::find_if(clients.begin(), clients.end(),
                                      [](auto& c) { return c->socket.state() == QAbstractSocket::ConnectedState; });
    (*served0)->send("LOG kept\nLOG lost");
    (*served0)->socket.disconnectFromHost();
    QTest::qWait(50);
    clients.clear();
    ASSERT_TRUE(QTest::qWaitFor([&] { return t.server.clientCount() == 0; }, 3000));
    TestClient late(t.port());
    ASSERT_TRUE(late.connected());
    EXPECT_EQ(late.query("*IDN?"), QByteArray("test"));
    EXPECT_EQ(t.log, QStringList{"kept"});
}
