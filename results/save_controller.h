#pragma once
// The results window's two save buttons: Save Results and Save Spectrum. Each takes a time
// stamp, builds its sheet from the shared state, asks for a file name and writes the workbook.
// Nothing is reported to the operator, on success or failure. One per results window instance.

#include "results/workbook_writer.h"

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class Form1;
class Form2;

class SaveController : public QObject {
    Q_OBJECT
public:
    // Sheets other subsystems add to the results workbook, after its own.
    using MoreSheets = std::function<std::vector<SheetContent>()>;

    // Connects to the form's save buttons and lives as long as the form.
    // `main` tells by its measurement boxes what the spectrum's values are.
    SaveController(Form2& form, const Form1& main, MoreSheets moreSheets = {},
                   std::unique_ptr<WorkbookWriter> writer = std::make_unique<XlsxWorkbookWriter>());
    ~SaveController() override;

    void SaveAnalysis_Click();
    void SaveSpectrum_Click();

private:
    void save(const std::vector<SheetContent>& sheets, const QString& proposedName);

    const Form1& main_;
    MoreSheets moreSheets_;
    std::unique_ptr<WorkbookWriter> writer_;
};
