#include "remote/scpi_table.h"

#include <cmath>

namespace scpi {

namespace {

QString upperPart(const QString& mnemonic)
{
    QString part;
    for (const QChar c : mnemonic)
        if (!c.isLower()) part += c;
    return part;
}

}  // namespace

bool mnemonicMatches(const QString& mnemonic, QStringView typed)
{
    return typed.compare(mnemonic, Qt::CaseInsensitive) == 0 ||
           typed.compare(upperPart(mnemonic), Qt::CaseInsensitive) == 0;
}

void CommandTable::add(const QString& pattern, Handler handler)
{
    Entry entry;
    entry.handler = std::move(handler);
    QString text = pattern;
    entry.query = text.endsWith(u'?');
    if (entry.query) text.chop(1);

    // "A:B[:C]:D", "[:A]:B" or "*IDN": brackets only mark optional nodes.
    bool optional = false;
    QString name;
    const auto close = [&] {
        if (name.isEmpty()) return;
        entry.nodes.push_back({upperPart(name).toUpper(), name.toUpper(), optional});
        name.clear();
    };
    for (const QChar c : text) {
        if (c == u'[' || c == u']' || c == u':') {
            close();
            if (c != u':') optional = c == u'[';
        } else {
            name += c;
        }
    }
    close();
    Q_ASSERT(!entry.nodes.empty());
    entries_.push_back(std::move(entry));
}

void CommandTable::add(const QString& pattern, SimpleHandler handler)
{
    add(pattern, Handler([handler = std::move(handler)](const Command& command, ClientStatus&) { return handler(command); }));
}

bool CommandTable::matches(const std::vector<Node>& pattern, std::size_t p, const QStringList& nodes, qsizetype n)
{
    if (p == pattern.size()) return n == nodes.size();
    const Node& node = pattern[p];
    if (n < nodes.size() && (nodes[n].compare(node.shortForm, Qt::CaseInsensitive) == 0 ||
                             nodes[n].compare(node.longForm, Qt::CaseInsensitive) == 0) &&
        matches(pattern, p + 1, nodes, n + 1))
        return true;
    return node.optional && matches(pattern, p + 1, nodes, n);
}

const Handler* CommandTable::find(const QStringList& nodes, bool query) const
{
    for (const Entry& entry : entries_)
        if (entry.query == query && matches(entry.nodes, 0, nodes, 0)) return &entry.handler;
    return nullptr;
}

LineExecution::LineExecution(const CommandTable& table, ParsedLine line) : table_(table), line_(std::move(line)) {}

const Handler* LineExecution::resolve(Command& command) const
{
    if (command.common || command.absolute || path_.isEmpty()) return table_.find(command.nodes, command.query);
    const QStringList relative = path_ + command.nodes;
    if (const Handler* handler = table_.find(relative, command.query)) {
        command.nodes = relative;
        return handler;
    }
    if (const Handler* handler = table_.find(command.nodes, command.query)) return handler;
    command.nodes = relative;  // unknown either way: the path continues as written
    return nullptr;
}

bool LineExecution::run(ClientStatus& status)
{
    for (; next_ < line_.commands.size(); ++next_) {
        Command command = line_.commands[next_];
        const Handler* handler = resolve(command);
        // The responses so far are the client's output queue until the line ends and sends them.
        status.setMessageAvailable(answered_ > 0);
        const Reply reply = handler ? (*handler)(command, status) : Reply::failure({UndefinedHeader, {}});
        if (reply.wait) return false;  // run() comes back to this command with the same path
        if (!command.common) path_ = command.nodes.first(command.nodes.size() - 1);
        if (reply.error) {
            status.pushError(*reply.error);
        } else if (command.query) {
            if (answered_++ > 0) response_ += ';';
            response_ += reply.response;
        }
    }
    if (line_.error) {
        status.pushError(*line_.error);
        line_.error.reset();
    }
    return true;
}

std::optional<Error> checkParameterCount(const Command& command, int count)
{
    if (command.parameters.size() > count) return Error{ParameterNotAllowed, {}};
    return std::nullopt;
}

Value<double> numberParameter(const Command& command, int index, double min, double max)
{
    if (index >= command.parameters.size()) return {0.0, Error{MissingParameter, {}}};
    bool ok = false;
    const double value = command.parameters[index].toDouble(&ok);
    if (!ok || !std::isfinite(value)) return {0.0, Error{ParameterError, {}}};
    if (value < min || value > max) return {value, Error{DataOutOfRange, {}}};
    return {value, std::nullopt};
}

Value<int> integerParameter(const Command& command, int index, int min, int max)
{
    const Value<double> number = numberParameter(command, index, min, max);
    if (!number.ok()) return {0, number.error};
    if (number.value != std::floor(number.value)) return {0, Error{ParameterError, {}}};
    return {static_cast<int>(number.value), std::nullopt};
}

Value<bool> booleanParameter(const Command& command, int index)
{
    const Value<int> choice = choiceParameter(command, index, {QStringLiteral("OFF"), QStringLiteral("ON"),
                                                               QStringLiteral("0"), QStringLiteral("1")});
    if (!choice.ok()) return {false, choice.error};
    return {choice.value % 2 == 1, std::nullopt};
}

Value<int> choiceParameter(const Command& command, int index, const QStringList& mnemonics)
{
    if (index >= command.parameters.size()) return {0, Error{MissingParameter, {}}};
    for (int i = 0; i < mnemonics.size(); ++i)
        if (mnemonicMatches(mnemonics[i], command.parameters[index])) return {i, std::nullopt};
    return {0, Error{IllegalParameterValue, {}}};
}

}  // namespace scpi
