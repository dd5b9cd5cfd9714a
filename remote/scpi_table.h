#pragma once
// The commands a remote client may send, written the usual way: "SENSe:WAVelength:STARt",
// "OUTPut[:STATe]", "SYSTem:ERRor[:NEXT]?", "*IDN?". A typed node matches a node of the pattern
// case-insensitively in its short form (the upper-case letters) or its long form; nodes in [] may
// be left out; a pattern ending in '?' is the query form, a separate entry from the setting.
//
// A line runs command after command. A header without a leading ':' after a ';' continues the
// path of the previous command (its nodes but the last): "SENS:WAV:STAR 1530;STOP 1560" sets
// SENS:WAV:STOP. When that is no command, the header is tried from the root, so
// "SENS:WAV:STAR 1530;MEAS:MODE IL" also works. Common commands keep the path.

#include "remote/error_queue.h"
#include "remote/scpi_parser.h"
#include "remote/status_model.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <limits>
#include <optional>
#include <vector>

namespace scpi {

// What a handler answers.
struct Reply {
    QByteArray response;          // a query's response (nothing for a setting)
    std::optional<Error> error;   // refused: queued, no response, nothing changed
    bool wait = false;            // cannot be answered yet: the line stops here, to be run again

    static Reply done() { return {}; }
    static Reply text(QByteArray response) { return {std::move(response), std::nullopt, false}; }
    static Reply failure(Error error) { return {{}, std::move(error), false}; }
    static Reply later() { return {{}, std::nullopt, true}; }
};

// A handler sees the command with its full path (relative headers resolved) and the client's
// status (its error queue and registers, for SYSTem:ERRor?, *CLS, *ESR?...).
using Handler = std::function<Reply(const Command&, ClientStatus&)>;
using SimpleHandler = std::function<Reply(const Command&)>;

class CommandTable {
public:
    // A malformed pattern is a programming error (asserted).
    void add(const QString& pattern, Handler handler);
    void add(const QString& pattern, SimpleHandler handler);

    // The handler of a header with these nodes (common: one node "*XXX"), or null.
    const Handler* find(const QStringList& nodes, bool query) const;

private:
    struct Node {
        QString shortForm;  // upper case
        QString longForm;   // upper case
        bool optional = false;
    };
    struct Entry {
        std::vector<Node> nodes;
        bool query = false;
        Handler handler;
    };
    static bool matches(const std::vector<Node>& pattern, std::size_t p, const QStringList& nodes, qsizetype n);
    std::vector<Entry> entries_;
};

// True when a typed word is the short or long form of a mnemonic ("STAR"/"start" for "STARt").
bool mnemonicMatches(const QString& mnemonic, QStringView typed);

// Runs one parsed line against a table. A handler that answers Reply::later() stops the line
// there; run() again resumes with that same command (for *OPC? or *WAI while a measurement runs).
class LineExecution {
public:
    LineExecution(const CommandTable& table, ParsedLine line);

    // Runs the remaining commands, queueing their errors; true when the line is finished (its
    // syntax error, if any, queued last), false when a command waits.
    bool run(ClientStatus& status);

    // The query responses so far, joined by ';' (the server adds the LF); nothing when the line
    // held no answered query.
    bool hasResponse() const { return answered_ > 0; }
    const QByteArray& response() const { return response_; }

private:
    // The handler of a command, its nodes made the full path; null when unknown.
    const Handler* resolve(Command& command) const;

    const CommandTable& table_;
    ParsedLine line_;
    std::size_t next_ = 0;
    QStringList path_;  // the nodes a relative header continues
    QByteArray response_;
    int answered_ = 0;
};

// Parameter readers: the value, or the error to answer (-109 when the parameter is missing).
template <typename T>
struct Value {
    T value{};
    std::optional<Error> error;
    bool ok() const { return !error.has_value(); }
};

// -108 "Parameter not allowed" when the command has more than `count` parameters.
std::optional<Error> checkParameterCount(const Command& command, int count);
// A decimal number ("1550", "-3.5", "1e-3"); -220 when it is not one, -222 outside [min, max].
Value<double> numberParameter(const Command& command, int index, double min = -std::numeric_limits<double>::max(),
                              double max = std::numeric_limits<double>::max());
// A whole number; -220 when it is not one, -222 outside [min, max].
Value<int> integerParameter(const Command& command, int index, int min, int max);
// ON|OFF|1|0; -224 otherwise.
Value<bool> booleanParameter(const Command& command, int index);
// One of the mnemonics ("POWer", "TLS", "IL"), by short or long form: its position; -224 otherwise.
Value<int> choiceParameter(const Command& command, int index, const QStringList& mnemonics);

}  // namespace scpi
