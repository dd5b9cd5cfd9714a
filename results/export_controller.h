#pragma once
// The results window's two export buttons: Save Plot writes the plot as a PNG picture (as drawn,
// with its tick labels, titles and channel label) and Save CSV the spectrum as a CSV file. The
// save habits are the workbooks': a time-stamped proposed name, the documents folder, nothing
// written on cancel, a temporary file renamed into place when complete, nothing reported.

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class Form1;
class Form2;

// Lives as long as its window.
class ExportController : public QObject {
    Q_OBJECT
public:
    // The text of a file saved beside the spectrum CSV, and its path from the CSV's; an empty text
    // writes no file.
    struct CompanionFile {
        std::function<QByteArray()> text;
        std::function<QString(const QString& csvPath)> path;
    };

    // `main` tells by its measurement boxes what the spectrum's values are.
    ExportController(Form2& form, const Form1& main, CompanionFile companion = {});

    void SavePlot_Click();
    void SaveCSV_Click();

private:
    // The file name the operator picks, with `suffix` added when typed without one; empty on cancel.
    QString askFileName(const QString& proposedName, const char* filterKey, const QString& suffix) const;

    Form2& form_;
    const Form1& main_;
    CompanionFile companion_;
};
