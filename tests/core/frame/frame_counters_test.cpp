// The live picture's counts (frames shown and skipped) and the frame trace's records.
#include "frame/frame_counters.h"
#include "frame/frame_trace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

TEST(FrameCounters, ShownFramesCountTheGapsAsSkipped) {
    struct Step {
        uint32_t sequence;
        bool resyncBefore;
        bool fresh;
        uint32_t shown, skipped;
    };
    const Step steps[] = {
        {0, false, false, 0, 0},  // no frame yet
        {1, false, true, 1, 0},
        {1, false, false, 1, 0},  // composed again (a mouse move): not shown twice
        {2, false, true, 2, 0},
        {5, false, true, 3, 2},   // 3 and 4 were replaced before a paint
        {40, true, true, 4, 2},   // the view was hidden meanwhile: the gap is not the view's
        {41, false, true, 5, 2},
        {7, false, true, 6, 2},   // older than the last: a new opening's frames, no gap counted
        {9, false, true, 7, 3},
    };
    FrameCounters c;
    for (const Step& s : steps) {
        c.resyncShown = c.resyncShown || s.resyncBefore;
        EXPECT_EQ(NoteFrameShown(c, s.sequence), s.fresh) << s.sequence;
        EXPECT_EQ(c.shown.load(), s.shown) << s.sequence;
        EXPECT_EQ(c.skipped.load(), s.skipped) << s.sequence;
    }
    c.received = 12;
    c.pathTicks = 99;
    c.paintTicks = 7;
    const uint32_t opens = c.opens;
    ResetFrameCounters(c);
    EXPECT_EQ(c.opens, opens + 1);
    EXPECT_EQ(c.received + c.shown + c.skipped, 0u);
    EXPECT_EQ(c.pathTicks + c.paintTicks, 0u);
    EXPECT_TRUE(NoteFrameShown(c, 2));  // frame 1 of the new opening was never shown
    EXPECT_EQ(c.skipped, 1u);
}

TEST(FrameTrace, WritesItsRecordsAsLinesAndCountsWhatDidNotFit) {
    FrameTrace trace;
    trace.Reserve(2);
    EXPECT_FALSE(trace.Full());
    trace.AddShown({7, -980000, 100, 150}, 260);
    TickRecord tick;
    tick.at = 300;
    tick.cpuTime = 5000;
    tick.uiCpuTime = 1200;
    tick.pathTicks = 40;
    tick.paintTicks = 30;
    tick.received = 9;
    tick.shown = 8;
    tick.skipped = 1;
    tick.displayWidth = 1075;
    tick.displayHeight = 604;
    trace.AddTick(tick);
    trace.AddShown({8, -940000, 400, 450}, 560);
    EXPECT_TRUE(trace.Full());
    trace.AddShown({9, 0, 0, 0}, 0);  // no room: lost, not grown
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(trace.WriteTo(file));
    EXPECT_TRUE(trace.WriteTo(file));  // forgotten once written: nothing more
    std::rewind(file);
    std::string text;
    for (int ch; (ch = std::fgetc(file)) != EOF;) text += char(ch);
    std::fclose(file);
    EXPECT_EQ(text,
              "shown 7 -980000 100 150 260\n"
              "shown 8 -940000 400 450 560\n"
              "tick 300 5000 9 8 1 -1 1075 604 1200 40 30\n"
              "lost 1\n");
}
