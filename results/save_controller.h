#pragma once
// The results window's two save buttons: Save Results and Save Spectrum. Each takes a time
// stamp, builds its sheet from the shared state, asks for a file name and writes the workbook.
// Nothing is reported to the operator, on success or failure. One per results window instance.

#include "results/workbook_writer.h"

#include <QObject>

#include <memory>

class Bench;
class Form2;

// The folder the save-as dialogs of the results window open in (created if missing).
QString saveDialogFolder();

class SaveController : public QObject {
    Q_OBJECT
public:
    // Connects to the form's save buttons and lives as long as the form.
    SaveController(Bench& bench, Form2& form,
                   std::unique_ptr<WorkbookWriter> writer = std::make_unique<XlsxWorkbookWriter>());
    ~SaveController() override;

    void SaveAnalysis_Click();
    void SaveSpectrum_Click();

private:
    void save(const SheetContent& sheet, const QString& proposedName);

    Bench& bench_;
    std::unique_ptr<WorkbookWriter> writer_;
};
