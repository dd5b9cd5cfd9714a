#pragma once
// Dialogs that answer for the operator and remember what they were asked.

#include "core/dialogs.h"

#include <QStringList>

#include <memory>

class RecordingDialogs final : public UserDialogs {
public:
    void warning(const QString& text) override { warnings << text; }
    QString saveFileName(const QString& folder, const QString& fileName, const QString& filter) override
    {
        lastFolder = folder;
        lastProposedName = fileName;
        lastFilter = filter;
        return answer;
    }
    QString openFileName(const QString& folder, const QString& filter) override
    {
        lastFolder = folder;
        lastFilter = filter;
        return answer;
    }

    bool question(const QString& text, const QString& yes, const QString& no) override
    {
        questions << text;
        lastAnswers = {yes, no};
        return questionAnswer;
    }

    QStringList warnings;
    QStringList questions;
    QStringList lastAnswers;      // the captions of the last question's buttons
    bool questionAnswer = true;   // the "operator" answers yes
    QString lastFolder, lastProposedName, lastFilter;
    QString answer;  // the path the "operator" picks; empty cancels
};

// Installs a RecordingDialogs for the lifetime of the guard.
class DialogsGuard {
public:
    DialogsGuard()
    {
        auto recorder = std::make_unique<RecordingDialogs>();
        recorder_ = recorder.get();
        previous_ = setDialogs(std::move(recorder));
    }
    ~DialogsGuard() { setDialogs(std::move(previous_)); }
    RecordingDialogs& operator*() { return *recorder_; }
    RecordingDialogs* operator->() { return recorder_; }

private:
    RecordingDialogs* recorder_;
    std::unique_ptr<UserDialogs> previous_;
};
