#include "verdict/device_verdict.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cmath>

namespace verdict {

namespace {

bool meets(double value, const Bound& bound)
{
    if (std::isnan(value)) return false;
    return (!bound.min || value >= *bound.min) && (!bound.max || value <= *bound.max);
}

// Called for a value that meets `bound`: less than the guard inside it.
bool withinGuard(double value, const Bound& bound)
{
    return (bound.min && value < *bound.min + bound.guard) || (bound.max && value > *bound.max - bound.guard);
}

void judgeChannel(ChannelVerdict& c, const FigureBounds& bounds)
{
    c.bounds = bounds;
    for (const auto& [figure, bound] : bounds) {
        if (figure == Figure::Isolation && c.figures.isolationShared) continue;
        const double value = c.figures[figure];
        if (!meets(value, bound)) c.failing.push_back(figure);
        else if (withinGuard(value, bound)) c.marginal.push_back(figure);
    }
    c.outcome = c.failing.empty() ? Outcome::Pass : Outcome::Fail;
}

}  // namespace

void judgeChannels(DeviceVerdict& d, const Limits& limits, std::optional<int> expectedChannels)
{
    d.expectedChannels = expectedChannels;
    d.channelCountFails = expectedChannels && *expectedChannels != static_cast<int>(d.channels.size());
    bool pass = !d.channelCountFails;
    for (ChannelVerdict& c : d.channels) {
        judgeChannel(c, limits.boundsFor(c.number));
        pass = pass && c.outcome == Outcome::Pass;
        d.marginal = d.marginal || !c.marginal.empty();
    }
    d.outcome = pass ? Outcome::Pass : Outcome::Fail;
}

DeviceVerdict judge(std::vector<ChannelFigures> figures, const Limits* limits, Plan plan, FigureLevels levels)
{
    DeviceVerdict d;
    d.plan = plan;
    d.levels = levels;
    for (std::size_t i = 0; i < figures.size(); ++i)
        d.channels.push_back({static_cast<int>(i) + 1, std::move(figures[i]), Outcome::NotJudged, {}, {}, {}});
    if (limits) judgeChannels(d, *limits, limits->channelCount);
    return d;
}

QString outcomeText(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Pass: return QStringLiteral("PASS");
    case Outcome::Fail: return QStringLiteral("FAIL");
    case Outcome::NotJudged: break;
    }
    return QStringLiteral("-");
}

QString verdictText(const DeviceVerdict& verdict)
{
    QStringList lines;
    for (const ChannelVerdict& c : verdict.channels) {
        QStringList words{QStringLiteral("CH%1").arg(c.number), QString::number(c.figures.centerNm, 'f', 3),
                          QStringLiteral("nm"), outcomeText(c.outcome)};
        for (Figure f : c.failing) words << figureKey(f);
        if (!c.marginal.empty()) words << QStringLiteral("MARGINAL");
        for (Figure f : c.marginal) words << figureKey(f);
        lines << words.join(u' ');
    }
    QString device = QStringLiteral("DEVICE ") + outcomeText(verdict.outcome);
    if (verdict.marginal && verdict.outcome == Outcome::Pass) device += QStringLiteral(" MARGINAL");
    if (verdict.channelCountFails)
        device += QStringLiteral(" channels %1 of %2").arg(verdict.channels.size()).arg(*verdict.expectedChannels);
    lines << device;
    return lines.join(u'\n') + u'\n';
}

namespace {
QJsonValue number(double value) { return std::isfinite(value) ? QJsonValue(value) : QJsonValue(); }

QJsonArray keys(const std::vector<Figure>& figures)
{
    QJsonArray names;
    for (Figure f : figures) names.append(figureKey(f));
    return names;
}
}  // namespace

QString figuresJson(const DeviceVerdict& verdict)
{
    QJsonArray channels;
    for (const ChannelVerdict& c : verdict.channels) {
        QJsonObject figures;
        for (Figure f : kFigures) figures.insert(figureKey(f), number(c.figures[f]));
        QJsonObject channel{{QStringLiteral("channel"), c.number},
                            {QStringLiteral("center_nm"), number(c.figures.centerNm)},
                            {QStringLiteral("grid_nm"), c.figures.grid ? number(c.figures.grid->wavelengthNm) : QJsonValue()},
                            {QStringLiteral("mask_nm"), number(c.figures.maskWavelengthNm)},
                            {QStringLiteral("verdict"), outcomeText(c.outcome)},
                            {QStringLiteral("failing"), keys(c.failing)},
                            {QStringLiteral("figures"), figures}};
        if (!c.marginal.empty()) channel.insert(QStringLiteral("marginal"), keys(c.marginal));
        if (!c.bounds.empty()) {
            QJsonObject bounds;
            for (const auto& [figure, bound] : c.bounds)
                bounds.insert(figureKey(figure), QJsonArray{bound.min ? QJsonValue(*bound.min) : QJsonValue(),
                                                            bound.max ? QJsonValue(*bound.max) : QJsonValue()});
            channel.insert(QStringLiteral("bounds"), bounds);
        }
        channels.append(channel);
    }
    QJsonObject root{{QStringLiteral("plan"), planKey(verdict.plan)},
                     {QStringLiteral("levels_db"), QJsonArray{verdict.levels.level1Db, verdict.levels.level2Db}},
                     {QStringLiteral("verdict"), outcomeText(verdict.outcome)},
                     {QStringLiteral("channels"), channels}};
    if (verdict.marginal) root.insert(QStringLiteral("marginal"), true);
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact));
}

}  // namespace verdict
