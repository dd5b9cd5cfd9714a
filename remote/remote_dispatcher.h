#pragma once
// Runs the lines of every remote client one at a time, in the order they arrived, on the thread
// of the windows. A line runs to its end in one go unless a command has to wait (*OPC?, *WAI
// while a measurement runs): that client's later lines wait with it, the other clients go on.
//
// Commands may click buttons whose handlers wait in nested event loops. Lines that arrive
// meanwhile are queued; none starts before the running one has returned, so no client's lines
// ever overtake each other or run inside one another.

#include "remote/error_queue.h"
#include "remote/scpi_parser.h"
#include "remote/scpi_table.h"
#include "remote/status_model.h"

#include <QObject>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>

class RemoteDispatcher : public QObject {
    Q_OBJECT
public:
    // Lines a client may have waiting; its socket is not read further until they drop below.
    static constexpr std::size_t kMaxQueuedLines = 256;

    using Writer = std::function<void(const QByteArray&)>;

    explicit RemoteDispatcher(const scpi::CommandTable& table, QObject* parent = nullptr);

    // A client connected: its responses go to `write` (the server adds nothing).
    void open(int client, Writer write);
    // The client is gone: its queued lines still run, their responses are dropped.
    void close(int client);
    void receive(int client, scpi::ReceivedLine line);
    bool accepts(int client) const;

    // The client whose line is running (for handlers that keep per-client settings), or -1.
    int currentClient() const { return current_; }
    // Pushes an error to a client's queue, if it is still known.
    void pushError(int client, const scpi::Error& error);
    // Every known client's status, for what concerns them all (the bench's conditions, the end of
    // the pending measurement).
    void forEachStatus(const std::function<void(scpi::ClientStatus&)>& visit);

    // Something a waiting command waits for has happened: waiting lines are tried again.
    void wake() { schedule(); }

signals:
    // A client's queue dropped below the limit: its socket may be read again.
    void readyForMore(int client);
    // A closed client's last line has run: nothing of it is kept.
    void forgotten(int client);

private:
    struct Session {
        Writer write;
        bool open = true;
        scpi::ClientStatus status;
        std::deque<scpi::ReceivedLine> lines;
        std::optional<scpi::LineExecution> running;  // the line that waits
    };

    static constexpr int kTurnMilliseconds = 5;

    void schedule();
    void runNext();
    // Runs the first line whose client is not in `waiting` (adding those found waiting); false
    // when none could finish.
    bool runOne(std::set<int>& waiting);
    // Runs or resumes the client's first line; false when it still waits.
    bool runLine(int client, Session& session);
    void forgetIfDone(int client);

    const scpi::CommandTable& table_;
    std::map<int, Session> sessions_;
    std::deque<int> order_;  // one entry per received line, by client
    bool busy_ = false;
    bool scheduled_ = false;
    int current_ = -1;
};
