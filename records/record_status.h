#pragma once
// The main window's records indicator (how many records wait for their database, how many only in
// memory, how many were set aside) and the red message in the information box when the database
// cannot take records, when it refused one for good, or when the spool cannot be written.

#include "records/record_writer.h"

#include <QObject>

class Form1;
class InfoBox;

// The catalogue key of the message for a store problem; nullptr for none.
const char* storeProblemKey(StoreProblem problem);

class RecordStatusController : public QObject {
    Q_OBJECT
public:
    RecordStatusController(Form1& form, InfoBox& info, RecordWriter& writer);

    void show(const RecordWriterStatus& status);
    // Rewrites the indicator in the current language.
    void refresh() { show(writer_.status()); }

private:
    void reportStore(const StoreError& error);
    void reportSpool(const RecordWriterStatus& status);
    void reportSetAside(const SetAsideEntry& entry);

    Form1& form_;
    InfoBox& info_;
    RecordWriter& writer_;
    StoreProblem reported_ = StoreProblem::None;
    bool spoolReported_ = false;
    QString asideReported_;  // uid of the last record told as set aside
};
