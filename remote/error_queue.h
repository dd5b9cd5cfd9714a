#pragma once
// The errors a remote client reads back with SYSTem:ERRor?: the standard codes and messages, one
// error as the "<code>,\"<message>\"" text, and the first-in first-out queue that holds them.

#include <QByteArray>
#include <QString>

#include <deque>

namespace scpi {

enum ErrorCode : int {
    NoError = 0,
    CommandError = -100,
    SyntaxError = -102,
    ParameterNotAllowed = -108,
    MissingParameter = -109,
    UndefinedHeader = -113,
    InvalidBlockData = -161,
    ExecutionError = -200,
    ParameterError = -220,
    DataOutOfRange = -222,
    TooMuchData = -223,
    IllegalParameterValue = -224,
    SelfTestFailed = -330,
    QueueOverflow = -350,
};

// The standard message of a code ("Undefined header"); an unknown code reads "Error".
QString standardMessage(int code);

struct Error {
    int code = NoError;
    QString detail;  // appended to the standard message after "; " when not empty

    // "<code>,\"<message>[; <detail>]\"", quotes inside doubled, CR and LF made blanks, UTF-8.
    QByteArray text() const;
    friend bool operator==(const Error&, const Error&) = default;
};

// A command the program refused in its current state: -200 with the reason.
Error executionError(const QString& reason);

// First in, first out. When a push finds the queue full, the newest entry becomes -350 "Queue
// overflow" and the error is lost, as are further ones until an entry is read.
class ErrorQueue {
public:
    static constexpr int kCapacity = 32;

    void push(const Error& error);
    Error pop();             // the oldest error, or 0 "No error" when empty
    QByteArray popText();    // pop().text(): what SYSTem:ERRor? answers
    void clear();            // *CLS
    int size() const { return static_cast<int>(errors_.size()); }

private:
    std::deque<Error> errors_;
};

}  // namespace scpi
