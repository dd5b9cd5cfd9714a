#pragma once
// Remote control of the program as one piece: the command table bound to the windows, the
// dispatcher that runs the clients' lines in order and the TCP server, with the indicator on the
// main window's status strip that shows where it listens.

#include "remote/remote_options.h"

#include <QObject>
#include <QLabel>
#include <QPointer>
#include <QString>

class DeviceLibrary;
class Form1;
class InfoBox;
class RemoteCommands;
class RemoteDispatcher;
class ResultsWindowHost;
class ScanEngine;
class ScpiServer;
class StationController;
class VerdictController;

class RemoteControl : public QObject {
    Q_OBJECT
public:
    RemoteControl(Form1& form, InfoBox& info, DeviceLibrary& library, ResultsWindowHost& results, ScanEngine& engine,
                  VerdictController& verdict, StationController& station);
    ~RemoteControl() override;

    // Listens and shows the indicator; false (and errorString()) when the address cannot be used.
    bool start(const RemoteOptions& options);
    QString errorString() const;
    // Where it listens: "127.0.0.1:5025".
    QString endpoint() const;
    quint16 port() const;

    ScpiServer& server() { return *server_; }
    // The station sets the questionable bits of the status model through it.
    RemoteCommands& commands() { return *commands_; }
    QLabel* indicator() const { return indicator_; }

private:
    void showIndicator();

    Form1& form_;
    RemoteCommands* commands_;
    RemoteDispatcher* dispatcher_;
    ScpiServer* server_;
    QPointer<QLabel> indicator_;
};
