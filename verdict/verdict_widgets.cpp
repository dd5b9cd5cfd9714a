#include "verdict/verdict_widgets.h"

#include "core/control_placement.h"
#include "core/texts.h"
#include "core/units.h"
#include "results/form2.h"
#include "verdict/figures_output.h"

#include <QHeaderView>

namespace {

constexpr double kStripTop = 9960;     // below the window's design and the statistics strip
constexpr double kFiguresStripHeight = 2520;  // the figures table: a heading and about eight rows

}  // namespace

VerdictWidgets addVerdictWidgets(Form2& form)
{
    VerdictWidgets w;
    // Left of the statistics panel (from 9840), below the markers row (7740..8235).
    w.PlanLabel = place(new QLabel(&form), "PlanLabel", 240, 8640, 1560, 375, 10);
    w.ChannelPlan = place(new QComboBox(&form), "ChannelPlan", 1800, 8595, 2100, 420, 10);
    w.LoadLimits = place(new QPushButton(&form), "LoadLimits", 4020, 8580, 1500, 450, 10);
    w.LoadLimits->setAutoDefault(false);
    w.LimitsName = place(new QLabel(&form), "LimitsName", 5640, 8640, 4080, 375, 9);
    w.DeviceVerdict = place(new QLabel(&form), "DeviceVerdict", 240, 9120, 3480, 840, 36);
    w.DeviceVerdict->setFont(arialFont(36, true));
    w.DeviceVerdict->setAlignment(Qt::AlignCenter);
    w.VerdictReason = place(new QLabel(&form), "VerdictReason", 3840, 9120, 5880, 840, 10);
    w.VerdictReason->setWordWrap(true);
    w.VerdictReason->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    w.FiguresGrid = place(new QTableWidget(0, verdict::kFiguresColumns, &form), "FiguresGrid", 240, kStripTop, 19815, kFiguresStripHeight - 120, 9);
    w.FiguresGrid->setAccessibleName(QStringLiteral("Channel figures"));
    w.FiguresGrid->verticalHeader()->hide();
    w.FiguresGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    w.FiguresGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    w.FiguresGrid->horizontalHeader()->setSectionResizeMode(verdict::kFailingColumn, QHeaderView::ResizeToContents);
    w.FiguresGrid->horizontalHeader()->setFont(arialFont(9));

    const QSize grown(form.width(), twipsToPixels(kStripTop + kFiguresStripHeight));
    form.setMinimumSize(grown);
    form.resize(grown);
    return w;
}

void retranslateVerdictWidgets(const VerdictWidgets& w, double level1Db, double level2Db)
{
    w.PlanLabel->setText(T("verdict.plan"));
    const char* plans[] = {"verdict.planNone", "verdict.planCwdm", "verdict.planDwdm100", "verdict.planDwdm50"};
    if (w.ChannelPlan->count() == 0)
        for (const char* key : plans) w.ChannelPlan->addItem(T(key));
    else
        for (int i = 0; i < 4; ++i) w.ChannelPlan->setItemText(i, T(plans[i]));
    w.LoadLimits->setText(T("verdict.limits"));

    const QString bwAt = T("verdict.colBandwidthAt");
    w.FiguresGrid->setHorizontalHeaderLabels(
        {QStringLiteral("#"), T("extras.statsCenter"), T("verdict.colGrid"), T("verdict.colOffsetNm"), T("verdict.colOffsetGhz"),
         T("verdict.colBandwidth"), bwAt.arg(level1Db), bwAt.arg(level2Db), T("verdict.colRipple"), T("verdict.colIl"),
         T("verdict.colIlMin"), T("verdict.colIlMax"), T("verdict.colIsolation"), T("verdict.colVerdict"),
         T("verdict.colFailing"), T("verdict.colMask")});
}
