#include "remote/scpi_server.h"

#include "remote/remote_dispatcher.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <utility>

namespace {

// What one socket may hold unread: the dispatcher pauses a client long before this fills.
constexpr qint64 kReadBufferBytes = 256 * 1024;

void logRefusal(const QHostAddress& peer, const char* why)
{
    qWarning("remote control: refused %s (%s)", qPrintable(peer.toString()), why);
}

}  // namespace

ScpiServer::ScpiServer(RemoteDispatcher& dispatcher, QObject* parent)
    : QObject(parent), dispatcher_(dispatcher), server_(new QTcpServer(this))
{
    connect(server_, &QTcpServer::newConnection, this, &ScpiServer::accept);
    connect(&dispatcher_, &RemoteDispatcher::readyForMore, this, [this](int id) {
        const auto it = clients_.find(id);
        if (it != clients_.end() && it->second.paused) {
            it->second.paused = false;
            read(id);
        }
    });
}

ScpiServer::~ScpiServer()
{
    // Taken out first: an aborted socket reports its disconnection at once.
    const std::map<int, Client> clients = std::exchange(clients_, {});
    for (const auto& [id, client] : clients) {
        if (client.socket) {
            client.socket->disconnect(this);
            client.socket->abort();
        }
        dispatcher_.close(id);
    }
}

bool ScpiServer::listen(const RemoteOptions& options)
{
    options_ = options;
    if (server_->listen(QHostAddress(options.address), options.port)) return true;
    error_ = server_->errorString();
    return false;
}

bool ScpiServer::isListening() const { return server_->isListening(); }
QHostAddress ScpiServer::address() const { return server_->serverAddress(); }
quint16 ScpiServer::port() const { return server_->serverPort(); }

QString ScpiServer::endpoint() const
{
    const QHostAddress a = address();
    const QString host = a.protocol() == QAbstractSocket::IPv6Protocol ? QStringLiteral("[%1]").arg(a.toString())
                                                                       : a.toString();
    return host + QLatin1Char(':') + QString::number(port());
}

bool ScpiServer::admits(const QHostAddress& peer) const
{
    // Listening on the loopback, or a peer on this machine: as trusted as the operator at the window.
    if (isLoopbackAddress(options_.address) || isLoopbackAddress(peer.toString())) return true;
    return options_.allow.allows(peer.toString());
}

void ScpiServer::accept()
{
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        const QHostAddress peer = socket->peerAddress();
        const char* refusal = !admits(peer)                      ? "not in the allow-list"
                              : clientCount() >= kMaxClients ? "too many clients"
                                                                 : nullptr;
        if (refusal) {
            logRefusal(peer, refusal);
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const int id = nextId_++;
        socket->setParent(this);
        socket->setReadBufferSize(kReadBufferBytes);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        Client& client = clients_[id];
        client.socket = socket;
        dispatcher_.open(id, [socket = QPointer<QTcpSocket>(socket)](const QByteArray& bytes) {
            if (socket && socket->state() == QAbstractSocket::ConnectedState) socket->write(bytes);
        });
        connect(socket, &QTcpSocket::readyRead, this, [this, id] { read(id); });
        connect(socket, &QTcpSocket::disconnected, this, [this, id] { drop(id); });
        emit clientCountChanged(clientCount());
    }
}

void ScpiServer::read(int id)
{
    const auto it = clients_.find(id);
    if (it == clients_.end() || !it->second.socket) return;
    Client& client = it->second;
    while (client.socket->bytesAvailable() > 0) {
        if (!dispatcher_.accepts(id)) {
            client.paused = true;  // the rest stays in the socket until the queue drains
            return;
        }
        const QByteArray bytes = client.socket->read(4096);
        for (scpi::ReceivedLine& line : client.lines.feed(bytes)) dispatcher_.receive(id, std::move(line));
    }
}

void ScpiServer::drop(int id)
{
    const auto it = clients_.find(id);
    if (it == clients_.end()) return;
    // Complete lines already received still run; an unfinished last line is discarded.
    if (it->second.socket) {
        read(id);
        it->second.socket->deleteLater();
    }
    clients_.erase(it);
    dispatcher_.close(id);
    emit clientCountChanged(clientCount());
}
