#include "results/save_controller.h"

#include "core/dialogs.h"
#include "core/form1.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "results/file_saving.h"
#include "results/form2.h"

#include <QDateTime>

#include <exception>

SaveController::SaveController(Form2& form, const Form1& main, MoreSheets moreSheets,
                               std::unique_ptr<WorkbookWriter> writer)
    : QObject(&form), main_(main), moreSheets_(std::move(moreSheets)), writer_(std::move(writer))
{
    connect(form.SaveAnalysis, &QPushButton::clicked, this, &SaveController::SaveAnalysis_Click);
    connect(form.SaveSpectrum, &QPushButton::clicked, this, &SaveController::SaveSpectrum_Click);
}

SaveController::~SaveController() = default;

void SaveController::SaveAnalysis_Click()
{
    const QString stamp = saveTimeStamp(QDateTime::currentDateTime());
    // No channels: the workbook still gets its header row, so a save is never silently empty.
    std::vector<SheetContent> sheets{resultsSheet(Module1.ChannelCount, Module1.ChannelResults)};
    if (moreSheets_)
        for (SheetContent& more : moreSheets_()) sheets.push_back(std::move(more));
    save(sheets, proposedResultsFileName(stamp));
}

void SaveController::SaveSpectrum_Click()
{
    const QString stamp = saveTimeStamp(QDateTime::currentDateTime());
    const Form1& f = main_;
    save({spectrumSheet(Module1.ScanWL, Module1.ScanValue, Module1.LastPointIndex, f.CheckAlignMode->isChecked(),
                        f.CheckVXMScanMode->isChecked())},
         proposedSpectrumFileName(stamp));
}

void SaveController::save(const std::vector<SheetContent>& sheets, const QString& proposedName)
{
    // Saving ends silently on any fault, as the operator is told nothing either way.
    try {
        const QString target = dialogs().saveFileName(documentsFolder(), proposedName, T("results.workbookFilter"));
        if (target.isEmpty()) return;  // cancelled
        saveWorkbook(*writer_, sheets, withSuffix(target, QStringLiteral(".xlsx")));
    } catch (const std::exception&) {
    }
}
