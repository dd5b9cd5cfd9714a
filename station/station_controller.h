#pragma once
// The production station on the main window: a recipe chosen from the selector sets the window's
// boxes through their own handlers and the verdict's limits and mask; a device ID and Enter then
// measure the device as the recipe says (Single Measurement, port by port when the recipe lists
// ports), with the background checked against the recipe's policy first, and show the verdict
// large. The records carry the recipe and, for ports, are written once the device is complete.

#include "station/recipe.h"
#include "station/port_sequence.h"
#include "station/recipe_library.h"
#include "station/station_widgets.h"
#include "verdict/device_verdict.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class Form1;
class InfoBox;
class MeasureController;
class RecordCapture;
class VerdictController;

class StationController : public QObject {
    Q_OBJECT
public:
    // `recipes` lists the recipes on offer (the folder's and the store's); `records` is null when
    // the bench keeps no records.
    StationController(Form1& form, InfoBox& info, MeasureController& measure, VerdictController& verdict,
                      RecordCapture* records, RecipeSource recipes);

    // Reads the recipes on offer again and fills the selector; the recipe in use stays chosen.
    void refreshRecipes();
    QStringList recipeNames() const;
    // Takes the recipe of that name: the window's boxes, the limits and mask. A recipe refused is
    // reported with its line and reason, and the recipe in use stays. True when taken.
    bool chooseRecipe(const QString& name);
    const std::optional<station::Recipe>& recipe() const { return recipe_; }

    // The device ID box's text, as a scanner types it.
    void setDeviceId(const QString& id);
    // Enter in the device ID box: measures the device as the recipe says, or for a device with
    // ports asks for its first port. False (and the reason shown) when refused.
    bool startDevice();
    // Enter at the port prompt: measures the port asked for, then asks for the next or judges the
    // device. False when no port is asked for or the measurement was refused.
    bool nextPort();
    // Escape at the port prompt: the device is given up and nothing is written for it.
    void abandon();

    // The port the prompt asks for; none when no device is being measured port by port.
    std::optional<int> promptedPort() const;
    const StationWidgets& widgets() const { return widgets_; }

protected:
    // Escape anywhere in the main window abandons the device at the port prompt.
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void recipeChosen(const QString& name);
    // The prompt's text; empty when the prompt closes.
    void portPrompted(const QString& prompt);
    // A device's verdict, shown large: one trace's, or combined over the ports.
    void deviceJudged(const verdict::DeviceVerdict& verdict);
    // A device's records were queued; `runUid` is empty for a device without ports.
    void deviceRecorded(const QString& deviceId, const QString& runUid);
    // The questionable conditions the remote status reports: a refused reference, a failed mask.
    void referenceQuestionable(bool on);
    void maskFailed(bool on);

private:
    bool refuse(const QString& text);
    // The recipe's boxes for a spectrum, set through the handlers; false (and, if `tell`, told) when
    // a control the recipe needs is locked.
    bool applyControls(station::Acquisition acquisition, bool tell = true);
    bool checkBackground();
    // One Single Measurement; the verdict of its trace, none when it failed.
    std::optional<verdict::DeviceVerdict> measureOnce();
    void showVerdict(const verdict::DeviceVerdict& verdict);
    void paintVerdict();
    void showPrompt();
    void closePrompt();
    void retranslate();

    Form1& form_;
    InfoBox& info_;
    MeasureController& measure_;
    VerdictController& verdict_;
    RecordCapture* records_;
    RecipeSource source_;
    StationWidgets widgets_;
    std::vector<OfferedRecipe> offered_;
    std::optional<station::Recipe> recipe_;
    std::optional<station::PortRun> run_;
    QString runUid_;
    QString runDevice_;
    bool measuring_ = false;
    std::optional<verdict::DeviceVerdict> shown_;
};
