#pragma once
// The composition root: the two windows, the platform services and the controller of each
// subsystem, created and wired here and nowhere else. Each controller is handed what it uses;
// only main() and the tests see this whole.

#include <QObject>
#include <QPointer>

#include "laser/ms_clock.h"
#include "laser/serial_port.h"
#include "module/device_library.h"
#include "remote/remote_options.h"

#include <QSettings>

#include <memory>

class Form1;
class Form2;
class HistoryHost;
class InfoBox;
class LanguageController;
class ModuleController;
class MeasureOptionsController;
class MeasureController;
class ResultsController;
class TlsLink;
class TlsPortController;
class TlsControlController;
class ShutdownController;
class StartupController;
class ProgressStrip;
class RepeatStatisticsTracker;
class ResultsWindowHost;
class ScanEngine;
class RemoteControl;
class VerdictController;
class RecordWriter;
class RecordCapture;
class StationController;

// What the bench talks to; tests hand in fakes.
struct BenchServices {
    std::unique_ptr<DeviceLibrary> library;
    std::unique_ptr<SerialPort> serial;  // the laser's port, MSComm1; the system's when left empty
    std::unique_ptr<MsClock> clock;      // the system's when left empty
    std::unique_ptr<QSettings> settings; // the user's when left empty
    // Where measurement records go (URL or SQLite file) and the local spool; no records when the
    // target is empty.
    QString recordsTarget;
    QString recordsSpool;
    // The folder of recipe files; the user's data folder's "recipes" when left empty.
    QString recipesFolder;
};

// The services of a real bench: the device library found at run time.
BenchServices realServices();

class Bench : public QObject {
    Q_OBJECT
public:
    explicit Bench(BenchServices services);
    ~Bench() override;

    Form1& form1() { return *form1_; }
    InfoBox& info() { return *info_; }
    DeviceLibrary& library() { return *services_.library; }
    SerialPort& MSComm1() { return *services_.serial; }
    Waits& waits() { return *waits_; }
    TlsLink& link() { return *link_; }

    // The results window, loaded (hidden) on first use and after every unload.
    Form2& form2();
    Form2* loadedForm2() const;
    // The controller of the loaded results window.
    ResultsController* results() const;
    void unloadForm2();

    // Form_Load runs once, after construction.
    StartupController& startup() { return *startup_; }
    ModuleController& module() { return *module_; }
    MeasureOptionsController& measureOptions() { return *measureOptions_; }
    MeasureController& measure() { return *measure_; }
    TlsPortController& tlsPort() { return *tlsPort_; }
    TlsControlController& tlsControl() { return *tlsControl_; }
    ShutdownController& shutdown() { return *shutdown_; }
    ProgressStrip& progress() { return *progress_; }
    RepeatStatisticsTracker& repeatStatistics() { return *repeatStatistics_; }
    VerdictController& verdict() { return *verdict_; }
    StationController& station() { return *station_; }
    // Null when the bench keeps no records.
    RecordWriter* records() const { return records_.get(); }
    // Null when the bench keeps no records.
    HistoryHost* history() const { return history_; }

    // Remote control on `options`' address; false (and remote()->errorString()) when it cannot
    // listen there. nullptr until started.
    bool startRemote(const RemoteOptions& options);
    RemoteControl* remote() const { return remote_; }

private:
    void wireResultsWindow(Form2& window);
    void wireRecords();
    void wireHistory();
    void wireStation();

    BenchServices services_;
    std::unique_ptr<Waits> waits_;
    std::unique_ptr<Form1> form1_;
    std::unique_ptr<InfoBox> info_;
    std::unique_ptr<ResultsWindowHost> resultsWindow_;
    QPointer<ResultsController> results_;
    std::unique_ptr<TlsLink> link_;
    std::unique_ptr<ScanEngine> engine_;
    std::unique_ptr<RepeatStatisticsTracker> repeatStatistics_;
    std::unique_ptr<RecordWriter> records_;
    // The controllers are children of the main window.
    LanguageController* language_ = nullptr;
    StartupController* startup_ = nullptr;
    ModuleController* module_ = nullptr;
    MeasureOptionsController* measureOptions_ = nullptr;
    MeasureController* measure_ = nullptr;
    TlsPortController* tlsPort_ = nullptr;
    TlsControlController* tlsControl_ = nullptr;
    ShutdownController* shutdown_ = nullptr;
    ProgressStrip* progress_ = nullptr;
    VerdictController* verdict_ = nullptr;
    HistoryHost* history_ = nullptr;
    RecordCapture* capture_ = nullptr;
    StationController* station_ = nullptr;
    RemoteControl* remote_ = nullptr;
};
