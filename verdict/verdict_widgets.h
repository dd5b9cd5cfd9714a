#pragma once
// The verdict's controls on the results window: the channel plan, the Limits… button, the
// device verdict shown large, and the figures table. They take the free space left of the
// repeatability statistics and a strip the window grows by at its foot; no described control
// moves. Widgets only; the verdict controller gives them behaviour.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

class Form2;

struct VerdictWidgets {
    QLabel* PlanLabel = nullptr;
    QComboBox* ChannelPlan = nullptr;  // items in the order of verdict::Plan
    QPushButton* LoadLimits = nullptr;
    QLabel* LimitsName = nullptr;
    QLabel* DeviceVerdict = nullptr;   // PASS / FAIL, large, green / red
    QLabel* VerdictReason = nullptr;   // what failed
    QTableWidget* FiguresGrid = nullptr;
};

// Creates the controls on `form` and grows it by the figures strip.
VerdictWidgets addVerdictWidgets(Form2& form);

// Captions and column headings in the current language; the bandwidth columns name their levels.
void retranslateVerdictWidgets(const VerdictWidgets& w, double level1Db, double level2Db);
