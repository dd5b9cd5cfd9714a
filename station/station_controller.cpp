#include "station/station_controller.h"

#include "core/form1.h"
#include "core/info_box.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "core/units.h"
#include "measure/measure_controller.h"
#include "records/measurement_record.h"
#include "records/record_capture.h"
#include "station/reference_check.h"
#include "verdict/verdict_controller.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QSignalBlocker>

#include <algorithm>

using namespace station;

namespace {

const QString kArial = QStringLiteral("Arial");
constexpr std::uint32_t kPassGreen = 0x008000;
constexpr std::uint32_t kMarginalAmber = 0x0080C0;  // &HBBGGRR
constexpr qsizetype kMaxIdLength = 64;

// A box's name as the window shows it, for a refusal.
QString captionOf(const QWidget* w)
{
    if (!w->accessibleName().isEmpty()) return w->accessibleName();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    return w->objectName();
}

// The stored background of module channel `channel` (1 or 2), as the reference check reads it.
std::optional<BackgroundFacts> backgroundOf(int channel)
{
    const auto index = static_cast<std::size_t>(channel - 1);
    if (index >= Module1.BackgroundSources.size()) return std::nullopt;
    const BackgroundSource& s = Module1.BackgroundSources[index];
    const std::vector<float>& data = index == 0 ? Module1.BackgroundCh0 : Module1.BackgroundCh1;
    if (s.utcMs == 0 || data.empty()) return std::nullopt;
    return BackgroundFacts{s.uid, QDateTime::fromMSecsSinceEpoch(s.utcMs, Qt::UTC),
                           ScanSettings{s.start, s.stop, 0, 0, s.length}, channel};
}

bool maskCrossed(const std::vector<verdict::MaskResult>& results)
{
    return std::any_of(results.begin(), results.end(), [](const verdict::MaskResult& r) { return r.marginDb < 0.0; });
}

}  // namespace

StationController::StationController(Form1& form, InfoBox& info, MeasureController& measure,
                                     VerdictController& verdict, RecordCapture* records, RecipeSource recipes)
    : QObject(&form), form_(form), info_(info), measure_(measure), verdict_(verdict), records_(records),
      source_(std::move(recipes)), widgets_(addStationWidgets(form))
{
    const StationWidgets& w = widgets_;
    connect(w.RecipeBox, &RecipeSelector::aboutToOpen, this, &StationController::refreshRecipes);
    connect(w.RecipeBox, &QComboBox::activated, this,
            [this](int index) { chooseRecipe(widgets_.RecipeBox->itemData(index).toString()); });
    connect(form_.DeviceId, &QLineEdit::returnPressed, this, [this] {
        if (run_) nextPort();
        else startDevice();
    });
    connect(w.PortContinue, &QPushButton::clicked, this, &StationController::nextPort);
    connect(w.PortAbandon, &QPushButton::clicked, this, &StationController::abandon);
    form_.installEventFilter(this);
    connect(form_.LanguageButton, &QPushButton::toggled, this, &StationController::retranslate);
    retranslate();
}

void StationController::refreshRecipes()
{
    if (source_) offered_ = source_();
    RecipeSelector& box = *widgets_.RecipeBox;
    const QSignalBlocker quiet(&box);
    box.clear();
    for (const OfferedRecipe& r : offered_)
        box.addItem(r.revision > 0 ? QStringLiteral("%1 (r%2)").arg(r.name).arg(r.revision) : r.name, r.name);
    box.setCurrentIndex(recipe_ ? box.findData(recipe_->name) : -1);
}

QStringList StationController::recipeNames() const
{
    QStringList names;
    for (const OfferedRecipe& r : offered_) names << r.name;
    return names;
}

bool StationController::chooseRecipe(const QString& name)
{
    const auto found = std::find_if(offered_.begin(), offered_.end(), [&](const OfferedRecipe& r) { return r.name == name; });
    auto parsed = found == offered_.end() ? std::variant<Recipe, RecipeError>{} : parseRecipe(found->text);
    if (found == offered_.end() || !std::holds_alternative<Recipe>(parsed)) {
        const QString why = found == offered_.end() ? T("station.recipeUnreadable").arg(name)
                                                    : recipeRefusal(std::get<RecipeError>(parsed));
        const QSignalBlocker quiet(widgets_.RecipeBox);
        widgets_.RecipeBox->setCurrentIndex(recipe_ ? widgets_.RecipeBox->findData(recipe_->name) : -1);
        return refuse(why);
    }
    if (run_) abandon();
    recipe_ = std::get<Recipe>(std::move(parsed));
    applyControls(Acquisition::Spectrum, false);  // what is locked now (no background yet) is set at Enter
    verdict_.setPort(0);
    verdict_.useRecipe(recipe_->name, recipe_->limits, recipe_->mask);
    {
        const QSignalBlocker quiet(widgets_.RecipeBox);
        widgets_.RecipeBox->setCurrentIndex(widgets_.RecipeBox->findData(recipe_->name));
    }
    retranslate();
    emit recipeChosen(recipe_->name);
    return true;
}

