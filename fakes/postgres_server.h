#pragma once
// A throw-away PostgreSQL server for the tests and benchmarks: initdb in a temporary folder, started with
// pg_ctl on a free local port as an unprivileged user, stopped and removed at the end.

#include <QString>
#include <QTemporaryDir>

#include <memory>

class PostgresServer {
public:
    static constexpr const char* kUser = "vxm";
    static constexpr const char* kPassword = "bench-secret";

    // Why the server cannot run here (no server binaries), empty when it can.
    static QString unavailableReason();

    PostgresServer();
    ~PostgresServer();

    // initdb (first time only) and start; false with the reason in problem().
    bool start();
    bool stop();
    bool running() const { return running_; }
    const QString& problem() const { return problem_; }
    int port() const { return port_; }

    // A fresh empty database on this server.
    bool createDatabase(const QString& name);
    // The URL of `database`, with the right password unless `password` is given.
    QString url(const QString& database, const QString& password = QString()) const;

private:
    bool run(const QStringList& command);

    std::unique_ptr<QTemporaryDir> dir_;
    QString data_;
    int port_ = 0;
    bool initialised_ = false;
    bool running_ = false;
    QString problem_;
};

// The one server of the test program, started on first use and stopped when the application
// object ends at the latest; nullptr with a skip reason when PostgreSQL cannot run here.
PostgresServer* sharedPostgres(QString* whyNot);
// Stops and removes it.
void stopSharedPostgres();
// A local TCP port nothing listens on right now.
int freeLocalPort();
