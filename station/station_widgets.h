#pragma once
// The station's controls on the main window: the recipe selector beside the device ID box, and a
// strip the window grows by below its designed area for the recipe in use, the device verdict shown
// large, what failed, and the port prompt. No described control moves. Widgets only; the station
// controller gives them behaviour.

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

class Form1;

// The recipe selector; it tells when its list is about to open, so that the list is read again.
class RecipeSelector : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;

signals:
    void aboutToOpen();
};

struct StationWidgets {
    QLabel* RecipeLabel = nullptr;
    RecipeSelector* RecipeBox = nullptr;
    QLabel* RecipeName = nullptr;      // the recipe in use, its revision and part number
    QLabel* StationVerdict = nullptr;  // PASS / FAIL / MARGINAL, large
    QLabel* StationReason = nullptr;   // the failing channels and figures
    QFrame* PortPrompt = nullptr;      // "Connect port 2 of 4", non-modal
    QLabel* PortPromptText = nullptr;
    QPushButton* PortContinue = nullptr;
    QPushButton* PortAbandon = nullptr;
};

// Creates the controls on `form` and grows it by the station strip.
StationWidgets addStationWidgets(Form1& form);

// Captions, accessible names and descriptions in the current language.
void retranslateStationWidgets(const StationWidgets& w);
