#include "results/export.h"

#include "app/bench.h"
#include "app/dialogs.h"
#include "app/form1.h"
#include "app/module1.h"
#include "app/texts.h"
#include "results/form2.h"
#include "results/save_controller.h"
#include "results/workbook_content.h"

#include <QDateTime>
#include <QFileInfo>
#include <QPixmap>
#include <QSaveFile>

#include <cmath>

namespace {

QByteArray csvNumber(double value)
{
    // A number a spreadsheet cannot hold stays an empty field, as it stays a blank cell.
    return std::isfinite(value) ? QByteArray::number(value, 'f', 4) : QByteArray();
}

}  // namespace

QByteArray spectrumCsv(const std::vector<float>& wavelengths, const std::vector<float>& values,
                       std::int32_t lastPointIndex, bool alignModeTicked, bool scanModeTicked)
{
    // The workbook's sheet already holds the header rule and the rounded numbers.
    const SheetContent sheet = spectrumSheet(wavelengths, values, lastPointIndex, alignModeTicked, scanModeTicked);
    QStringList header;
    for (const QString& name : sheet.header) header << name.trimmed();
    if (header.isEmpty()) header = QStringList{QStringLiteral("WL (nm)"), QStringLiteral("Value")};

    QByteArray text = header.join(u',').toUtf8() + "\r\n";
    text.reserve(text.size() + sheet.rows() * 22);
    for (int r = 0; r < sheet.rows(); ++r) text += csvNumber(sheet.value(r, 0)) + ',' + csvNumber(sheet.value(r, 1)) + "\r\n";
    return text;
}

QString proposedPlotFileName(const QString& timeStamp)
{
    return QStringLiteral("VXM_Plot_") + timeStamp + QStringLiteral(".png");
}

QString proposedCsvFileName(const QString& timeStamp)
{
    return QStringLiteral("VXM_Spectrum_") + timeStamp + QStringLiteral(".csv");
}

QRect plotRegion(const Form2& form)
{
    QRect region = form.Picture1->geometry();
    for (const QLabel* tick : form.Label1) region |= tick->geometry();
    for (const QLabel* tick : form.Label2) region |= tick->geometry();
    region |= form.WLLabel->geometry();
    region |= form.RotateLabel->geometry();
    region |= form.Label4->geometry();
    return region & form.rect();
}

QImage plotPicture(Form2& form) { return form.grab(plotRegion(form)).toImage(); }

bool saveBytes(const QByteArray& bytes, const QString& target)
{
    // QSaveFile writes beside the target and renames on commit; without commit the temporary goes.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) return false;
    return file.commit();
}

bool saveImage(const QImage& image, const QString& target)
{
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!image.save(&file, "PNG")) return false;
    return file.commit();
}

ExportController::ExportController(Bench& bench, Form2& form) : QObject(&form), bench_(bench), form_(form)
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
    const Form1& f = bench_.form1();
    const QByteArray text = spectrumCsv(Module1.ScanWL, Module1.ScanValue, Module1.LastPointIndex,
                                        f.CheckAlignMode->isChecked(), f.CheckVXMScanMode->isChecked());
    const QString target = askFileName(proposedCsvFileName(stamp), "extras.csvFilter", QStringLiteral(".csv"));
    if (!target.isEmpty()) saveBytes(text, target);
}

QString ExportController::askFileName(const QString& proposedName, const char* filterKey, const QString& suffix) const
{
    const QString target = dialogs().saveFileName(saveDialogFolder(), proposedName, T(filterKey));
    if (target.isEmpty()) return {};
    return QFileInfo(target).suffix().isEmpty() ? target + suffix : target;
}
