#pragma once
// Modal interaction with the operator, behind an interface so tests can answer for the operator.

#include <QString>

#include <memory>

class QWidget;

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    // A fault box: OK button, critical icon, title " Warning ".
    virtual void warning(const QString& text) = 0;
    // A save-as dialog opened in `folder` proposing `fileName`; an empty result means cancelled.
    virtual QString saveFileName(const QString& folder, const QString& fileName, const QString& filter) = 0;
    // An open dialog for an existing file, opened in `folder`; an empty result means cancelled.
    // Dialogs that cannot ask cancel.
    virtual QString openFileName(const QString& folder, const QString& filter);
    // A question with two answers, `no` the default button; true for `yes`. Dialogs that cannot
    // ask answer yes.
    virtual bool question(const QString& text, const QString& yes, const QString& no);
};

// The operator's documents folder (the home folder where there is none), created if missing:
// where the file dialogs open and the repeat logs go.
QString documentsFolder();

UserDialogs& dialogs();
// Replaces the dialogs in use (tests); returns the previous ones.
std::unique_ptr<UserDialogs> setDialogs(std::unique_ptr<UserDialogs> replacement);
// Parent window for the real dialogs.
void setDialogParent(QWidget* parent);
