#include "records/history_host.h"

#include "core/form1.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "records/history_window.h"
#include "records/record_store.h"
#include "records/set_aside.h"

HistoryHost::HistoryHost(Form1& main, QString target, QString spool)
    : QObject(&main), main_(main), target_(std::move(target)), spool_(std::move(spool))
{
    connect(main.HistoryButton, &QPushButton::clicked, this, &HistoryHost::show);
    // After the language switch, which is connected first and sets the language.
    connect(main.LanguageButton, &QPushButton::toggled, this, &HistoryHost::retranslate);
}

HistoryHost::~HistoryHost() = default;

void HistoryHost::show()
{
    if (!window_) {
        store_ = std::make_unique<RecordStore>();
        window_ = std::make_unique<HistoryWindow>();
        controller_ = new HistoryController(*window_, *store_, [this] { return currentTrace(); });
        if (!spool_.isEmpty()) controller_->setSetAsideFolder(setAsideFolder(spool_));
        if (const StoreError error = store_->open(target_))
            window_->Message->setText(T("history.storeFailed").arg(error.detail));
    }
    if (store_->isOpen()) {
        controller_->refreshBenches();
        controller_->search();
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

CurrentTrace HistoryHost::currentTrace() const
{
    return {history::tracePoints(Module1.ScanWL, Module1.ScanValue, Module1.LastPointIndex),
            main_.CheckAlignMode->isChecked(), main_.CheckVXMScanMode->isChecked()};
}

void HistoryHost::retranslate()
{
    if (controller_) controller_->retranslate();
}
