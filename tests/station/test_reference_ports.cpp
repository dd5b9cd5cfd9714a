// The background's policy checks, and a device measured port by port: prompts, combined verdict.

#include "station/port_sequence.h"
#include "station/reference_check.h"

#include "line_support.h"

#include <gtest/gtest.h>


using namespace station;
using verdict::Figure;
using verdict::Outcome;

namespace {

const QDateTime kTaken(QDate(2024, 5, 6), QTime(8, 0), Qt::UTC);

TEST(ReferenceCheck, MissingStaleUndatedOrMismatchedBackgroundsAreRefused)
{
    LanguageScope english;
    const ScanSettings settings{1260, 1340, 100, 1, 2001};
    const BackgroundFacts taken{QStringLiteral("bg-1"), kTaken, settings, 1};
    const ReferencePolicy all{30.0};
    ReferencePolicy startOnly{30.0, {MatchedSetting::Start}};
    const auto later = [](qint64 ms) { return kTaken.addMSecs(ms); };
    const auto with = [&](auto change) {
        BackgroundFacts b = taken;
        change(b);
        return b;
    };
    const struct {
        const char* name;
        ReferencePolicy policy;
        std::optional<BackgroundFacts> background;
        QDateTime now;
        ReferenceProblem problem;
        const char* text;
    } cases[] = {
        {"exactly the allowed age", all, taken, later(30 * 60'000), ReferenceProblem::None, ""},
        {"a millisecond older", all, taken, later(30 * 60'000 + 1), ReferenceProblem::Stale,
         "The background is 30.0 min old, older than the 30 min the recipe allows: take a new background"},
        // Minutes with one decimal, rounded: 47.550017 min.
        {"stale by far", all, taken, later(2'853'001), ReferenceProblem::Stale,
         "The background is 47.6 min old, older than the 30 min the recipe allows: take a new background"},
        {"none taken", all, std::nullopt, later(0), ReferenceProblem::Missing,
         "No background has been taken with these settings: take a new background"},
        {"from the future", all, taken, later(-1), ReferenceProblem::Undated,
         "The background's time lies after the present time: take a new background"},
        {"no time", all, with([](BackgroundFacts& b) { b.utc = QDateTime(); }), later(0), ReferenceProblem::Undated,
         nullptr},
        {"other start", all, with([](BackgroundFacts& b) { b.settings.start = 1265; }), later(0),
         ReferenceProblem::Mismatch,
         "The background was taken with the start wavelength 1265, this measurement uses 1260: take a new background"},
        {"other stop", all, with([](BackgroundFacts& b) { b.settings.stop = 1339; }), later(0),
         ReferenceProblem::Mismatch, "The background was taken with the stop wavelength 1339, this measurement uses 1340: take a new background"},
        {"other length", all, with([](BackgroundFacts& b) { b.settings.length = 20001; }), later(0),
         ReferenceProblem::Mismatch, "The background was taken with the data length 20001, this measurement uses 2001: take a new background"},
        {"other channel", all, with([](BackgroundFacts& b) { b.channel = 2; }), later(0), ReferenceProblem::Mismatch,
         "The background was taken with the channel 2, this measurement uses 1: take a new background"},
        {"a setting the policy leaves free", startOnly, with([](BackgroundFacts& b) { b.channel = 2; }), later(0),
         ReferenceProblem::None, ""},
        {"speed and averages never matter", all, with([](BackgroundFacts& b) { b.settings.speed = 5; b.settings.averages = 9; }),
         later(0), ReferenceProblem::None, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReferenceCheck check = checkReference(c.policy, c.background, settings, 1, c.now);
        EXPECT_EQ(check.problem, c.problem);
        if (c.text) { EXPECT_EQ(referenceText(check), QString::fromUtf8(c.text)); }
    }

    // What the spectrum's record keeps: the background's uid and its age at use.
    const ReferenceCheck used = checkReference(all, taken, settings, 1, later(754'321));
    EXPECT_EQ(std::tuple(used.uid, used.ageMs), std::tuple(QStringLiteral("bg-1"), std::int64_t{754'321}));
    Module1.Language = 2;
    EXPECT_EQ(referenceText(checkReference(all, std::nullopt, settings, 1, later(0))),
              QStringLiteral("尚未以这些设置取背景：请重新取背景"));
}

TEST(PortRun, AsksForEachPortInTurnAndGivesUpOnEscape)
{
    LanguageScope english;
    PortRun run({2, 4, 6});
    EXPECT_EQ(run.current(), 2);
    EXPECT_EQ(run.prompt(), QStringLiteral("Connect port 2 of 6"));
    run.record({channelAt(1291, 1.0)});
    EXPECT_EQ(run.prompt(), QStringLiteral("Connect port 4 of 6"));
    EXPECT_FALSE(run.finished());
    EXPECT_FALSE(run.verdict(nullptr, verdict::Plan::Cwdm, {})) << "no verdict before the last port";
    run.abandon();
    EXPECT_TRUE(run.abandoned() && !run.current() && run.prompt().isEmpty());
    run.record({channelAt(1311, 1.0)});
    EXPECT_EQ(run.traces().size(), 1U) << "nothing is recorded for an abandoned device";
    EXPECT_FALSE(run.finished());
    EXPECT_FALSE(run.verdict(nullptr, verdict::Plan::Cwdm, {}));

    PortRun whole({1, 2});
    whole.record({channelAt(1271, 1.0)});
    whole.record({channelAt(1291, 1.1)});
    EXPECT_TRUE(whole.finished() && !whole.current());
    whole.record({channelAt(1311, 1.0)});
    EXPECT_EQ(whole.traces().size(), 2U) << "no port beyond the last";
    const auto v = whole.verdict(nullptr, verdict::Plan::Cwdm, {});
    ASSERT_TRUE(v);
    EXPECT_EQ(v->outcome, Outcome::NotJudged) << "no limits";
    ASSERT_EQ(v->channels.size(), 2U);
    EXPECT_EQ(v->channels[1].number, 2);
    Module1.Language = 2;
    EXPECT_EQ(PortRun({1, 2, 3, 4}).prompt(), QStringLiteral("请连接端口 1（共 4 个）"));
}

TEST(CombinePorts, EachPortJudgedAsTheChannelOfItsNumber)
{
    verdict::Limits limits;
    limits.all[Figure::InsertionLoss] = {std::nullopt, 1.5, 0.2};
    limits.perChannel[3][Figure::InsertionLoss] = {std::nullopt, 1.0};
    const auto traces = [](double ilPort3) {
        return std::vector<PortTrace>{{1, {channelAt(1271, 1.4)}}, {3, {channelAt(1311, ilPort3)}}, {4, {channelAt(1331, 1.0)}}};
    };
    const verdict::DeviceVerdict pass = combinePorts(traces(0.9), 3, &limits, verdict::Plan::Cwdm, {});
    EXPECT_EQ(pass.outcome, Outcome::Pass);
    ASSERT_EQ(pass.channels.size(), 3U);
    EXPECT_EQ(pass.channels[1].number, 3);
    EXPECT_TRUE(pass.marginal) << "port 1 at 1.4 dB lies within 0.2 dB of 1.5";

    // Port 3's own bound (1.0) fails it at 1.1, although the common one (1.5) would pass it.
    const verdict::DeviceVerdict fail = combinePorts(traces(1.1), 3, &limits, verdict::Plan::Cwdm, {});
    EXPECT_EQ(std::tuple(fail.outcome, fail.channels[1].outcome), std::tuple(Outcome::Fail, Outcome::Fail));

    // A port with no channel, or two, is missing from the count: the ports' own, unless the limits give one.
    std::vector<PortTrace> odd = traces(0.9);
    odd[1].channels.clear();
    odd[2].channels.push_back(channelAt(1351, 1.0));
    const verdict::DeviceVerdict short_ = combinePorts(odd, 3, &limits, verdict::Plan::Cwdm, {});
    EXPECT_EQ(short_.channels.size(), 1U);
    EXPECT_TRUE(short_.outcome == Outcome::Fail && short_.channelCountFails);
    limits.channelCount = 1;
    EXPECT_EQ(combinePorts(odd, 3, &limits, verdict::Plan::Cwdm, {}).outcome, Outcome::Pass);
    EXPECT_EQ(combinePorts(odd, 3, nullptr, verdict::Plan::Cwdm, {}).outcome, Outcome::NotJudged);
}

}  // namespace
