#pragma once
// One measurement on record: which device, which bench, when, with which settings, what came out
// and whether it passed, with the spectrum itself. Plain data, Qt Core only.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

enum class RecordKind : int {
    Spectrum = 1,      // a single measurement's spectrum (power spectrum, background or spectrum)
    RepeatPass = 2,    // one logged pass of a repeated measurement
    PowerReading = 3,  // one power meter reading
    Device = 4,        // the verdict of a device measured port by port, combined over its ports;
                       // it carries no spectrum, its port records carry theirs
};

// The instruments and the program that measured.
struct BenchIdentity {
    QString modulePart;
    QString moduleSerial;
    QString laserPart;
    QString laserSerial;
    QString programVersion;
    QString hostName;

    friend bool operator==(const BenchIdentity&, const BenchIdentity&) = default;
};

// The measurement mode the main window's boxes selected.
enum class RecordMode : int { PowerMeter = 1, Align = 2, Regular = 3 };

// The settings of the main window as the measurement used them.
struct RecordSettings {
    std::int32_t startNm = 0;
    std::int32_t stopNm = 0;
    std::int32_t speedNmPerS = 0;
    std::int32_t averages = 0;
    std::int32_t dataLength = 0;
    QString channel;                // the module channel as listed, e.g. "1. Channel #1"
    RecordMode mode = RecordMode::Regular;
    bool background = false;        // Background (true) or Spectrum (false) of a regular scan
    bool removeBackground = false;
    bool basePower = false;
    bool ref0 = false;
    QString nDb;                    // the dB-down level of the analysis, as typed
    bool transmission = false;      // false: reflection
    QString powerWavelengthNm;      // the power meter's wavelength, as typed

    friend bool operator==(const RecordSettings&, const RecordSettings&) = default;
};

// One channel of the results table: the analysis' figures for it.
struct RecordedChannel {
    float centerNm = 0.0F;
    float bandwidthNm = 0.0F;
    float peak = 0.0F;              // peak power (dBm) or insertion loss (dB)

    friend bool operator==(const RecordedChannel&, const RecordedChannel&) = default;
};

struct MeasurementRecord {
    std::int64_t id = 0;            // given by the store; 0 until stored
    QString uid;                    // unique from capture on: a spooled record is stored once
    QDateTime utc;                  // millisecond precision, UTC
    std::int32_t utcOffsetS = 0;    // local time = utc + offset
    QString deviceId;               // as the operator typed it; may be empty
    BenchIdentity bench;
    RecordKind kind = RecordKind::Spectrum;
    std::int32_t pass = -1;         // the logged pass of a repeated measurement, -1 otherwise
    RecordSettings settings;
    std::vector<RecordedChannel> channels;
    QString figuresJson;            // extended figures, empty when none were computed
    QString verdict;                // "PASS", "FAIL" or empty
    std::vector<float> wavelengthsNm;
    std::vector<float> values;      // dBm, or dB after background subtraction
    std::optional<double> power;    // a power reading, as shown
    QString powerUnit;              // "(dBm)" or "(dB)"
    // The station's context; empty or 0 for a measurement made without a recipe.
    QString recipeName;
    QString recipeRevision;
    QString recipeHash;             // of the recipe's text, as published to the store
    std::int32_t port = 0;          // 1..portCount: one output port of a device measured port by port
    std::int32_t portCount = 0;
    QString runUid;                 // shared by the port records and the device record of one device
    QString backgroundUid;          // the background the spectrum was corrected with
    std::optional<double> backgroundAgeS;  // that background's age when it was used

    QDateTime localTime() const { return utc.toOffsetFromUtc(utcOffsetS); }
    // Whether the record is a device's verdict on the line: a device record, or a judged
    // measurement that is not one port of a device measured port by port.
    bool judgesDevice() const { return kind == RecordKind::Device || (port == 0 && !verdict.isEmpty()); }

    friend bool operator==(const MeasurementRecord&, const MeasurementRecord&) = default;
};

// What a list of records shows: enough to pick one without loading its spectrum.
struct RecordSummary {
    std::int64_t id = 0;
    QDateTime utc;
    std::int32_t utcOffsetS = 0;
    QString deviceId;
    RecordKind kind = RecordKind::Spectrum;
    std::int32_t pass = -1;
    QString hostName;
    QString moduleSerial;
    QString laserSerial;
    RecordMode mode = RecordMode::Regular;
    QString verdict;
    std::int32_t channelCount = 0;
    std::int32_t pointCount = 0;
    std::optional<double> power;
    QString recipeName;
    std::int32_t port = 0;

    friend bool operator==(const RecordSummary&, const RecordSummary&) = default;
};

// Which records a list holds. Empty fields do not filter.
struct RecordFilter {
    QString deviceId;               // exact match
    QDateTime from;                 // inclusive, any time zone
    QDateTime to;                   // exclusive
    QString verdict;                // "PASS", "FAIL", or kNoVerdict for records without one
    QString bench;                  // host name, module serial or laser serial, exact match
    QString recipe;                 // recipe name, exact match
    QString devicePattern;          // device IDs matching it, '*' for any run of characters
    int limit = 1000;               // list() only; <= 0: no limit

    friend bool operator==(const RecordFilter&, const RecordFilter&) = default;
};
inline const QString kNoVerdict = QStringLiteral("-");

// The spectrum in compact binary form: bit for bit the floats given, 20001 points in well under
// 200 KB. Decoding returns false on a damaged or foreign blob and leaves the vectors empty.
QByteArray encodeSpectrum(const std::vector<float>& wavelengthsNm, const std::vector<float>& values);
bool decodeSpectrum(const QByteArray& blob, std::vector<float>& wavelengthsNm, std::vector<float>& values);

// A fresh unique id for a captured record.
QString newRecordUid();
