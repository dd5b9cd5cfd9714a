#include "measure/results_table_format.h"

#include "core/numeric_text.h"
#include "core/optics.h"
#include "core/texts.h"

#include <algorithm>

namespace {

constexpr float kSmallestCenterNm = 1.0F;  // rows with a smaller center hold no channel

}  // namespace

QString formatResult(double value) { return fixedDecimals(value, 3); }

QString resultCaption(const ResultsTableInput& in)
{
    const QString pattern = textIn("measure.resultLabel", in.language);
    return pattern.isNull() ? pattern : pattern.arg(in.text8);
}

std::optional<ResultRowText> resultHeading(const ResultsTableInput& in)
{
    QString last;
    if (in.alignMode) last = QStringLiteral(" Peak Power ");
    else if (in.vxmScanMode) last = QStringLiteral(" Ins. Loss ");
    else return std::nullopt;
    return ResultRowText{QStringLiteral("      "), QStringLiteral(" Center WL "), QStringLiteral(" Center FQ "),
                         QStringLiteral(" Bandwidth "), last};
}

ResultRowText resultUnits(const ResultsTableInput& in)
{
    QString power;
    if (in.alignMode) power = QStringLiteral("(dBm)");
    else if (in.vxmScanMode) power = QStringLiteral("(dB)");
    return {QStringLiteral("#"), QStringLiteral("(nm)"), QStringLiteral("(THz)"), QStringLiteral("(nm)"), power};
}

std::vector<ResultRowText> resultRows(const ResultsTableInput& in)
{
    std::vector<ResultRowText> rows;
    if (!in.results) return rows;
    const auto& results = *in.results;
    const auto last = std::min<std::size_t>(static_cast<std::size_t>(std::max(in.channelCount, 0)),
                                            results.empty() ? 0 : results.size() - 1);
    for (std::size_t i = 1; i <= last; ++i) {
        const auto& row = results[i];
        if (!(row[0] >= kSmallestCenterNm)) continue;
        rows.push_back({QString::number(rows.size() + 1), formatResult(row[0]), formatResult(centerFrequencyTHz(row[0])),
                        formatResult(row[1]), formatResult(row[2])});
    }
    return rows;
}
