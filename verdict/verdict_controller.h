#pragma once
// The verdict after each channel analysis: the extended figures of the analysed trace, judged
// against the loaded limits, shown on the results window and kept for the saved files and for
// other subsystems. Also the channel plan (remembered in the settings) and the Limits… button.

#include "measure/channel_analysis.h"
#include "results/workbook_content.h"
#include "verdict/device_verdict.h"
#include "verdict/mask.h"
#include "verdict/verdict_widgets.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>
#include <vector>

class Form1;
class Form2;
class InfoBox;
class QSettings;

class VerdictController : public QObject {
    Q_OBJECT
public:
    // `main` gives the analysis level (Text8) and the language switch; refusals of a limits file go
    // to `info`; the plan is kept in `settings`.
    VerdictController(Form1& main, InfoBox& info, QSettings& settings);

    // Adds the controls to a freshly loaded results window and shows the latest evaluation there.
    void attach(Form2& window);

    // After the channel analysis: measures and judges the shared spectrum.
    void evaluate();

    // Reads, checks and takes a limits file; a refused one leaves the limits in force and reports
    // the line and the reason. True when taken.
    bool loadLimits(const QString& path);
    void LoadLimits_Click();

    // A recipe's limits (none: measured, not judged) and mask in force instead of a limits file;
    // `name` is shown where the limits file's name is. The trace is judged again.
    void useRecipe(const QString& name, std::optional<verdict::Limits> limits,
                   std::optional<verdict::MaskTemplate> mask);
    // The port a trace is measured on, 0 for none: its one channel is numbered and judged as the
    // port, held to that number's bounds and mask.
    void setPort(int port);
    const std::optional<verdict::Limits>& limits() const { return limits_; }
    const std::optional<verdict::MaskTemplate>& mask() const { return mask_; }
    // Per channel of the latest evaluation: the mask's margin and violating points.
    const std::vector<verdict::MaskResult>& maskResults() const { return maskResults_; }

    verdict::Plan plan() const { return plan_; }
    // Remembered, and the latest trace judged again.
    void setPlan(verdict::Plan plan);
    bool hasLimits() const { return limits_.has_value(); }

    // The latest evaluation; none before the first analysis.
    const std::optional<verdict::DeviceVerdict>& latest() const { return latest_; }

    // The sheets the results workbook gets after its own: "Figures" once there is an evaluation.
    std::vector<SheetContent> workbookSheets() const;
    // The figures file's text; empty before the first analysis.
    QByteArray figuresFile() const;

signals:
    void evaluated(const verdict::DeviceVerdict& verdict);

private:
    // Measures and judges the kept trace again (plan, levels or limits changed).
    void judgeAgain();
    void show();
    void fillFiguresGrid();
    void showDeviceVerdict();
    // The recipe's mask and the points beyond it, over the spectrum just plotted.
    void drawMaskLayer();
    void retranslate();
    verdict::FigureLevels levels() const;

    Form1& main_;
    InfoBox& info_;
    QSettings& settings_;
    QPointer<Form2> window_;
    VerdictWidgets widgets_;
    verdict::Plan plan_ = verdict::Plan::None;
    std::optional<verdict::Limits> limits_;
    std::optional<verdict::MaskTemplate> mask_;
    std::vector<verdict::MaskResult> maskResults_;
    int port_ = 0;
    QString limitsName_;
    // The analysed trace, kept so that a change of plan or limits judges the same trace again.
    std::vector<float> wavelengths_;
    std::vector<float> values_;
    ChannelAnalysis analysis_;
    std::optional<verdict::DeviceVerdict> latest_;
};
