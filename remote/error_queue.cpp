#include "remote/error_queue.h"

namespace scpi {

QString standardMessage(int code)
{
    switch (code) {
    case NoError: return QStringLiteral("No error");
    case CommandError: return QStringLiteral("Command error");
    case SyntaxError: return QStringLiteral("Syntax error");
    case ParameterNotAllowed: return QStringLiteral("Parameter not allowed");
    case MissingParameter: return QStringLiteral("Missing parameter");
    case UndefinedHeader: return QStringLiteral("Undefined header");
    case InvalidBlockData: return QStringLiteral("Invalid block data");
    case ExecutionError: return QStringLiteral("Execution error");
    case ParameterError: return QStringLiteral("Parameter error");
    case DataOutOfRange: return QStringLiteral("Data out of range");
    case TooMuchData: return QStringLiteral("Too much data");
    case IllegalParameterValue: return QStringLiteral("Illegal parameter value");
    case SelfTestFailed: return QStringLiteral("Self-test failed");
    case QueueOverflow: return QStringLiteral("Queue overflow");
    default: return QStringLiteral("Error");
    }
}

QByteArray Error::text() const
{
    QString message = standardMessage(code);
    if (!detail.isEmpty()) message += QStringLiteral("; ") + detail;
    message.replace(u'"', QStringLiteral("\"\"")).replace(u'\n', u' ').replace(u'\r', u' ');  // one line
    return QByteArray::number(code) + ",\"" + message.toUtf8() + '"';
}

Error executionError(const QString& reason) { return {ExecutionError, reason}; }

void ErrorQueue::push(const Error& error)
{
    if (errors_.size() < kCapacity) {
        errors_.push_back(error);
        return;
    }
    errors_.back() = Error{QueueOverflow, {}};
}

Error ErrorQueue::pop()
{
    if (errors_.empty()) return {};
    Error oldest = errors_.front();
    errors_.pop_front();
    return oldest;
}

QByteArray ErrorQueue::popText() { return pop().text(); }

void ErrorQueue::clear() { errors_.clear(); }

}  // namespace scpi
