// The time-lapse schedule with a clock of the test's own: pictures at start + k x interval, a
// late picture passed over and counted rather than taken twice, the three ways to end, and the
// names and texts a run shows.
#include "media/timelapse_plan.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

TimelapsePlan Plan(int64_t intervalMs, TimelapseStop stop, int64_t count = 0, int64_t durationMs = 0) {
    TimelapsePlan p;
    p.intervalMs = intervalMs;
    p.stop = stop;
    p.count = count;
    p.durationMs = durationMs;
    return p;
}

}  // namespace

// Ten hours at 5 s, woken by a timer that is late by up to 400 ms at every tick and stalls now
// and then: every picture is taken within its own interval, none twice, and the last one is
// due exactly 7199 intervals after the start (no drift from adding up the delays).
TEST(TimelapsePlan, TenHoursAtFiveSecondsDoNotDrift) {
    const TimelapsePlan plan = Plan(5000, TimelapseStop::AfterCount, 7200);
    const int64_t start = 1000000;
    std::mt19937 random(7);
    int64_t now = start, next = 0, taken = 0, missed = 0, lastSlot = -1;
    for (;;) {
        const TimelapseStep step = NextTimelapseStep(plan, start, next, now);
        if (step.kind == TimelapseStep::Done) break;
        if (step.kind == TimelapseStep::Take) {
            const int64_t due = start + step.slot * plan.intervalMs;
            ASSERT_GE(now, due);
            ASSERT_LT(now - due, plan.intervalMs) << step.slot;
            ASSERT_GT(step.slot, lastSlot);
            lastSlot = step.slot;
            missed += step.missed;
            ++taken;
            next = step.slot + 1;
            continue;
        }
        const int64_t stall = random() % 1000 == 0 ? 11000 : 0;  // the machine was busy
        now += std::max<int64_t>(step.waitMs, 1) + int64_t(random() % 400) + stall;
    }
    EXPECT_EQ(lastSlot, 7199);
    EXPECT_EQ(taken + missed, 7200);
    EXPECT_GT(missed, 0);  // the stalls cost pictures, counted
    EXPECT_LT(missed, 100);
}

TEST(TimelapsePlan, LatePicturesArePassedOverAndRunsEnd) {
    const int64_t s = 50000;
    struct Case { TimelapsePlan plan; int64_t next, now; TimelapseStep::Kind kind; int64_t slot, missed, waitMs; };
    const Case cases[] = {
        {Plan(5000, TimelapseStop::AfterCount, 5), 0, s, TimelapseStep::Take, 0, 0, 0},
        {Plan(5000, TimelapseStop::AfterCount, 5), 1, s + 1200, TimelapseStep::Wait, 0, 0, 3800},
        {Plan(5000, TimelapseStop::AfterCount, 5), 3, s + 15000 + 4999, TimelapseStep::Take, 3, 0, 0},  // late, not by a whole interval
        {Plan(5000, TimelapseStop::AfterCount, 5), 3, s + 15000 + 5000, TimelapseStep::Take, 4, 1, 0},
        {Plan(5000, TimelapseStop::AfterCount, 5), 2, s + 30000, TimelapseStep::Done, 0, 3, 0},  // past the end
        {Plan(5000, TimelapseStop::AfterCount, 5), 5, s + 25000, TimelapseStep::Done, 0, 0, 0},
        {Plan(5000, TimelapseStop::AfterDuration, 0, 12000), 2, s + 10000, TimelapseStep::Take, 2, 0, 0},
        {Plan(5000, TimelapseStop::AfterDuration, 0, 12000), 3, s + 15000, TimelapseStep::Done, 0, 0, 0},
        {Plan(1000, TimelapseStop::Never), 999999, s + 999999000, TimelapseStep::Take, 999999, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "next " << c.next << " at +" << c.now - s);
        const TimelapseStep step = NextTimelapseStep(c.plan, s, c.next, c.now);
        EXPECT_EQ(step.kind, c.kind);
        EXPECT_EQ(step.slot, c.slot);
        EXPECT_EQ(step.missed, c.missed);
        EXPECT_EQ(step.waitMs, c.waitMs);
    }
    EXPECT_EQ(TimelapseLeftMs(Plan(5000, TimelapseStop::AfterCount, 5), s, s + 6000), 14000);
    EXPECT_EQ(TimelapseLeftMs(Plan(5000, TimelapseStop::Never), s, s), -1);
    // The dialog's numbers in their units, within the limits (1 s to 24 h, at least one picture).
    struct FormCase { int64_t interval; int32_t unit; int64_t duration; int32_t durationUnit; int64_t intervalMs, durationMs; };
    const FormCase forms[] = {
        {90, 0, 2, 1, 90000, 7200000}, {0, 0, 0, 0, 1000, 1000}, {3, 2, 10, 0, 10800000, 10800000},
        {9999999, 2, 9999999, 1, kTimelapseMaxIntervalMs, 1000000LL * 3600000},
    };
    for (const FormCase& f : forms) {
        TimelapseForm form;
        form.interval = f.interval, form.intervalUnit = f.unit, form.duration = f.duration, form.durationUnit = f.durationUnit;
        form.count = 0;
        const TimelapsePlan p = PlanFromForm(form);
        EXPECT_EQ(p.intervalMs, f.intervalMs) << f.interval;
        EXPECT_EQ(p.durationMs, f.durationMs) << f.duration;
        EXPECT_EQ(p.count, 1);
    }
}

TEST(TimelapsePlan, NamesSortAndDurationsRead) {
    EXPECT_EQ(TimelapsePictureName(Plan(1000, TimelapseStop::AfterCount, 100), 1, L"jpg"), L"0001.jpg");
    EXPECT_EQ(TimelapsePictureName(Plan(1000, TimelapseStop::AfterCount, 12345), 7, L"png"), L"00007.png");
    EXPECT_EQ(TimelapsePictureName(Plan(1000, TimelapseStop::AfterDuration, 0, 36000000), 12, L"jpg"), L"00012.jpg");
    EXPECT_EQ(TimelapsePictureName(Plan(1000, TimelapseStop::Never), 3, L"jpg"), L"000003.jpg");
    struct Case { int64_t ms; const wchar_t* text; } cases[] = {
        {90000, L"1 min 30 s"}, {3900000, L"1 h 5 min"}, {45000, L"45 s"}, {400, L"0 s"}, {7200000, L"2 h"},
    };
    for (const Case& c : cases) EXPECT_EQ(DurationText(c.ms, L"h", L"min", L"s"), c.text);
    EXPECT_EQ(TimelapseFolderName(2026, 12, 7, 9, 5, 3, 1), L"20261207-090503");
    EXPECT_EQ(TimelapseFolderName(2026, 12, 7, 9, 5, 3, 2), L"20261207-090503-2");
}
