#include "station/station_widgets.h"

#include "core/control_placement.h"
#include "core/form1.h"
#include "core/texts.h"
#include "core/units.h"

#include <QStatusBar>

namespace {

constexpr double kDesignHeight = 7260;  // the main window's designed client area
constexpr double kStationStripHeight = 1560;

}  // namespace

void RecipeSelector::showPopup()
{
    emit aboutToOpen();
    QComboBox::showPopup();
}

StationWidgets addStationWidgets(Form1& form)
{
    QWidget* canvas = form.centralWidget();
    StationWidgets w;
    // Under the device ID box's column: the selector and the recipe in use.
    w.RecipeLabel = place(new QLabel(canvas), "RecipeLabel", 720, 7350, 1200, 360, 11);
    w.RecipeBox = place(new RecipeSelector(canvas), "RecipeBox", 1980, 7320, 3600, 375, 11);
    w.RecipeLabel->setBuddy(w.RecipeBox);
    w.RecipeName = place(new QLabel(canvas), "RecipeName", 720, 7740, 4860, 780, 9);
    w.RecipeName->setWordWrap(true);
    w.RecipeName->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    w.StationVerdict = place(new QLabel(canvas), "StationVerdict", 5760, 7320, 3480, 1380, 36);
    w.StationVerdict->setFont(arialFont(36, true));
    w.StationVerdict->setAlignment(Qt::AlignCenter);
    w.StationReason = place(new QLabel(canvas), "StationReason", 9360, 7320, 7680, 1380, 10);
    w.StationReason->setWordWrap(true);
    w.StationReason->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    w.StationReason->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Over what failed, which belongs to the device before while the next one is measured.
    w.PortPrompt = place(new QFrame(canvas), "PortPrompt", 9360, 7440, 7680, 780, 12);
    w.PortPrompt->setFrameShape(QFrame::Box);
    setBackColor(w.PortPrompt, VbColor::LightYellow);
    w.PortPrompt->setAutoFillBackground(true);
    w.PortPromptText = place(new QLabel(w.PortPrompt), "PortPromptText", 120, 60, 3600, 660, 12);
    w.PortPromptText->setFont(arialFont(12, true));
    w.PortContinue = place(new QPushButton(w.PortPrompt), "PortContinue", 3840, 150, 1800, 480, 10);
    w.PortAbandon = place(new QPushButton(w.PortPrompt), "PortAbandon", 5760, 150, 1800, 480, 10);
    for (QPushButton* b : {w.PortContinue, w.PortAbandon}) b->setAutoDefault(false);
    w.PortPrompt->hide();

    const QSize client(canvas->minimumWidth(), twipsToPixels(kDesignHeight + kStationStripHeight));
    canvas->setMinimumSize(client);
    form.resize(client.width(), client.height() + form.statusBar()->height());
    return w;
}

void retranslateStationWidgets(const StationWidgets& w)
{
    w.RecipeLabel->setText(T("station.recipe"));
    w.RecipeBox->setAccessibleName(T("station.recipe"));
    w.RecipeBox->setAccessibleDescription(T("station.recipeDescription"));
    w.RecipeBox->setToolTip(T("station.recipeDescription"));
    w.PortContinue->setText(T("station.continue"));
    w.PortAbandon->setText(T("station.abandon"));
    w.StationVerdict->setAccessibleName(T("station.verdictName"));
    w.StationReason->setAccessibleName(T("station.reasonName"));
    w.PortPrompt->setAccessibleName(T("station.promptName"));
}
