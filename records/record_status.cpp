#include "records/record_status.h"

#include "core/form1.h"
#include "core/info_box.h"
#include "core/texts.h"
#include "core/units.h"

namespace {
constexpr std::uint32_t kQuietGrey = 0x808080;
constexpr std::uint32_t kWaitingOrange = 0x0080FF;
}  // namespace

const char* storeProblemKey(StoreProblem problem)
{
    switch (problem) {
    case StoreProblem::None: return nullptr;
    case StoreProblem::MalformedUrl: return "records.malformed";
    case StoreProblem::DriverMissing: return "records.driver";
    case StoreProblem::Unreachable: return "records.unreachable";
    case StoreProblem::AccessDenied: return "records.denied";
    case StoreProblem::NoDatabase: return "records.noDatabase";
    case StoreProblem::SchemaVersion: return "records.schema";
    case StoreProblem::ReadOnly: return "records.readOnly";
    case StoreProblem::Failed:
    case StoreProblem::Refused: return "records.failed";
    }
    return "records.failed";
}

RecordStatusController::RecordStatusController(Form1& form, InfoBox& info, RecordWriter& writer)
    : QObject(&form), form_(form), info_(info), writer_(writer)
{
    connect(&writer, &RecordWriter::statusChanged, this, &RecordStatusController::show);
    // The language controller answers the button first; the indicator follows in the new language.
    connect(form.LanguageButton, &QPushButton::toggled, this, &RecordStatusController::refresh);
}

void RecordStatusController::show(const RecordWriterStatus& status)
{
    QLabel* l = form_.RecordsStatus;
    const bool quiet = status.waiting == 0 && status.storeUp;
    const bool inMemory = status.inMemory > 0 && status.waiting > 0;
    // No text before the language is set.
    QString text = T(quiet ? "records.stored" : inMemory ? "records.inMemory" : "records.waiting");
    if (!text.isNull() && !quiet) text = inMemory ? text.arg(status.waiting).arg(status.inMemory) : text.arg(status.waiting);
    if (!text.isNull() && status.setAside > 0) text += T("records.setAsideCount").arg(status.setAside);
    l->setText(text);
    const bool alarm = status.error || status.inMemory > 0 || status.setAside > 0;
    setForeColor(l, alarm ? VbColor::Red : quiet ? kQuietGrey : kWaitingOrange);
    l->setToolTip(status.error ? status.error.detail : status.spoolError.detail);

    // Each told once: a server that stays away is not reported at every retry.
    reportStore(status.error);
    reportSpool(status);
    if (status.latestSetAside && status.latestSetAside->uid != asideReported_) reportSetAside(*status.latestSetAside);
}

void RecordStatusController::reportStore(const StoreError& error)
{
    const StoreProblem problem = error.problem;
    if (problem == reported_) return;
    const QString where = writer_.target();
    if (problem == StoreProblem::None) {
        info_.report(QStringLiteral("Arial"), VbColor::Blue, T("records.back").arg(displayTarget(where)));
    } else {
        const QString message = T(storeProblemKey(problem));
        if (!message.isNull())
            info_.report(QStringLiteral("Arial"), VbColor::Red, message.arg(displayTarget(where), error.detail));
    }
    reported_ = problem;
}

void RecordStatusController::reportSpool(const RecordWriterStatus& status)
{
    const bool inMemory = status.inMemory > 0;
    if (inMemory == spoolReported_) return;
    spoolReported_ = inMemory;
    const QString message = T(inMemory ? "records.spoolFailed" : "records.spoolBack");
    if (message.isNull()) return;
    if (inMemory)
        info_.report(QStringLiteral("Arial"), VbColor::Red, message.arg(writer_.spoolPath(), status.spoolError.detail));
    else
        info_.report(QStringLiteral("Arial"), VbColor::Blue, message.arg(writer_.spoolPath()));
}

void RecordStatusController::reportSetAside(const SetAsideEntry& entry)
{
    asideReported_ = entry.uid;
    const QString message = T("records.setAside");
    if (message.isNull()) return;
    const QString device = entry.deviceId.isEmpty() ? T("history.noDeviceId") : entry.deviceId;
    info_.report(QStringLiteral("Arial"), VbColor::Red,
                 message.arg(displayTarget(writer_.target()), setAsideFolder(writer_.spoolPath()), device,
                          entry.measuredUtc.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), entry.reason));
}
