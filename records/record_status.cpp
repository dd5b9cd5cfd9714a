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
    case StoreProblem::Failed: return "records.failed";
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
    const QString text = quiet ? T("records.stored") : T("records.waiting");
    l->setText(quiet || text.isNull() ? text : text.arg(status.waiting));
    setForeColor(l, status.error ? VbColor::Red : quiet ? kQuietGrey : kWaitingOrange);
    l->setToolTip(status.error ? status.error.detail : QString());

    // Told once per cause: a server that stays away is not reported at every retry.
    const StoreProblem problem = status.error.problem;
    if (problem == reported_) return;
    const QString where = writer_.target();
    if (problem == StoreProblem::None) {
        info_.report(QStringLiteral("Arial"), VbColor::Blue, T("records.back").arg(displayTarget(where)));
    } else {
        const QString message = T(storeProblemKey(problem));
        if (!message.isNull())
            info_.report(QStringLiteral("Arial"), VbColor::Red, message.arg(displayTarget(where), status.error.detail));
    }
    reported_ = problem;
}
