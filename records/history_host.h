#pragma once
// Opens the History window from the main window's History… button: the window, a store of its
// own on this thread and the controller are made on the first click and kept; every click shows
// the window in front with a fresh list. A store that cannot be opened is named in the window's
// message, and the window stays usable for the current trace.

#include "records/history_controller.h"

#include <QObject>
#include <QString>

#include <memory>

class Form1;
class HistoryWindow;
class RecordStore;

class HistoryHost : public QObject {
    Q_OBJECT
public:
    // `target`: the records' URL or file path, as the writer uses it. The window's current trace is
    // the spectrum the main window last measured.
    HistoryHost(Form1& main, QString target);
    ~HistoryHost() override;

    void show();
    // The loaded window and its controller, or nullptr before the first show().
    HistoryWindow* window() const { return window_.get(); }
    HistoryController* controller() const { return controller_; }

    // "Use as Background": the opened record, a background taken with the main window's present
    // start, stop, data length and channel, becomes the stored background of its channel. False
    // (and the reason in the window's message) otherwise.
    bool useAsBackground();

private:
    void retranslate();
    CurrentTrace currentTrace() const;

    Form1& main_;
    QString target_;
    std::unique_ptr<RecordStore> store_;
    std::unique_ptr<HistoryWindow> window_;
    HistoryController* controller_ = nullptr;  // owned by the window
};
