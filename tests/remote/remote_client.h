#pragma once
// A remote client in the test's own thread: every wait serves the event loop the server runs in.

#include <QHostAddress>
#include <QTcpSocket>
#include <QTest>

class TestClient {
public:
    explicit TestClient(quint16 port) { socket.connectToHost(QHostAddress::LocalHost, port); }

    bool connected() { return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 3000); }
    void send(const QByteArray& bytes) { socket.write(bytes); socket.flush(); }
    // The next response without its line end; "<time-out>" when none comes.
    QByteArray line(int ms = 5000)
    {
        return QTest::qWaitFor([&] { return socket.canReadLine(); }, ms) ? socket.readLine().chopped(1) : "<time-out>";
    }
    QByteArray query(const QByteArray& command) { send(command + '\n'); return line(); }

    QTcpSocket socket;
};