void StationController::setDeviceId(const QString& id) { form_.DeviceId->setText(id); }

bool StationController::refuse(const QString& text)
{
    info_.report(kArial, VbColor::Red, text);
    return false;
}

bool StationController::startDevice()
{
    if (measuring_ || measure_.running() || measure_.engine().busy()) return refuse(T("station.busy"));
    if (run_) return refuse(run_->prompt());
    const QString id = form_.DeviceId->text().trimmed();
    if (id.isEmpty()) return refuse(T("station.idEmpty"));
    if (std::any_of(id.begin(), id.end(), [](QChar c) { return c.category() == QChar::Other_Control; }))
        return refuse(T("station.idControl"));
    if (id.size() > kMaxIdLength) return refuse(T("station.idTooLong").arg(id.left(kMaxIdLength) + QStringLiteral("…")));
    if (!recipe_) return refuse(T("station.noRecipe"));
    if (!form_.SingleMeasure->isEnabled()) return refuse(T("station.notReady"));
    if (!checkBackground() || !applyControls(Acquisition::Spectrum)) return false;

    runDevice_ = id;
    if (!recipe_->ports.empty()) {
        run_.emplace(recipe_->ports);
        runUid_ = newRecordUid();
        showPrompt();
        return true;
    }
    if (records_) records_->setStationContext({recipe_->name, QString::number(recipe_->revision), recipe_->hash, 0, 0, {}});
    verdict_.setPort(0);
    const std::optional<verdict::DeviceVerdict> judged = measureOnce();
    if (records_) records_->setStationContext({});
    if (!judged) return false;
    showVerdict(*judged);
    emit deviceRecorded(id, {});
    form_.DeviceId->selectAll();
    return true;
}

bool StationController::nextPort()
{
    if (measuring_ || measure_.running() || measure_.engine().busy()) return refuse(T("station.busy"));
    if (!run_ || !run_->current()) return false;
    if (!checkBackground() || !applyControls(Acquisition::Spectrum)) return false;
    const int port = *run_->current();
    const auto count = static_cast<std::int32_t>(recipe_->ports.size());
    const StationContext context{recipe_->name, QString::number(recipe_->revision), recipe_->hash, port, count, runUid_};
    if (records_) records_->setStationContext(context);
    verdict_.setPort(port);
    const std::optional<verdict::DeviceVerdict> judged = measureOnce();
    if (records_) records_->setStationContext({});  // a measurement between two ports is the window's own
    if (!judged) {
        refuse(T("station.portFailed").arg(port));
        return false;
    }
    std::vector<verdict::ChannelFigures> figures;
    for (const verdict::ChannelVerdict& c : judged->channels) figures.push_back(c.figures);
    run_->record(std::move(figures));
    if (!run_->finished()) {
        showPrompt();
        return true;
    }
    const verdict::Limits* limits = recipe_->limits ? &*recipe_->limits : nullptr;
    const verdict::DeviceVerdict device = *run_->verdict(limits, verdict_.plan(), judged->levels);
    if (records_) records_->submitDevice(device, {context.recipeName, context.recipeRevision, context.recipeHash, 0,
                                                  count, runUid_});
    verdict_.setPort(0);
    run_.reset();
    closePrompt();
    showVerdict(device);
    emit deviceRecorded(runDevice_, runUid_);
    form_.DeviceId->selectAll();
    return true;
}

void StationController::abandon()
{
    if (!run_) return;
    run_->abandon();
    run_.reset();
    if (records_) records_->dropHeld();
    verdict_.setPort(0);
    closePrompt();
    info_.report(kArial, VbColor::Black, T("station.abandoned").arg(runDevice_));
    form_.DeviceId->selectAll();
}

