#pragma once
// The TCP side of remote control: accepts clients (at most kMaxClients at once; on an address
// other than the loopback only the hosts of the allow-list), cuts their bytes into lines and hands
// the lines to the dispatcher, which answers through the same socket. Refusals are logged.

#include "remote/remote_options.h"
#include "remote/scpi_parser.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>

#include <map>

class QTcpServer;
class QTcpSocket;
class RemoteDispatcher;

class ScpiServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxClients = 16;

    ScpiServer(RemoteDispatcher& dispatcher, QObject* parent = nullptr);
    ~ScpiServer() override;

    // False (and errorString()) when the address cannot be listened on.
    bool listen(const RemoteOptions& options);
    QString errorString() const { return error_; }
    bool isListening() const;
    QHostAddress address() const;
    quint16 port() const;
    // "127.0.0.1:5025", "[::1]:5025".
    QString endpoint() const;
    int clientCount() const { return static_cast<int>(clients_.size()); }

signals:
    void clientCountChanged(int clients);

private:
    struct Client {
        QPointer<QTcpSocket> socket;
        scpi::LineAssembler lines;
        bool paused = false;  // the dispatcher holds enough of its lines
    };

    void accept();
    void read(int id);
    void drop(int id);
    bool admits(const QHostAddress& peer) const;

    RemoteDispatcher& dispatcher_;
    QTcpServer* server_;
    RemoteOptions options_;
    std::map<int, Client> clients_;
    int nextId_ = 1;
    QString error_;
};
