#include "records/history_host.h"

#include "core/form1.h"
#include "core/numeric_text.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "records/history_window.h"
#include "records/record_store.h"

HistoryHost::HistoryHost(Form1& main, QString target) : QObject(&main), main_(main), target_(std::move(target))
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
        connect(window_->UseBackground, &QPushButton::clicked, this, &HistoryHost::useAsBackground);
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

bool HistoryHost::useAsBackground()
{
    QLabel& message = *window_->Message;
    const std::optional<MeasurementRecord>& r = controller_->opened();
    const int channel = r ? main_.ChannelID->findText(r->settings.channel) : -1;
    if (!r || r->kind != RecordKind::Spectrum || !r->settings.background || r->values.empty() || channel < 0 ||
        channel >= static_cast<int>(Module1.BackgroundSources.size())) {
        message.setText(T("history.notBackground"));
        return false;
    }
    const auto whole = [](const QLineEdit* box) { return floorToInt32(leadingNumber(box->text())); };
    const struct {
        const char* setting;
        std::int32_t taken, present;
    } settings[] = {{"station.settingStart", r->settings.startNm, whole(main_.Text1)},
                    {"station.settingStop", r->settings.stopNm, whole(main_.Text2)},
                    {"station.settingLength", r->settings.dataLength, whole(main_.Text7)},
                    {"station.settingChannel", channel + 1, main_.ChannelID->currentIndex() + 1}};
    for (const auto& s : settings)
        if (s.taken != s.present) {
            message.setText(T("history.backgroundDiffers").arg(T(s.setting)).arg(s.taken).arg(s.present));
            return false;
        }
    (channel == 0 ? Module1.BackgroundCh0 : Module1.BackgroundCh1) = r->values;
    Module1.BackgroundSources[static_cast<std::size_t>(channel)] = {r->uid, r->utc.toMSecsSinceEpoch(), r->settings.startNm,
                                                                    r->settings.stopNm, r->settings.dataLength};
    Module1.BackgroundTaken = 1;
    // As the Spectrum option's handler does once a background exists.
    if (main_.MeasureSpectrum->isChecked()) main_.CheckRemoveBKG->setEnabled(true);
    message.setText(T("history.backgroundUsed").arg(r->id).arg(channel + 1));
    return true;
}
