#pragma once
// Recipes: the test plan of one part number as a JSON file (docs/recipes.md). What to measure and
// with which settings, the limits and mask the result is judged by, how old and how alike the
// background may be, and the ports of a device measured one port at a time. A recipe that cannot
// be used is refused with the line at fault and the reason; the recipe in use then stays.

#include "measure/scan_settings.h"
#include "verdict/limits.h"
#include "verdict/mask.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <variant>
#include <vector>

namespace station {

struct RecipeScan {
    ScanMode mode = ScanMode::Regular;  // device_il: Regular, tls_power: Align, power_meter: PowerMeter
    ScanSettings settings;              // what the mode does not use stays 0
    int channel = 1;                    // the module channel, 1 or 2
    bool reflection = false;            // the analysis's channel kind; false: transmission
    double nDb = 3.0;                   // the analysis level, N dB below each top
    bool removeBackground = false;
    double powerWavelengthNm = 0.0;     // power_meter only
};

// The settings a background shares with the measurements it corrects.
enum class MatchedSetting { Start, Stop, DataLength, Channel };

struct ReferencePolicy {
    double maxAgeMin = 0.0;
    std::vector<MatchedSetting> match{MatchedSetting::Start, MatchedSetting::Stop, MatchedSetting::DataLength,
                                      MatchedSetting::Channel};
};

struct Recipe {
    QString name;
    int revision = 1;
    QString partNumber;
    RecipeScan scan;
    std::optional<verdict::Limits> limits;      // none: measured and recorded, not judged
    std::optional<verdict::MaskTemplate> mask;
    std::optional<ReferencePolicy> reference;   // given exactly when the background is removed
    std::vector<int> ports;                     // in measuring order; empty: one trace for the device
    QString hash;                               // of the file's text, see recipeHash
};

enum class RecipeProblem {
    NotJson,         // detail: the parser's message
    NotAnObject,     // detail: the key
    UnknownKey,      // detail: the key
    MissingKey,      // detail: the key; the line is that of the object that lacks it
    NotText,         // detail: the key; an empty text counts as none
    NotWholeNumber,  // detail: the key
    NotANumber,      // detail: the key
    NotPositive,     // detail: the key
    NotBoolean,      // detail: the key
    UnknownChoice,   // detail: the key; allowed: the values it may take
    NotUsed,         // detail: the key, which the measurement (or no background removal) leaves unused
    BadSetting,      // detail: the catalogue key of the program's own refusal of the scan settings
    InLimits,        // limitsProblem and detail as the limits or mask reader gives them
    BadPorts,
    PortCount,       // detail: the number of ports, which the limits' channel count differs from
    MaskNeedsPlan,   // a grid mask without a channel plan in the limits
};

struct RecipeError {
    int line = 1;
    RecipeProblem problem = RecipeProblem::NotJson;
    QString detail;
    QString allowed;
    verdict::LimitsProblem limitsProblem = verdict::LimitsProblem::NotJson;
};

// The recipe in `text`, or the first problem found with the line it is on.
std::variant<Recipe, RecipeError> parseRecipe(const QByteArray& text);

// SHA-256 of the file's exact bytes, 64 lower-case hex digits: which text a record was made with.
QString recipeHash(const QByteArray& text);

// "Recipe refused, line 7: ..." in the current language.
QString recipeRefusal(const RecipeError& error);

// The acquisition a recipe's regular scan is set up for.
enum class Acquisition { Background, Spectrum };

// The main window's controls as the recipe sets them, for the handlers to run on. A null text is a
// box the measurement does not read: it is left as it is.
struct WindowControls {
    QString text1;  // start (nm)
    QString text2;  // stop (nm)
    QString text3;  // speed (nm/s)
    QString text4;  // the power meter's wavelength (nm)
    QString text6;  // average number
    QString text7;  // data length
    QString text8;  // "Center WL & BW at", minus the level: "-3.0"
    int channelIndex = 0;                 // the item of ChannelID
    ScanMode option = ScanMode::Regular;  // the box to tick: CheckPowerMeter, CheckAlignMode, CheckVXMScanMode
    bool takeBackground = false;          // TakeBackground, else MeasureSpectrum
    bool removeBackground = false;        // CheckRemoveBKG
    bool reflection = false;              // Reflection, else Transmission
};

// The controls for `acquisition`: a background never has its background removed; only a regular
// scan takes a background.
WindowControls windowControls(const RecipeScan& scan, Acquisition acquisition);

}  // namespace station
