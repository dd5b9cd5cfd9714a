#pragma once
// The remote commands bound to the program. Every command that changes something does what the
// operator would do: it sets the control (text box, option, check box) and clicks the button, so
// the handlers run and the window changes exactly as after a click. What the window would refuse
// (a control disabled, a measurement running) is refused with -200 and its reason, and changes
// nothing.
//
// INITiate only schedules the click on Single Measurement, whose handler does not return before
// the measurement ends: the command returns at once, later commands (ABORt, queries) are served
// while it runs, and *OPC? and *WAI wait for it. The station's commands (RECipe, DEVice, LIMits)
// act through the station controller as the recipe selector, the Device ID box, Enter and Escape
// do; DEVice:MEASure and DEVice:PORT:NEXT are scheduled like INITiate.

#include "remote/error_queue.h"
#include "remote/scpi_table.h"
#include "remote/status_model.h"
#include "verdict/device_verdict.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <optional>

class DeviceLibrary;
class Form1;
class InfoBox;
class QAbstractButton;
class QLineEdit;
class QWidget;
class RemoteDispatcher;
class ResultsWindowHost;
class ScanEngine;
class StationController;
class VerdictController;


class RemoteCommands : public QObject {
    Q_OBJECT
public:
    // `library` answers the module's identity record for *IDN? and MODule:IDN?; `engine` tells
    // whether a scan runs; `verdict` answers FETCh:VERDict? and takes LIMits:LOAD; `station`
    // measures devices by recipe.
    RemoteCommands(Form1& form, InfoBox& info, DeviceLibrary& library, ResultsWindowHost& results,
                   ScanEngine& engine, VerdictController& verdict, StationController& station);

    const scpi::CommandTable& table() const { return table_; }
    // The dispatcher whose current client the per-client settings and late errors belong to.
    void setDispatcher(RemoteDispatcher* dispatcher);

    // A measurement started by INITiate has not ended yet.
    bool operationPending() const { return pending_; }
    // Any measurement runs, started remotely or at the window.
    bool measuring() const;

    // A QUEStionable condition of the bench (a stale or mismatched reference, a failed mask) comes
    // or goes; a rise latches in every client's event register.
    void setQuestionable(scpi::QuestionableBit bit, bool on);
    // The uid of the record the bench made last, for FETCh:RECord?.
    void setLastRecord(const QString& uid) { lastRecord_ = uid; }

private:
    struct ClientSettings {
        bool binaryTrace = false;  // FORMat REAL,32
    };
    // The numbers a text box setting accepts.
    struct NumberRange {
        double min;
        double max;
        bool integer = false;
    };

    void addCommon();
    void addLaser();
    void addModule();
    void addSettings();
    void addMeasurement();
    void addStation();
    // A text box setting and its query; a number outside `range` is refused with -222.
    void addTextBox(const QString& pattern, QLineEdit* box, NumberRange range);
    // A check box or toggle set to ON|OFF by clicking it when it differs.
    void addSwitch(const QString& pattern, QAbstractButton* button);

    // Why the window would refuse to touch `control` now; empty when it would not.
    QString refusal(const QWidget* control) const;
    // Runs an operator's action; its failure (a warning box, or false and the report it left) as
    // text. A red report of an action that succeeds (a recipe taken whose locked box waits for
    // Enter) is no failure.
    QString perform(const std::function<bool()>& action);
    // Clicks like the operator; the handler's failure (a warning box, a red report) as text.
    QString click(QAbstractButton* button);
    // refusal(), then the click; the failure as the command's reply.
    scpi::Reply clickChecked(QAbstractButton* button);
    // Runs `action` from the event loop, as its measurement does not return before it ends: the
    // command returns at once and *OPC, *OPC? and *WAI wait for it. Its failure (empty: none) is
    // queued for the client that asked.
    void startOperation(std::function<QString()> action);
    // The verdict of the last device: the station's, combined over the ports, when it came after
    // the latest trace's; none before the first analysis.
    const verdict::DeviceVerdict* lastVerdict() const;
    ClientSettings& client();
    QString moduleSerial();
    // The bench's conditions read from the window now; a change is latched in every client.
    scpi::Conditions updateConditions();

    Form1& form_;
    InfoBox& info_;
    DeviceLibrary& library_;
    ResultsWindowHost& results_;
    ScanEngine& engine_;
    VerdictController& verdict_;
    StationController& station_;
    RemoteDispatcher* dispatcher_ = nullptr;
    scpi::CommandTable table_;
    std::map<int, ClientSettings> clients_;
    bool laserOn_ = false;  // the last run of the laser toggle's handler switched it on
    bool pending_ = false;  // INITiate's measurement is scheduled or running
    QString serial_;        // the module's serial number, once read
    std::uint16_t questionable_ = 0;  // as the station set it
    scpi::Conditions conditions_;     // as last latched in the clients
    QString lastRecord_;
    std::optional<verdict::DeviceVerdict> deviceVerdict_;  // the station's, until a trace is judged again
};
