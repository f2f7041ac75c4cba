// The live read-out's rates, load, dropped frames and texts.
#include "panel/live_readout.h"

#include <gtest/gtest.h>

#include "settings/text_table.h"

namespace {

constexpr int64_t kHz = 10000000;  // the performance counter's rate under Wine

ReadoutSample Look(double seconds, uint32_t received, uint32_t shown, double busySeconds) {
    return {int64_t(seconds * kHz), received, shown, uint64_t(busySeconds * kHz)};
}

}  // namespace

TEST(LiveReadout, RatesAndLoadComeFromTheLastTwoSeconds) {
    ReadoutHistory h;
    EXPECT_FALSE(h.Ready());
    EXPECT_EQ(h.Rates(kHz).receivedFps, 0.0);
    h.Add(Look(0.0, 0, 0, 0.0));
    EXPECT_FALSE(h.Ready());
    h.Add(Look(0.5, 15, 14, 0.2));
    ASSERT_TRUE(h.Ready());
    ReadoutFigures f = h.Rates(kHz);
    EXPECT_DOUBLE_EQ(f.receivedFps, 30.0);
    EXPECT_DOUBLE_EQ(f.shownFps, 28.0);
    EXPECT_EQ(f.loadPercent, 40);
    // After five looks the oldest goes: a slow start no longer pulls the rate down.
    h.Add(Look(1.0, 30, 29, 0.4));
    h.Add(Look(1.5, 45, 44, 0.6));
    h.Add(Look(2.0, 60, 59, 0.8));
    h.Add(Look(2.5, 85, 84, 1.0));  // 25 frames in the last half second
    f = h.Rates(kHz);
    EXPECT_DOUBLE_EQ(f.receivedFps, 35.0);  // (85 - 15) / 2 s
    EXPECT_EQ(f.loadPercent, 40);
    // Counts that wrapped still give the right rate; a look at the same moment gives none.
    ReadoutHistory wrap;
    wrap.Add(Look(0.0, 0xFFFFFFF0u, 0xFFFFFFF0u, 0.0));
    wrap.Add(Look(1.0, 14, 4, 1.5));
    EXPECT_DOUBLE_EQ(wrap.Rates(kHz).receivedFps, 30.0);
    EXPECT_DOUBLE_EQ(wrap.Rates(kHz).shownFps, 20.0);
    EXPECT_EQ(wrap.Rates(kHz).loadPercent, 150);  // both threads busier than the frame interval
    ReadoutHistory still;
    still.Add(Look(1.0, 1, 1, 0.0));
    still.Add(Look(1.0, 2, 2, 0.0));
    EXPECT_EQ(still.Rates(kHz).receivedFps, 0.0);
    h.Clear();
    EXPECT_FALSE(h.Ready());
}

TEST(LiveReadout, RecorderDropsCountFromTheOpening) {
    struct Case {
        int64_t totalNow, totalAtOpen;
        bool writerRunning;
        int64_t currentFile, expected;
    } cases[] = {
        {0, 0, false, 0, 0},
        {5, 5, false, 3, 0},  // the earlier camera's files, and a finished file's count already in the total
        {5, 5, true, 3, 3},   // the file being written
        {9, 5, true, 2, 6},   // a split file finished with 4, the next one has 2 so far
        {4, 5, false, 0, 0},  // never negative
    };
    for (const Case& c : cases)
        EXPECT_EQ(RecorderDropsSinceOpen(c.totalNow, c.totalAtOpen, c.writerRunning, c.currentFile), c.expected)
            << c.totalNow << " " << c.totalAtOpen;
}

TEST(LiveReadout, TextsFillTheirPlaceholdersInOrder) {
    const std::wstring values[] = {L"a", L"b"};
    struct Case {
        const wchar_t* text;
        const wchar_t* expected;
    } cases[] = {
        {L"%s/%s", L"a/b"},
        {L"%s%% and %s", L"a% and b"},
        {L"only %s", L"only a"},
        {L"%s %s %s", L"a b "},  // a text asking for more than there is gets nothing more
        {L"100% %d", L"100% %d"},  // anything else stays as it is
        {L"%", L"%"},
    };
    for (const Case& c : cases) EXPECT_EQ(FillTemplate(c.text, values, 2), c.expected) << c.text;

    ReadoutFigures f;
    f.receivedFps = 29.96;
    f.shownFps = 29.0;
    f.loadPercent = 41;
    f.cameraDropped = 3;
    f.skipped = 2;
    f.recorderDropped = 1;
    LoadTextTable(kLanguageEnglish);
    EXPECT_EQ(ReadoutLine(GetText("readout"), f), L"30.0 fps in, 29.0 shown\r\nload 41%, dropped 6");
    EXPECT_EQ(ReadoutTip(GetText("readout tip"), f).find(L"3 by the camera, 2 skipped by Vardelo, 1 by the recorder") !=
                  std::wstring::npos,
              true);
    LoadTextTable(kLanguageChinese);
    EXPECT_EQ(ReadoutLine(GetText("readout"), f),
              L"\u63A5\u6536 30.0 \u5E27/\u79D2\uFF0C\u663E\u793A 29.0\r\n\u8D1F\u8F7D 41%\uFF0C\u4E22\u5E27 6");
    LoadTextTable(kLanguageEnglish);
}
