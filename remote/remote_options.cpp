#include "remote/remote_options.h"

namespace {

const QString kRemote = QStringLiteral("--remote");
const QString kAllow = QStringLiteral("--remote-allow");

// The value of `--name VALUE` or `--name=VALUE` at `i`; `hasValue` false for a bare `--name`
// followed by another option or nothing.
bool takeOption(const QStringList& args, int& i, const QString& name, QString& value, bool& hasValue)
{
    const QString& arg = args[i];
    if (arg.startsWith(name + QLatin1Char('='))) {
        value = arg.mid(name.size() + 1);
        hasValue = true;
        return true;
    }
    if (arg != name) return false;
    hasValue = i + 1 < args.size() && !args[i + 1].startsWith(QLatin1String("--"));
    if (hasValue) value = args[++i];
    return true;
}

}  // namespace

bool parseListenAddress(const QString& text, RemoteOptions& options)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) return true;
    QString host;
    QString port = t;
    if (t.startsWith(QLatin1Char('['))) {
        const qsizetype close = t.indexOf(QLatin1String("]:"));
        if (close < 0) return false;
        host = t.mid(1, close - 1);
        port = t.mid(close + 2);
    } else if (const qsizetype colon = t.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        host = t.left(colon);
        port = t.mid(colon + 1);
        if (host.contains(QLatin1Char(':'))) return false;  // an IPv6 address goes in brackets
    }
    bool ok = false;
    const uint number = port.toUInt(&ok);
    if (!ok || number > 65535 || port.startsWith(QLatin1Char('+'))) return false;
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) host = QStringLiteral("127.0.0.1");
    if (!host.isEmpty() && !isIpAddress(host)) return false;
    if (!host.isEmpty()) options.address = host;
    options.port = static_cast<std::uint16_t>(number);
    return true;
}

RemoteOptionsResult remoteOptions(const QStringList& arguments, const QString& environmentListen,
                                  const QString& environmentAllow)
{
    RemoteOptionsResult result;
    RemoteOptions& o = result.options;
    QString listen = environmentListen;
    QString allow = environmentAllow;
    QStringList allowItems;
    o.enabled = !environmentListen.trimmed().isEmpty();
    for (int i = 1; i < arguments.size(); ++i) {
        QString value;
        bool hasValue = false;
        if (takeOption(arguments, i, kAllow, value, hasValue)) {
            if (!hasValue) {
                result.error = QStringLiteral("--remote-allow needs a list of addresses");
                return result;
            }
            allowItems << value;
        } else if (takeOption(arguments, i, kRemote, value, hasValue)) {
            o.enabled = true;
            listen = hasValue ? value : QString();
        }
    }
    if (!allowItems.isEmpty()) allow = allowItems.join(QLatin1Char(','));
    if (!parseListenAddress(listen, o)) {
        result.error = QStringLiteral("not an address and port: %1").arg(listen);
        return result;
    }
    QString bad;
    const auto list = AllowList::parse(allow, &bad);
    if (!list) {
        result.error = QStringLiteral("not an address or range: %1").arg(bad);
        return result;
    }
    o.allow = *list;
    return result;
}
