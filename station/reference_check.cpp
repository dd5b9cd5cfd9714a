#include "station/reference_check.h"

#include "core/texts.h"

namespace station {

namespace {

int settingOf(MatchedSetting setting, const ScanSettings& s, int channel)
{
    switch (setting) {
    case MatchedSetting::Start: return s.start;
    case MatchedSetting::Stop: return s.stop;
    case MatchedSetting::DataLength: return s.length;
    case MatchedSetting::Channel: return channel;
    }
    return 0;
}

const char* settingKey(MatchedSetting setting)
{
    switch (setting) {
    case MatchedSetting::Start: return "station.settingStart";
    case MatchedSetting::Stop: return "station.settingStop";
    case MatchedSetting::DataLength: return "station.settingLength";
    case MatchedSetting::Channel: return "station.settingChannel";
    }
    return "station.settingStart";
}

}  // namespace

ReferenceCheck checkReference(const ReferencePolicy& policy, const std::optional<BackgroundFacts>& background,
                              const ScanSettings& settings, int channel, const QDateTime& nowUtc)
{
    ReferenceCheck check;
    check.allowedMin = policy.maxAgeMin;
    if (!background) {
        check.problem = ReferenceProblem::Missing;
        return check;
    }
    check.uid = background->uid;
    check.ageMs = background->utc.msecsTo(nowUtc);
    if (!background->utc.isValid() || check.ageMs < 0) {
        check.problem = ReferenceProblem::Undated;
        return check;
    }
    if (static_cast<double>(check.ageMs) > policy.maxAgeMin * 60000.0) {
        check.problem = ReferenceProblem::Stale;
        return check;
    }
    for (MatchedSetting setting : policy.match) {
        const int taken = settingOf(setting, background->settings, background->channel);
        const int wanted = settingOf(setting, settings, channel);
        if (taken != wanted) {
            check.problem = ReferenceProblem::Mismatch;
            check.setting = setting;
            check.backgroundValue = taken;
            check.measurementValue = wanted;
            return check;
        }
    }
    return check;
}

QString referenceText(const ReferenceCheck& check)
{
    switch (check.problem) {
    case ReferenceProblem::None: break;
    case ReferenceProblem::Missing: return T("station.backgroundMissing");
    case ReferenceProblem::Undated: return T("station.backgroundUndated");
    case ReferenceProblem::Stale:
        return T("station.backgroundStale")
            .arg(QString::number(static_cast<double>(check.ageMs) / 60000.0, 'f', 1),
                 QString::number(check.allowedMin, 'g', 12));
    case ReferenceProblem::Mismatch:
        return T("station.backgroundMismatch")
            .arg(T(settingKey(check.setting)))
            .arg(check.backgroundValue)
            .arg(check.measurementValue);
    }
    return {};
}

}  // namespace station
