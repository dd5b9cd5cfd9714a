#pragma once
// The remote server's settings from the command line, or from the environment when the command
// line says nothing: `--remote [ADDRESS:]PORT` (VXM_REMOTE) and `--remote-allow LIST`
// (VXM_REMOTE_ALLOW). Off unless one of them turns it on; the loopback address unless an
// address is given.

#include "remote/allow_list.h"

#include <QString>
#include <QStringList>

#include <cstdint>

inline constexpr std::uint16_t kDefaultRemotePort = 5025;

struct RemoteOptions {
    bool enabled = false;
    QString address = QStringLiteral("127.0.0.1");
    std::uint16_t port = kDefaultRemotePort;  // 0: the system picks a free one
    AllowList allow;
};

struct RemoteOptionsResult {
    RemoteOptions options;
    QString error;  // empty when the options are usable
};

// "5025", "0.0.0.0:5025", "[::1]:5025", "localhost:5025"; an empty text keeps the defaults.
bool parseListenAddress(const QString& text, RemoteOptions& options);

// `arguments` as the program got them (its own name first); `environmentListen` and
// `environmentAllow` are the values of the two variables, empty when unset.
RemoteOptionsResult remoteOptions(const QStringList& arguments, const QString& environmentListen = {},
                                  const QString& environmentAllow = {});
