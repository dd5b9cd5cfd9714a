#pragma once
// What the History window shows and exports, as plain data: the store filter its boxes make, the
// text of a list row and of a record's settings, the overlay's members and colours, the traces
// and range of the plot, and the exported workbook sheets and CSV text.

#include "plot/plot_math.h"
#include "records/measurement_record.h"
#include "results/workbook_content.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace history {

// The History windows' language: 2 when Chinese is chosen, else 1 (English).
int language();
// A catalogue text in that language.
QString text(const char* key);

enum class VerdictChoice { Any, Pass, Fail, None };

// The filter boxes as the operator left them. Dates are whole local days, both inclusive; an
// invalid date leaves that end open.
struct FilterInput {
    QString deviceId;
    QDate from;
    QDate to;
    VerdictChoice verdict = VerdictChoice::Any;
    QString bench;          // empty: any bench
    QString recipe;         // empty: any recipe
    QString devicePattern;  // empty: any device; '*' for any run of characters
};
RecordFilter recordFilter(const FilterInput& input);

// The list's columns: local time, device ID, kind, bench, verdict, channels, points.
inline constexpr int kListColumns = 7;
QStringList listHeader(int language);
QStringList listRow(const RecordSummary& summary, int language);

// "#id device time" naming a record in the legend, the details and the exported files.
QString recordLabel(std::int64_t id, const QString& deviceId, const QDateTime& local, int language);

// The settings and bench of a record, one "name: value" line each.
QStringList settingsLines(const MeasurementRecord& record, int language);
// The verdict and the extended figures (a JSON object), one "name: value" line each; none when
// the record has neither.
QStringList figureLines(const MeasurementRecord& record, int language);
// The results table's rows: number, center nm, center THz, bandwidth nm, peak, three decimals.
std::vector<QStringList> channelRows(const MeasurementRecord& record);

// Pen colours (&HBBGGRR). The current trace keeps the results plot's red; the record opened alone
// and the overlay's slots take colours distinct from it and from each other.
inline constexpr std::uint32_t kCurrentTraceColour = 0x0000FF;
inline constexpr std::uint32_t kOpenedColour = 0x808000;
inline constexpr int kMaxOverlay = 4;
inline constexpr std::array<std::uint32_t, kMaxOverlay> kOverlayColours{0xFF0000, 0x008000, 0xFF00FF, 0x0080FF};

// Up to four records compared on one plot. Each keeps its colour while it stays, whatever joins
// or leaves after it; a newcomer takes the first free colour.
class Overlay {
public:
    // False when the record is already there or four are.
    bool add(std::int64_t id);
    void remove(std::int64_t id);
    void clear() { slots_.fill(0); }
    bool contains(std::int64_t id) const;
    int size() const;
    bool full() const { return size() == kMaxOverlay; }
    // Members in colour order.
    std::vector<std::int64_t> ids() const;
    std::optional<std::uint32_t> colourOf(std::int64_t id) const;

private:
    std::array<std::int64_t, kMaxOverlay> slots_{};  // 0: free (stored ids start at 1)
};

struct Trace {
    QString label;
    std::uint32_t colour = 0;
    std::vector<std::array<float, 2>> points;  // wavelength nm, value
};
std::vector<std::array<float, 2>> tracePoints(const std::vector<float>& wavelengths, const std::vector<float>& values,
                                              std::int32_t lastPointIndex);

// The range over every point of every trace, the values widened by 1 at each end as the results
// plot's automatic range is; none when nothing could be drawn.
std::optional<plot::Range> overlayRange(const std::vector<Trace>& traces);

// A worksheet name unique per record: "#id device", without the characters a sheet name may not
// hold, at most 31 characters.
QString sheetName(const MeasurementRecord& record);
// A record's spectrum in the Save Spectrum workbook's layout, on a sheet of its own name.
SheetContent recordSheet(const MeasurementRecord& record);

// The records side by side, two columns each ("#id device WL (nm)", "#id device IL (dB)" or
// "... Power (dBm)"), one row per point, numbers rounded as in the workbook; a shorter spectrum
// leaves its fields empty below its end. Lines end in CR LF.
QByteArray recordsCsv(const std::vector<MeasurementRecord>& records);

// Proposed export names: "VXM_History_" + stamp + ".xlsx" / ".csv".
QString proposedHistoryWorkbookName(const QString& timeStamp);
QString proposedHistoryCsvName(const QString& timeStamp);

}  // namespace history
