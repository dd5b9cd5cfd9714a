#include "recording_dialogs.h"

QString RecordingDialogs::saveFileName(const QString& folder, const QString& fileName, const QString& filter)
{
    lastFolder = folder;
    lastProposedName = fileName;
    lastFilter = filter;
    return answer;
}

DialogsGuard::DialogsGuard()
{
    auto recorder = std::make_unique<RecordingDialogs>();
    recorder_ = recorder.get();
    previous_ = setDialogs(std::move(recorder));
}

DialogsGuard::~DialogsGuard() { setDialogs(std::move(previous_)); }
