#include "verdict/verdict_controller.h"

#include "core/dialogs.h"
#include "core/form1.h"
#include "core/info_box.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "core/units.h"
#include "results/form2.h"
#include "results/plot_engine.h"
#include "verdict/figures_output.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

using namespace verdict;

namespace {

const QString kPlanSetting = QStringLiteral("verdict/plan");
constexpr std::uint32_t kPassGreen = 0x008000;
constexpr std::uint32_t kMaskOrange = 0x0080FF;  // &HBBGGRR

QTableWidgetItem* cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    return item;
}

QString outcomeCaption(Outcome outcome)
{
    if (outcome == Outcome::Pass) return T("verdict.pass");
    if (outcome == Outcome::Fail) return T("verdict.fail");
    return {};
}

std::uint32_t outcomeColor(Outcome outcome) { return outcome == Outcome::Pass ? kPassGreen : VbColor::Red; }

QString figureNames(const std::vector<Figure>& figures)
{
    QStringList names;
    for (Figure f : figures) names << figureKey(f);
    return names.join(u' ');
}

}  // namespace

VerdictController::VerdictController(Form1& main, InfoBox& info, QSettings& settings)
    : QObject(&main), main_(main), info_(info), settings_(settings)
{
    plan_ = planFromKey(settings_.value(kPlanSetting).toString()).value_or(Plan::None);
    connect(main_.LanguageButton, &QPushButton::toggled, this, [this] {
        retranslate();
        show();
    });
}

void VerdictController::attach(Form2& window)
{
    window_ = &window;
    widgets_ = addVerdictWidgets(window);
    retranslate();
    widgets_.ChannelPlan->setCurrentIndex(static_cast<int>(plan_));
    connect(widgets_.ChannelPlan, &QComboBox::currentIndexChanged, this,
            [this](int index) { setPlan(static_cast<Plan>(std::clamp(index, 0, 3))); });
    connect(widgets_.LoadLimits, &QPushButton::clicked, this, &VerdictController::LoadLimits_Click);
    connect(window.Picture1, &PlotSurface::redrawn, this, &VerdictController::drawMaskLayer);
    show();
}

void VerdictController::evaluate()
{
    const auto count = static_cast<std::size_t>(std::max(Module1.LastPointIndex + 1, 0));
    const auto take = [count](const std::vector<float>& from) {
        return std::vector<float>(from.begin(), from.begin() + static_cast<std::ptrdiff_t>(std::min(count, from.size())));
    };
    wavelengths_ = take(Module1.ScanWL);
    values_ = take(Module1.ScanValue);
    analysis_ = analyseChannels(wavelengths_, values_, Module1.LastPointIndex, Module1.ChannelSelect,
                                downLevelFromText(main_.Text8->text()));
    latest_.emplace();  // marks the trace as analysed; judged below
    judgeAgain();
}

void VerdictController::judgeAgain()
{
    if (!latest_) return;
    const FigureLevels l = levels();
    const int last = static_cast<int>(std::min(wavelengths_.size(), values_.size())) - 1;
    std::vector<ChannelFigures> figures = measureFigures(wavelengths_, values_, last, analysis_, plan_, l);
    maskResults_.clear();
    if (mask_) maskResults_ = measureMask(wavelengths_, values_, last, *mask_, figures, std::max(port_, 1));
    if (port_ > 0) {
        // A port's trace shows the port's one channel, held to the bounds numbered as the port.
        latest_ = judge(std::move(figures), nullptr, plan_, l);
        for (ChannelVerdict& c : latest_->channels) c.number += port_ - 1;
        if (limits_) judgeChannels(*latest_, *limits_, 1);
    } else {
        latest_ = judge(std::move(figures), limits_ ? &*limits_ : nullptr, plan_, l);
    }
    show();
    emit evaluated(*latest_);
}

void VerdictController::setPlan(Plan plan)
{
    plan_ = plan;
    settings_.setValue(kPlanSetting, planKey(plan));
    if (window_) {
        const QSignalBlocker quiet(widgets_.ChannelPlan);
        widgets_.ChannelPlan->setCurrentIndex(static_cast<int>(plan));
    }
    judgeAgain();
}

