#include "remote/remote_dispatcher.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <set>

RemoteDispatcher::RemoteDispatcher(const scpi::CommandTable& table, QObject* parent) : QObject(parent), table_(table)
{
}

void RemoteDispatcher::open(int client, Writer write)
{
    sessions_.erase(client);
    sessions_[client].write = std::move(write);
}

void RemoteDispatcher::close(int client)
{
    const auto it = sessions_.find(client);
    if (it == sessions_.end()) return;
    it->second.open = false;
    it->second.write = nullptr;
    forgetIfDone(client);
}

void RemoteDispatcher::receive(int client, scpi::ReceivedLine line)
{
    const auto it = sessions_.find(client);
    if (it == sessions_.end() || !it->second.open) return;
    it->second.lines.push_back(std::move(line));
    order_.push_back(client);
    schedule();
}

bool RemoteDispatcher::accepts(int client) const
{
    const auto it = sessions_.find(client);
    return it != sessions_.end() && it->second.lines.size() < kMaxQueuedLines;
}

void RemoteDispatcher::pushError(int client, const scpi::Error& error)
{
    const auto it = sessions_.find(client);
    if (it != sessions_.end()) it->second.status.pushError(error);
}

void RemoteDispatcher::forEachStatus(const std::function<void(scpi::ClientStatus&)>& visit)
{
    for (auto& [client, session] : sessions_) visit(session.status);
}

void RemoteDispatcher::schedule()
{
    if (scheduled_) return;
    scheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        scheduled_ = false;
        runNext();
    });
}

// Lines run for a few milliseconds per turn of the event loop, so that the window and the
// sockets are served between them.
void RemoteDispatcher::runNext()
{
    // Called from a nested loop of a running command: that command schedules again when it returns.
    if (busy_) return;
    QElapsedTimer turn;
    turn.start();
    std::set<int> waiting;
    while (runOne(waiting) && turn.elapsed() < kTurnMilliseconds) {
    }
    // Waiting lines are tried again by wake(); anything else goes on at the next turn.
    if (std::any_of(order_.begin(), order_.end(), [&](int c) { return !waiting.count(c); })) schedule();
}

bool RemoteDispatcher::runOne(std::set<int>& waiting)
{
    // By index: lines received while a command runs are appended to order_ meanwhile.
    for (std::size_t i = 0; i < order_.size(); ++i) {
        const int client = order_[i];
        if (waiting.count(client)) continue;
        busy_ = true;
        current_ = client;
        const bool finished = runLine(client, sessions_.at(client));
        current_ = -1;
        busy_ = false;
        if (!finished) {
            waiting.insert(client);  // its later lines wait behind it
            continue;
        }
        order_.erase(order_.begin() + static_cast<std::ptrdiff_t>(i));
        // The session may have been closed while the line ran in a nested loop.
        const Session& after = sessions_.at(client);
        if (after.open && after.lines.size() < kMaxQueuedLines) emit readyForMore(client);
        forgetIfDone(client);
        return true;
    }
    return false;
}

bool RemoteDispatcher::runLine(int client, Session& session)
{
    if (!session.running) {
        scpi::ReceivedLine line = std::move(session.lines.front());
        session.lines.pop_front();
        session.running.emplace(table_, scpi::parseLine(line));
    }
    if (!session.running->run(session.status)) return false;
    // Handlers may run nested loops in which the server closes the session: look it up again.
    Session& s = sessions_.at(client);
    if (s.running->hasResponse() && s.write) s.write(s.running->response() + '\n');
    s.running.reset();
    return true;
}

void RemoteDispatcher::forgetIfDone(int client)
{
    const auto it = sessions_.find(client);
    if (it == sessions_.end()) return;
    const Session& s = it->second;
    if (s.open || !s.lines.empty() || s.running) return;
    sessions_.erase(it);
    emit forgotten(client);
}
