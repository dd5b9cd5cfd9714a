#include "core/dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>

namespace {

QPointer<QWidget> gParent;

class QtDialogs final : public UserDialogs {
public:
    void warning(const QString& text) override
    {
        QMessageBox box(QMessageBox::Critical, QStringLiteral(" Warning "), text, QMessageBox::Ok, gParent);
        box.exec();
    }

    QString saveFileName(const QString& folder, const QString& fileName, const QString& filter) override
    {
        QFileDialog dialog(gParent, QString(), folder, filter);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.selectFile(fileName);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                       : QString();
    }

    QString openFileName(const QString& folder, const QString& filter) override
    {
        QFileDialog dialog(gParent, QString(), folder, filter);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                       : QString();
    }

    bool question(const QString& text, const QString& yes, const QString& no) override
    {
        QMessageBox box(QMessageBox::Question, QStringLiteral(" Warning "), text, QMessageBox::NoButton, gParent);
        QPushButton* yesButton = box.addButton(yes, QMessageBox::AcceptRole);
        box.setDefaultButton(box.addButton(no, QMessageBox::RejectRole));
        box.exec();
        return box.clickedButton() == yesButton;
    }
};

std::unique_ptr<UserDialogs>& current()
{
    static std::unique_ptr<UserDialogs> d = std::make_unique<QtDialogs>();
    return d;
}

}  // namespace

QString UserDialogs::openFileName(const QString&, const QString&) { return {}; }

bool UserDialogs::question(const QString&, const QString&, const QString&) { return true; }

QString documentsFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    QDir().mkpath(folder);
    return folder;
}

UserDialogs& dialogs() { return *current(); }

std::unique_ptr<UserDialogs> setDialogs(std::unique_ptr<UserDialogs> replacement)
{
    std::swap(current(), replacement);
    return replacement;
}

void setDialogParent(QWidget* parent) { gParent = parent; }