bool VerdictController::loadLimits(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        info_.report(QStringLiteral("Arial"), VbColor::Red, T("verdict.unreadable").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    auto parsed = parseLimits(file.readAll());
    if (const auto* error = std::get_if<LimitsError>(&parsed)) {
        info_.report(QStringLiteral("Arial"), VbColor::Red,
                     T("verdict.refused").arg(error->line).arg(limitsReason(*error)));
        return false;
    }
    limits_ = std::get<Limits>(std::move(parsed));
    mask_.reset();
    limitsName_ = QFileInfo(path).fileName();
    if (limits_->plan) setPlan(*limits_->plan);  // judges again
    else judgeAgain();
    show();
    return true;
}

void VerdictController::useRecipe(const QString& name, std::optional<Limits> limits, std::optional<MaskTemplate> mask)
{
    limits_ = std::move(limits);
    mask_ = std::move(mask);
    limitsName_ = name;
    if (limits_ && limits_->plan) setPlan(*limits_->plan);  // judges again
    else judgeAgain();
    show();
}

void VerdictController::setPort(int port)
{
    if (port == port_) return;
    port_ = port;
    judgeAgain();
}

void VerdictController::LoadLimits_Click()
{
    const QString path = dialogs().openFileName(documentsFolder(), T("verdict.limitsFilter"));
    if (!path.isEmpty()) loadLimits(path);
}

std::vector<SheetContent> VerdictController::workbookSheets() const
{
    if (!latest_) return {};
    return {figuresSheet(*latest_)};
}

QByteArray VerdictController::figuresFile() const { return latest_ ? figuresCsv(*latest_) : QByteArray(); }

FigureLevels VerdictController::levels() const
{
    return limits_ && limits_->levels ? *limits_->levels : FigureLevels{};
}

void VerdictController::retranslate()
{
    if (!window_) return;
    const FigureLevels l = levels();
    retranslateVerdictWidgets(widgets_, l.level1Db, l.level2Db);
}

void VerdictController::show()
{
    if (!window_) return;
    retranslate();
    widgets_.LimitsName->setText(limits_ ? T("verdict.limitsName").arg(limitsName_) : T("verdict.noLimits"));
    fillFiguresGrid();
    showDeviceVerdict();
}

void VerdictController::fillFiguresGrid()
{
    QTableWidget& grid = *widgets_.FiguresGrid;
    const std::vector<ChannelVerdict> none;
    const std::vector<ChannelVerdict>& channels = latest_ ? latest_->channels : none;
    grid.setRowCount(static_cast<int>(channels.size()));
    for (int r = 0; r < grid.rowCount(); ++r) {
        const ChannelVerdict& c = channels[static_cast<std::size_t>(r)];
        QStringList texts{QString::number(c.number), figureText(c.figures.centerNm),
                          figureText(c.figures.grid ? c.figures.grid->wavelengthNm : NAN)};
        for (Figure f : kLeadingFigures) texts << figureText(c.figures[f]);
        texts << outcomeCaption(c.outcome) << figureNames(c.failing) << figureText(c.figures[Figure::MaskMargin]);
        for (int col = 0; col < texts.size(); ++col) grid.setItem(r, col, cell(texts[col]));
        if (c.outcome != Outcome::NotJudged) grid.item(r, kVerdictColumn)->setForeground(vbColor(outcomeColor(c.outcome)));
    }
}

void VerdictController::showDeviceVerdict()
{
    const Outcome device = latest_ ? latest_->outcome : Outcome::NotJudged;
    widgets_.DeviceVerdict->setText(outcomeCaption(device));
    setForeColor(widgets_.DeviceVerdict, outcomeColor(device));
    widgets_.VerdictReason->setText(latest_ ? verdictReasons(*latest_) : QString());
}

void VerdictController::drawMaskLayer()
{
    // Only over the analysed spectrum the results are of (a background is plotted, not analysed).
    if (!window_ || !mask_ || !latest_ || Module1.TraceKind != 3) return;
    std::vector<std::vector<std::array<float, 2>>> lines;
    for (const ChannelVerdict& c : latest_->channels) {
        const bool grid = mask_->reference == MaskReference::Grid;
        if (grid && !c.figures.grid) continue;
        const double offset = grid ? c.figures.grid->wavelengthNm : 0.0;
        const ChannelMask m = mask_->maskFor(c.number);
        for (const MaskLine* line : {&m.upper, &m.lower}) {
            if (line->empty()) continue;
            auto& rows = lines.emplace_back();
            for (const MaskPoint& p : *line) rows.push_back({static_cast<float>(p.nm + offset), static_cast<float>(p.db)});
        }
    }
    std::vector<std::array<float, 2>> beyond;
    for (const MaskResult& r : maskResults_)
        for (int i : r.violations)
            if (i >= 0 && static_cast<std::size_t>(i) < std::min(wavelengths_.size(), values_.size()))
                beyond.push_back({wavelengths_[static_cast<std::size_t>(i)], values_[static_cast<std::size_t>(i)]});
    resultsFrame(*window_).drawMask(lines, beyond, kMaskOrange, VbColor::Red);
}
