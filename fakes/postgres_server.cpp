#include "postgres_server.h"

#include "records/record_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const QString kBin = QStringLiteral("/usr/lib/postgresql/15/bin/");

}  // namespace

int freeLocalPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

QString PostgresServer::unavailableReason()
{
    if (!QFile::exists(kBin + QStringLiteral("initdb")) || !QFile::exists(kBin + QStringLiteral("pg_ctl")))
        return QStringLiteral("no PostgreSQL server in %1: scripts/setup.sh installs the postgresql package").arg(kBin);
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        return QStringLiteral("no Qt PostgreSQL driver: scripts/setup.sh installs libqt6sql6-psql");
    return {};
}

PostgresServer::PostgresServer() : dir_(std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/vxm-pg-XXXXXX")))
{
    data_ = dir_->filePath(QStringLiteral("data"));
    port_ = freeLocalPort();
}

PostgresServer::~PostgresServer()
{
    if (running_) stop();
}

// The server refuses to run as root: as root, its commands run as `nobody`, which then owns the
// folder.
bool PostgresServer::run(const QStringList& command)
{
    QStringList args = command;
    QString program = kBin + args.takeFirst();
    if (geteuid() == 0) {
        args = QStringList{QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"), program} + args;
        program = QStringLiteral("runuser");
    }
    QProcess p;
    p.setWorkingDirectory(dir_->path());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        problem_ = command.first() + QStringLiteral(": ") + QString::fromLocal8Bit(p.readAll()).trimmed();
        return false;
    }
    return true;
}

bool PostgresServer::start()
{
    if (!dir_->isValid()) {
        problem_ = QStringLiteral("no temporary folder");
        return false;
    }
    if (!initialised_) {
        if (geteuid() == 0 && QProcess::execute(QStringLiteral("chown"), {QStringLiteral("nobody"), dir_->path()}) != 0) {
            problem_ = QStringLiteral("cannot hand the folder to nobody");
            return false;
        }
        const QString pwfile = dir_->filePath(QStringLiteral("pw"));
        QFile pw(pwfile);
        if (!pw.open(QIODevice::WriteOnly) || pw.write(kPassword) < 0) return false;
        pw.close();
        pw.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        if (!run({QStringLiteral("initdb"), QStringLiteral("-D"), data_, QStringLiteral("-U"), QString::fromLatin1(kUser),
                  QStringLiteral("--pwfile=") + pwfile, QStringLiteral("--auth=scram-sha-256"), QStringLiteral("--no-sync"),
                  QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C")}))
            return false;
        initialised_ = true;
    }
    const QString options = QStringLiteral("-p %1 -c listen_addresses=127.0.0.1 -k %2 -c fsync=off").arg(port_).arg(dir_->path());
    running_ = run({QStringLiteral("pg_ctl"), QStringLiteral("-D"), data_, QStringLiteral("-o"), options, QStringLiteral("-l"),
                    dir_->filePath(QStringLiteral("log")), QStringLiteral("-w"), QStringLiteral("start")});
    return running_;
}

bool PostgresServer::stop()
{
    const bool stopped = run({QStringLiteral("pg_ctl"), QStringLiteral("-D"), data_, QStringLiteral("-m"),
                              QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
    if (stopped) running_ = false;
    return stopped;
}

bool PostgresServer::createDatabase(const QString& name)
{
    bool ok = false;
    {
        const StoreLocation admin = *parseStoreLocation(url(QStringLiteral("postgres")));
        QSqlDatabase db = addStoreConnection(admin, QStringLiteral("pg-admin"));
        if (db.open()) {
            QSqlQuery q(db);
            q.exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
            ok = q.exec(QStringLiteral("CREATE DATABASE %1").arg(name));
            if (!ok) problem_ = q.lastError().text();
        } else {
            problem_ = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("pg-admin"));
    return ok;
}

QString PostgresServer::url(const QString& database, const QString& password) const
{
    return QStringLiteral("postgresql://%1:%2@127.0.0.1:%3/%4")
        .arg(QString::fromLatin1(kUser), password.isEmpty() ? QString::fromLatin1(kPassword) : password)
        .arg(port_)
        .arg(database);
}

namespace {
std::unique_ptr<PostgresServer> server;
}  // namespace

void stopSharedPostgres() { server.reset(); }

PostgresServer* sharedPostgres(QString* whyNot)
{
    static QString reason = PostgresServer::unavailableReason();
    if (!reason.isEmpty()) {
        *whyNot = reason;
        return nullptr;
    }
    if (!server) {
        [[maybe_unused]] static const bool stopsWithTheApplication = (qAddPostRoutine(stopSharedPostgres), true);
        server = std::make_unique<PostgresServer>();
        if (!server->start()) reason = QStringLiteral("the test server did not start: ") + server->problem();
    }
    if (!reason.isEmpty()) {
        *whyNot = reason;
        return nullptr;
    }
    if (!server->running() && !server->start()) {
        *whyNot = server->problem();
        return nullptr;
    }
    return server.get();
}
