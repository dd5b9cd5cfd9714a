#include "records/history_host.h"

#include "core/form1.h"
#include "core/texts.h"
#include "records/history_window.h"
#include "records/record_store.h"

HistoryHost::HistoryHost(Form1& main, QString target, CurrentTraceSource current)
    : QObject(&main), target_(std::move(target)), current_(std::move(current))
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
        controller_ = new HistoryController(*window_, *store_, current_);
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

void HistoryHost::retranslate()
{
    if (controller_) controller_->retranslate();
}
