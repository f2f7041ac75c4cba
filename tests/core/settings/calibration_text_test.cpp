// The calibration slots' stored text: the documented records, round trips, names that do not
// fit or would break the text, and damaged texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "view/calibration_table.h"

namespace {

struct Table {
    Calibration slots[kCalibrationSlots];
    Table() { for (auto& s : slots) EmptyCalibration(s); }
};

Calibration Slide() {
    Calibration c;
    EmptyCalibration(c);
    SetCalibrationName(c, L"Slide");
    c.unit = 0;
    c.referencePixels = 400;
    c.referenceLength = 1.0f;
    c.resolution = 720 << 16 | 1280;
    c.date = 20230322;
    c.pixelsPerUnit = 400.0f;
    return c;
}

std::wstring Repeat(const std::wstring& s, int n) {
    std::wstring r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

TEST(CalibrationText, EmptySlotsAndTheDocumentedRecord) {
    Table t;
    EXPECT_EQ(SerializeCalibrations(t.slots), Repeat(L",0,0,0,0,0;", 10));
    Table back;
    back.slots[4] = Slide();
    ParseCalibrations(Repeat(L",0,0,0,0,0;", 10), back.slots);
    for (auto& s : back.slots) {
        EXPECT_STREQ(s.name, L"");
        EXPECT_EQ(s.pixelsPerUnit, -1.0f);
        EXPECT_FALSE(IsCalibrated(s));
    }

    t.slots[0] = Slide();
    EXPECT_EQ(SerializeCalibrations(t.slots), L"Slide,0,400,1065353216,47187200,20230322;" + Repeat(L",0,0,0,0,0;", 9));

    ParseCalibrations(L"Slide,0,400,1065353216,47187200,20230322;", back.slots);
    EXPECT_STREQ(back.slots[0].name, L"Slide");
    EXPECT_EQ(back.slots[0].unit, 0);
    EXPECT_EQ(back.slots[0].referencePixels, 400);
    EXPECT_EQ(back.slots[0].referenceLength, 1.0f);
    EXPECT_EQ(back.slots[0].resolution, 47187200);
    EXPECT_EQ(back.slots[0].date, 20230322);
    EXPECT_EQ(back.slots[0].pixelsPerUnit, 400.0f);
    EXPECT_FALSE(IsCalibrated(back.slots[1]));  // the slots after the text stay empty
}

TEST(CalibrationText, RoundTripOfTenSlots) {
    Table t;
    for (int i = 0; i < kCalibrationSlots; ++i) {
        Calibration& c = t.slots[i];
        SetCalibrationName(c, (L"Obj " + std::to_wstring(i)).c_str());
        c.unit = i % 2;
        c.referencePixels = 200 + 37 * i;
        c.referenceLength = 0.125f * float(i + 1);
        c.resolution = 1080 << 16 | 1920;
        c.date = 20240101 + i;
        c.pixelsPerUnit = PixelsPerUnitFor(c.referencePixels, c.referenceLength);
    }
    std::wstring text = SerializeCalibrations(t.slots);
    Table back;
    ParseCalibrations(text, back.slots);
    for (int i = 0; i < kCalibrationSlots; ++i) {
        EXPECT_STREQ(back.slots[i].name, t.slots[i].name);
        EXPECT_EQ(back.slots[i].unit, t.slots[i].unit);
        EXPECT_EQ(back.slots[i].referencePixels, t.slots[i].referencePixels);
        EXPECT_EQ(back.slots[i].referenceLength, t.slots[i].referenceLength);
        EXPECT_EQ(back.slots[i].resolution, t.slots[i].resolution);
        EXPECT_EQ(back.slots[i].date, t.slots[i].date);
        EXPECT_EQ(back.slots[i].pixelsPerUnit, t.slots[i].pixelsPerUnit);
    }
    EXPECT_EQ(SerializeCalibrations(back.slots), text);
}

TEST(CalibrationText, NamesAreCutTo19AndCannotBreakTheText) {
    Calibration c;
    EmptyCalibration(c);
    SetCalibrationName(c, std::wstring(300, L'n').c_str());
    EXPECT_EQ(std::wcslen(c.name), 19u);
    SetCalibrationName(c, L"a,b;c");
    EXPECT_STREQ(c.name, L"a_b_c");
    SetCalibrationName(c, nullptr);
    EXPECT_STREQ(c.name, L"");
    // A surrogate pair straddling the cut is dropped whole.
    std::wstring pair = std::wstring(18, L'p') + wchar_t(0xD83D) + wchar_t(0xDE00);
    SetCalibrationName(c, pair.c_str());
    EXPECT_EQ(std::wcslen(c.name), 18u);

    // A slot filled behind SetCalibrationName's back: 20 units, no terminator, separators.
    Table t;
    for (std::size_t i = 0; i < kCalibrationNameChars; ++i) t.slots[0].name[i] = i % 2 ? L';' : L',';
    std::wstring text = SerializeCalibrations(t.slots);
    Table back;
    ParseCalibrations(text, back.slots);
    EXPECT_EQ(std::wcslen(back.slots[0].name), 19u);
    EXPECT_EQ(std::wstring(back.slots[9].name), L"");
    EXPECT_EQ(back.slots[9].pixelsPerUnit, -1.0f);
}

TEST(CalibrationText, TenLongRecordsFitAndKeepTheirFigures) {
    Table t;
    for (int i = 0; i < kCalibrationSlots; ++i) {
        Calibration& c = t.slots[i];
        SetCalibrationName(c, std::wstring(19, wchar_t(L'A' + i)).c_str());
        c.unit = 1;
        c.referencePixels = -2147483647 - 1;
        c.referenceLength = -3.0e38f;
        c.resolution = -2147483647 - 1;
        c.date = 99991231;
    }
    std::wstring text = SerializeCalibrations(t.slots);
    EXPECT_LE(text.size(), kCalibrationTextMaxChars);
    Table back;
    ParseCalibrations(text, back.slots);
    for (int i = 0; i < kCalibrationSlots; ++i) {
        EXPECT_EQ(back.slots[i].referencePixels, t.slots[i].referencePixels) << i;
        EXPECT_EQ(back.slots[i].referenceLength, t.slots[i].referenceLength) << i;
        EXPECT_EQ(back.slots[i].date, 99991231) << i;
        EXPECT_EQ(back.slots[i].name[0], wchar_t(L'A' + i)) << i;  // shortened, not dropped
    }
    // Realistic records with full names are shortened only as much as needed.
    for (auto& c : t.slots) c = Slide(), SetCalibrationName(c, std::wstring(19, L'x').c_str());
    text = SerializeCalibrations(t.slots);
    EXPECT_LE(text.size(), kCalibrationTextMaxChars);
    EXPECT_GE(text.size(), kCalibrationTextMaxChars - 10);
    // Out-of-range units and dates are written in range.
    Table odd;
    odd.slots[0].unit = 7;
    odd.slots[0].date = -5;
    EXPECT_EQ(SerializeCalibrations(odd.slots).substr(0, 11), L",1,0,0,0,0;");
}

// Renaming one slot after another with long names: each new name gets what the others leave,
// and no rename changes what is stored for a slot the user did not touch.
TEST(CalibrationText, RenamingOneSlotNeverShortensTheOthers) {
    Table t;
    for (auto& s : t.slots) s = Slide();
    std::wstring before[kCalibrationSlots];
    for (int i = 0; i < kCalibrationSlots; ++i) {
        const std::wstring name = L"Specimen-" + std::to_wstring(i) + L"-0123456789";  // 21 characters
        RenameCalibration(t.slots, i, name.c_str());
        const std::wstring text = SerializeCalibrations(t.slots);
        ASSERT_LE(text.size(), kCalibrationTextMaxChars);
        Table back;
        ParseCalibrations(text, back.slots);
        for (int j = 0; j < i; ++j) EXPECT_EQ(std::wstring(back.slots[j].name), before[j]) << i << " " << j;
        EXPECT_EQ(std::wstring(back.slots[i].name), std::wstring(t.slots[i].name));  // stored as shown
        before[i] = t.slots[i].name;
    }
    EXPECT_EQ(before[0], L"Specimen-0-01234567");  // the early ones got their full 19 characters
    EXPECT_LT(before[9].size(), before[0].size());  // the last got the room left
}

TEST(CalibrationText, DamagedTextsStopCleanly) {
    const std::wstring good = L"Slide,0,400,1065353216,47187200,20230322;";
    Table t;
    ParseCalibrations(good + L"Cut,1,400,106535", t.slots);  // truncated second record
    EXPECT_TRUE(IsCalibrated(t.slots[0]));
    EXPECT_FALSE(IsCalibrated(t.slots[1]));
    EXPECT_STREQ(t.slots[1].name, L"");

    ParseCalibrations(L"Bad,0,400,1065353216;" + good, t.slots);  // missing commas end parsing
    for (auto& s : t.slots) EXPECT_FALSE(IsCalibrated(s));

    // Huge and odd numbers are clamped; leading blanks and signs are read.
    ParseCalibrations(L"H,99999999999999,99999999999999999999,99999999999,-99999999999, 20230322x;", t.slots);
    EXPECT_EQ(t.slots[0].unit, 1);
    EXPECT_EQ(t.slots[0].referencePixels, 2147483647);
    EXPECT_EQ(t.slots[0].resolution, -2147483647 - 1);
    EXPECT_EQ(t.slots[0].date, 20230322);
    uint32_t bits;
    std::memcpy(&bits, &t.slots[0].referenceLength, 4);
    EXPECT_EQ(bits, 0xFFFFFFFFu);  // a NaN pattern
    EXPECT_EQ(t.slots[0].pixelsPerUnit, -1.0f);

    // Negative, NaN, infinite and tiny lengths never give a usable factor.
    for (const wchar_t* len : {L"3212836864" /* -1.0 */, L"2143289344" /* NaN */, L"2139095040" /* +inf */,
                               L"1" /* smallest subnormal */, L"-1", L"0", L"junk"}) {
        ParseCalibrations(std::wstring(L"N,0,400,") + len + L",0,0;", t.slots);
        EXPECT_FALSE(IsCalibrated(t.slots[0])) << len;
    }
    ParseCalibrations(L"Neg,0,-400,1065353216,0,0;", t.slots);
    EXPECT_FALSE(IsCalibrated(t.slots[0]));

    // A 300-character name in a record, and a text longer than the field.
    ParseCalibrations(std::wstring(300, L'n') + L",0,400,1065353216,0,0;", t.slots);
    EXPECT_EQ(std::wcslen(t.slots[0].name), 19u);
    EXPECT_EQ(t.slots[0].pixelsPerUnit, 400.0f);
    ParseCalibrations(std::wstring(500, L'n') + L",0,400,1065353216,0,0;", t.slots);
    EXPECT_FALSE(IsCalibrated(t.slots[0]));  // the record's end lies beyond the 511 characters read
    ParseCalibrations(Repeat(good, 20), t.slots);
    for (auto& s : t.slots) EXPECT_TRUE(IsCalibrated(s));
    ParseCalibrations(L"", t.slots);
    EXPECT_FALSE(IsCalibrated(t.slots[0]));
}

}  // namespace
