#include "results/export_controller.h"

#include "core/dialogs.h"
#include "core/form1.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "results/file_saving.h"
#include "results/form2.h"
#include "results/plot_picture.h"
#include "results/save_controller.h"
#include "results/spectrum_csv.h"
#include "results/workbook_content.h"

#include <QDateTime>

ExportController::ExportController(Form2& form, const Form1& main, CompanionFile companion)
    : QObject(&form), form_(form), main_(main), companion_(std::move(companion))
{
    connect(form.SavePlot, &QPushButton::clicked, this, &ExportController::SavePlot_Click);
    connect(form.SaveCSV, &QPushButton::clicked, this, &ExportController::SaveCSV_Click);
}

void ExportController::SavePlot_Click()
{
    const QString stamp = saveTimeStamp(QDateTime::currentDateTime());
    // Taken before the dialog, so the picture is the one the operator saw when clicking.
    const QImage picture = plotPicture(form_);
    const QString target = askFileName(proposedPlotFileName(stamp), "extras.pictureFilter", QStringLiteral(".png"));
    if (!target.isEmpty()) saveImage(picture, target);
}

void ExportController::SaveCSV_Click()
{
    const QString stamp = saveTimeStamp(QDateTime::currentDateTime());
    const Form1& f = main_;
    const QByteArray text = spectrumCsv(Module1.ScanWL, Module1.ScanValue, Module1.LastPointIndex,
                                        f.CheckAlignMode->isChecked(), f.CheckVXMScanMode->isChecked());
    const QString target = askFileName(proposedCsvFileName(stamp), "extras.csvFilter", QStringLiteral(".csv"));
    if (target.isEmpty() || !saveBytes(text, target) || !companion_.text) return;
    const QByteArray companion = companion_.text();
    if (!companion.isEmpty()) saveBytes(companion, companion_.path(target));
}

QString ExportController::askFileName(const QString& proposedName, const char* filterKey, const QString& suffix) const
{
    const QString target = dialogs().saveFileName(documentsFolder(), proposedName, T(filterKey));
    if (target.isEmpty()) return {};
    return withSuffix(target, suffix);
}
