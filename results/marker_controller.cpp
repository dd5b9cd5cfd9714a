#include "results/marker_controller.h"

#include "core/form1.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "results/form2.h"
#include "results/plot_engine.h"

MarkerController::MarkerController(Form2& form, const Form1& main) : QObject(&form), form_(form), main_(main)
{
    connect(form_.MarkerPlot, &QPushButton::clicked, this, &MarkerController::MarkerPlot_Click);
    connect(form_.AutoMarkers, &QCheckBox::toggled, this, &MarkerController::AutoMarkers_Click);
    connect(form_.Picture1, &PlotSurface::mouseDown, this, &MarkerController::Picture1_MouseDown);
    connect(form_.Picture1, &PlotSurface::mouseMove, this, &MarkerController::Picture1_MouseMove);
    connect(form_.Picture1, &PlotSurface::keyDown, this, &MarkerController::Picture1_KeyDown);
    connect(form_.Picture1, &PlotSurface::redrawn, this, [this] {
        plotted_ = true;
        refresh();
    });
    // The other tools take the keyboard away from the plot.
    for (QPushButton* tool : {form_.ZoomPlot, form_.PanPlot, form_.NormalPlot})
        connect(tool, &QPushButton::clicked, this, [this] { form_.Picture1->setFocusPolicy(Qt::NoFocus); });
    // Connected after the language switch's own handler, so this runs once the language is set.
    connect(main_.LanguageButton, &QPushButton::toggled, this, &MarkerController::refresh);
    refresh();
}

void MarkerController::MarkerPlot_Click()
{
    PlotSurface& pic = *form_.Picture1;
    pic.setEnabled(true);
    pic.setCursor(Qt::PointingHandCursor);
    pic.setFocusPolicy(Qt::StrongFocus);
    pic.setFocus();
    Module1.PlotMode = kMarkerMode;
}

void MarkerController::AutoMarkers_Click() { refresh(); }

void MarkerController::Picture1_MouseDown(int, float x, float)
{
    if (Module1.PlotMode != kMarkerMode || !canPlace()) return;
    placeAt(plot::markerForClick(markers_, plot::wavelengthAtX(range(), Module1.PicWidth, x)), x);
    refresh();
}

void MarkerController::Picture1_MouseMove(int buttons, float x, float)
{
    if (Module1.PlotMode != kMarkerMode || buttons != 1 || !canPlace() || !markers_.markers[markers_.active]) return;
    placeAt(markers_.active, x);
    refresh();
}

void MarkerController::Picture1_KeyDown(int key, int shift)
{
    if (Module1.PlotMode != kMarkerMode || !canPlace()) return;
    std::optional<plot::Marker>& active = markers_.markers[markers_.active];
    switch (key) {
    case Qt::Key_1:
    case Qt::Key_2:
        markers_.active = key == Qt::Key_1 ? 0 : 1;
        if (!markers_.markers[markers_.active]) placeAt(markers_.active, Module1.PicWidth / 2.0);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        if (!active) {
            placeAt(markers_.active, Module1.PicWidth / 2.0);
            break;
        }
        const int steps = (key == Qt::Key_Left ? -1 : 1) * (shift & 1 ? 10 : 1);
        active = plot::stepMarker(rows(), *active, steps);
        break;
    }
    case Qt::Key_Delete:
    case Qt::Key_Backspace: active.reset(); break;
    default: return;
    }
    refresh();
}

void MarkerController::refresh()
{
    const int language = Module1.Language;
    const plot::PlotRows shown = plotted_ ? rows() : plot::PlotRows{};
    const QString unit = plot::valueUnit(main_.CheckAlignMode->isChecked(), main_.CheckVXMScanMode->isChecked());
    const std::vector<plot::ChannelMarks> channels =
        form_.AutoMarkers->isChecked() ? plot::channelMarks(Module1.ChannelResults, Module1.ChannelCount)
                                       : std::vector<plot::ChannelMarks>{};
    resultsFrame(form_).showMarkers(shown, markers_, channels, unit, language);

    const auto first = plot::markerReading(shown, markers_.markers[0]);
    const auto second = plot::markerReading(shown, markers_.markers[1]);
    form_.Marker1Text->setText(plot::markerText(1, first, unit, language));
    form_.Marker2Text->setText(plot::markerText(2, second, unit, language));
    form_.MarkerDeltaText->setText(plot::differenceText(first, second, language));
    form_.MarkerDeltaText->setVisible(first && second);
    form_.MarkerPlot->setToolTip(textIn("markers.keys", language));
}

plot::PlotRows MarkerController::rows() const { return plot::plottedRows(Module1.PlotData, Module1.LastPointIndex); }

plot::Range MarkerController::range() const { return resultsFrame(form_).viewport().range; }

bool MarkerController::canPlace() const
{
    const plot::Range r = range();
    return plotted_ && !rows().empty() && r.xMin != r.xMax && r.yMin != static_cast<double>(r.yMax)
           && Module1.PicWidth != 0.0F;
}

void MarkerController::placeAt(int which, double xTwips)
{
    const plot::PlotRows shown = rows();
    const double wavelength = plot::wavelengthAtX(range(), Module1.PicWidth, xTwips);
    markers_.markers[which] = plot::markerOn(shown, *plot::nearestRow(shown, wavelength));
    markers_.active = which;
}
