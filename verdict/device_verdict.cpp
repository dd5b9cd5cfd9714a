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

void judgeChannel(ChannelVerdict& c, const Limits& limits)
{
    for (const auto& [figure, bound] : limits.boundsFor(c.number)) {
        if (figure == Figure::Isolation && c.figures.isolationShared) continue;
        if (!meets(c.figures[figure], bound)) c.failing.push_back(figure);
    }
    c.outcome = c.failing.empty() ? Outcome::Pass : Outcome::Fail;
}

}  // namespace

DeviceVerdict judge(std::vector<ChannelFigures> figures, const Limits* limits, Plan plan, FigureLevels levels)
{
    DeviceVerdict d;
    d.plan = plan;
    d.levels = levels;
    for (std::size_t i = 0; i < figures.size(); ++i)
        d.channels.push_back({static_cast<int>(i) + 1, std::move(figures[i]), Outcome::NotJudged, {}});
    if (!limits) return d;

    d.expectedChannels = limits->channelCount;
    d.channelCountFails = limits->channelCount && *limits->channelCount != static_cast<int>(d.channels.size());
    bool pass = !d.channelCountFails;
    for (ChannelVerdict& c : d.channels) {
        judgeChannel(c, *limits);
        pass = pass && c.outcome == Outcome::Pass;
    }
    d.outcome = pass ? Outcome::Pass : Outcome::Fail;
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
        lines << words.join(u' ');
    }
    QString device = QStringLiteral("DEVICE ") + outcomeText(verdict.outcome);
    if (verdict.channelCountFails)
        device += QStringLiteral(" channels %1 of %2").arg(verdict.channels.size()).arg(*verdict.expectedChannels);
    lines << device;
    return lines.join(u'\n') + u'\n';
}

namespace {
QJsonValue number(double value) { return std::isfinite(value) ? QJsonValue(value) : QJsonValue(); }
}  // namespace

QString figuresJson(const DeviceVerdict& verdict)
{
    QJsonArray channels;
    for (const ChannelVerdict& c : verdict.channels) {
        QJsonObject figures;
        for (Figure f : kFigures) figures.insert(figureKey(f), number(c.figures[f]));
        QJsonArray failing;
        for (Figure f : c.failing) failing.append(figureKey(f));
        channels.append(QJsonObject{{QStringLiteral("channel"), c.number},
                                    {QStringLiteral("center_nm"), number(c.figures.centerNm)},
                                    {QStringLiteral("grid_nm"), c.figures.grid ? number(c.figures.grid->wavelengthNm) : QJsonValue()},
                                    {QStringLiteral("verdict"), outcomeText(c.outcome)},
                                    {QStringLiteral("failing"), failing},
                                    {QStringLiteral("figures"), figures}});
    }
    const QJsonObject root{{QStringLiteral("plan"), planKey(verdict.plan)},
                           {QStringLiteral("levels_db"), QJsonArray{verdict.levels.level1Db, verdict.levels.level2Db}},
                           {QStringLiteral("verdict"), outcomeText(verdict.outcome)},
                           {QStringLiteral("channels"), channels}};
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact));
}

}  // namespace verdict