bool StationController::eventFilter(QObject* watched, QEvent* event)
{
    if (run_ && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        abandon();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

std::optional<int> StationController::promptedPort() const { return run_ ? run_->current() : std::nullopt; }

bool StationController::applyControls(Acquisition acquisition, bool tell)
{
    Form1& f = form_;
    const WindowControls c = windowControls(recipe_->scan, acquisition);
    QString locked;
    const auto tick = [&locked](QAbstractButton* b, bool on) {
        if (b->isChecked() == on) return;
        if (b->isEnabled()) b->click();
        else if (locked.isEmpty()) locked = captionOf(b);
    };
    QAbstractButton* option = c.option == ScanMode::PowerMeter ? static_cast<QAbstractButton*>(f.CheckPowerMeter)
                              : c.option == ScanMode::Align    ? f.CheckAlignMode
                                                               : f.CheckVXMScanMode;
    tick(option, true);
    if (f.ChannelID->currentIndex() != c.channelIndex) {
        if (f.ChannelID->isEnabled()) f.ChannelID->setCurrentIndex(c.channelIndex);
        else if (locked.isEmpty()) locked = captionOf(f.ChannelID);
    }
    const std::pair<QLineEdit*, QString> texts[] = {{f.Text1, c.text1}, {f.Text2, c.text2}, {f.Text3, c.text3},
                                                    {f.Text4, c.text4}, {f.Text6, c.text6}, {f.Text7, c.text7},
                                                    {f.Text8, c.text8}};
    for (const auto& [box, text] : texts) {
        if (text.isNull() || box->text() == text) continue;
        if (box->isEnabled()) box->setText(text);
        else if (locked.isEmpty()) locked = captionOf(box);
    }
    if (c.option == ScanMode::Regular) {
        tick(c.takeBackground ? f.TakeBackground : f.MeasureSpectrum, true);
        tick(f.CheckRemoveBKG, c.removeBackground);
    }
    if (c.option != ScanMode::PowerMeter && (Module1.ChannelSelect == 0) != c.reflection) {
        QPushButton* path = c.reflection ? f.Reflection : f.Transmission;
        if (path->isEnabled()) path->click();
        else if (locked.isEmpty()) locked = captionOf(path);
    }
    if (locked.isEmpty()) return true;
    return tell ? refuse(T("station.locked").arg(locked)) : false;
}

bool StationController::checkBackground()
{
    if (!recipe_->reference) return true;
    const RecipeScan& scan = recipe_->scan;
    const ReferenceCheck check = checkReference(*recipe_->reference, backgroundOf(scan.channel), scan.settings,
                                                scan.channel, QDateTime::currentDateTimeUtc());
    emit referenceQuestionable(!check.ok());
    if (check.ok()) return true;
    return refuse(referenceText(check));
}

std::optional<verdict::DeviceVerdict> StationController::measureOnce()
{
    bool measured = false;
    const QMetaObject::Connection done =
        connect(&measure_, &MeasureController::spectrumMeasured, this, [&measured] { measured = true; });
    measuring_ = true;
    form_.SingleMeasure->click();
    measuring_ = false;
    disconnect(done);
    if (!measured || !verdict_.latest()) return std::nullopt;
    emit maskFailed(maskCrossed(verdict_.maskResults()));
    return verdict_.latest();
}

void StationController::showVerdict(const verdict::DeviceVerdict& verdict)
{
    shown_ = verdict;
    paintVerdict();
    emit deviceJudged(verdict);
}

void StationController::paintVerdict()
{
    const verdict::DeviceVerdict& v = *shown_;
    const bool pass = v.outcome == verdict::Outcome::Pass;
    const bool fail = v.outcome == verdict::Outcome::Fail;
    QLabel& big = *widgets_.StationVerdict;
    big.setText(pass ? T(v.marginal ? "station.marginal" : "verdict.pass") : fail ? T("verdict.fail") : QStringLiteral("-"));
    setForeColor(&big, pass ? (v.marginal ? kMarginalAmber : kPassGreen) : fail ? VbColor::Red : VbColor::Black);
    const QString reasons = verdictReasons(v, true);
    widgets_.StationReason->setText(T("station.judged").arg(runDevice_, big.text()) +
                                    (reasons.isEmpty() ? QString() : u'\n' + reasons));
}

void StationController::showPrompt()
{
    const QString text = run_->prompt();
    widgets_.PortPromptText->setText(text);
    widgets_.PortPrompt->show();
    form_.DeviceId->setFocus();
    emit portPrompted(text);
}

void StationController::closePrompt()
{
    widgets_.PortPrompt->hide();
    emit portPrompted({});
}

void StationController::retranslate()
{
    retranslateStationWidgets(widgets_);
    widgets_.RecipeName->setText(recipe_ ? T("station.recipeInUse").arg(recipe_->name).arg(recipe_->revision).arg(recipe_->partNumber)
                                         : T("station.noRecipeInUse"));
    if (run_) widgets_.PortPromptText->setText(run_->prompt());
    if (shown_) paintVerdict();
}
