// The calibration dialogs' rules: the typed length, storing a calibration, the manager's texts.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "view/calibration_table.h"
#include "view/calibration_workflow.h"

namespace {

struct LengthCase {
    const wchar_t* text;
    float expected;
};

TEST(CalibrationLength, ReadsTheLongestDecimalPrefixInTheCLocale) {
    const LengthCase cases[] = {
        {L"1", 1.0f},          {L"  2.5", 2.5f},     {L"\t+0.25mm", 0.25f}, {L"1.5,2", 1.5f},
        {L".5", 0.5f},         {L"5.", 5.0f},        {L"1e3", 1000.0f},     {L"1e", 1.0f},
        {L"1e+", 1.0f},        {L"2E-1x", 0.2f},     {L"-3", -3.0f},        {L"", 0.0f},
        {L".", 0.0f},          {L"abc", 0.0f},       {L"0x10", 0.0f},       {L"inf", 0.0f},
        {L"nan", 0.0f},        {L"1\u00b75", 1.0f},  {L"\u0661", 0.0f},     {L"- 1", 0.0f},
        {L"1e999", 0.0f},      {L"1e-999", 0.0f},
    };
    for (const auto& c : cases) EXPECT_FLOAT_EQ(ParseCalibrationLength(c.text), c.expected) << "case " << (&c - cases);
    EXPECT_EQ(ParseCalibrationLength(nullptr), 0.0f);
}

TEST(CalibrationLength, KeepsSinglePrecisionOfTheDoubleAndIgnoresTheProcessLocale) {
    EXPECT_EQ(ParseCalibrationLength(L"0.1"), static_cast<float>(0.1));
    // A locale with a decimal comma must not change how the field is read.
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        EXPECT_FLOAT_EQ(ParseCalibrationLength(L"1.5"), 1.5f);
        EXPECT_FLOAT_EQ(ParseCalibrationLength(L"1,5,0"), 1.5f);
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
}

// Users of decimal-comma locales type "0,5": without a "." in the text the comma is the decimal
// separator; with both, the point is, and the comma ends the number as before.
TEST(CalibrationLength, ACommaIsTheDecimalSeparatorWhenThereIsNoPoint) {
    const LengthCase cases[] = {
        {L"0,5", 0.5f}, {L" 1,25 mm", 1.25f}, {L",5", 0.5f},    {L"1,5,2", 1.5f},
        {L"1.000,5", 1.0f}, {L"1,000.5", 1.0f}, {L"2,5e1", 25.0f}, {L",", 0.0f},
    };
    for (const auto& c : cases) EXPECT_FLOAT_EQ(ParseCalibrationLength(c.text), c.expected) << "case " << (&c - cases);
}

TEST(CalibrationLength, ReadsOnlyTheFirst63Characters) {
    std::wstring text(62, L' ');
    text += L"7";  // 63rd character: read
    EXPECT_FLOAT_EQ(ParseCalibrationLength(text.c_str()), 7.0f);
    text = std::wstring(63, L' ') + L"7";  // 64th: not read
    EXPECT_EQ(ParseCalibrationLength(text.c_str()), 0.0f);
    text = std::wstring(62, L'0') + L"12";  // digits beyond the 63rd are cut: "0...01"
    EXPECT_FLOAT_EQ(ParseCalibrationLength(text.c_str()), 1.0f);
}

Calibration Named(const wchar_t* name) {
    Calibration slot;
    EmptyCalibration(slot);
    SetCalibrationName(slot, name);
    return slot;
}

TEST(StoreCalibration, A400PixelLineAsOneMillimetreGivesPpu400) {
    Calibration slot = Named(L"Slide");
    ASSERT_TRUE(StoreCalibration(slot, 0, 400, 1.0f, 1280, 720, DateNumber(2023, 3, 22)));
    EXPECT_FLOAT_EQ(slot.pixelsPerUnit, 400.0f);
    EXPECT_EQ(slot.unit, 0);
    EXPECT_EQ(slot.referencePixels, 400);
    EXPECT_EQ(slot.referenceLength, 1.0f);
    EXPECT_EQ(slot.resolution, 47187200);
    EXPECT_EQ(slot.date, 20230322);
    EXPECT_EQ(std::wstring(slot.name), L"Slide");

    CalibrationRowTexts row = RowTextsOf(slot);
    EXPECT_EQ(row.name, L"Slide");
    EXPECT_EQ(row.value, L"400.00");
    EXPECT_EQ(row.unit, L"mm");
    EXPECT_EQ(row.date, L"03/22/2023");
    EXPECT_EQ(row.resolution, L"1280x720");

    // What the settings then store, and read back at the next start.
    Calibration slots[kCalibrationSlots];
    for (auto& s : slots) EmptyCalibration(s);
    slots[0] = slot;
    std::wstring text = SerializeCalibrations(slots);
    EXPECT_EQ(text.substr(0, 41), L"Slide,0,400,1065353216,47187200,20230322;");
    Calibration back[kCalibrationSlots];
    ParseCalibrations(text, back);
    EXPECT_FLOAT_EQ(back[0].pixelsPerUnit, 400.0f);
    EXPECT_EQ(back[0].unit, 0);
}

// A camera's record names the calibration it had applied: it comes back when its slot still holds
// it at the running frame size, found by name when the slots moved.
TEST(RecordedCalibration, SameNameAndFrameSize) {
    Calibration slots[kCalibrationSlots];
    for (auto& s : slots) EmptyCalibration(s);
    slots[2] = Named(L"10x");
    ASSERT_TRUE(StoreCalibration(slots[2], 0, 400, 1.0f, 1280, 720, 0));
    slots[5] = Named(L"40x");
    ASSERT_TRUE(StoreCalibration(slots[5], 0, 800, 1.0f, 640, 480, 0));
    slots[7] = Named(L"old");
    ASSERT_TRUE(StoreCalibration(slots[7], 0, 800, 1.0f, 0, 0, 0));  // no size said
    struct Case { int slot; const wchar_t* name; int w, h, want; } cases[] = {
        {2, L"10x", 1280, 720, 2},  {5, L"10x", 1280, 720, 2},  // found by name
        {2, L"10x", 1920, 1080, -1}, {5, L"40x", 1280, 720, -1},  // made at another size
        {7, L"old", 1920, 1080, 7}, {3, L"none", 1280, 720, -1}, {10, L"10x", 1280, 720, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RecordedCalibrationSlot(slots, c.slot, c.name, c.w, c.h), c.want) << c.slot << " " << c.w;
}

TEST(StoreCalibration, RefusesLengthsThatGiveNoUsableFactorAndLeavesTheSlotAlone) {
    const float lengths[] = {0.0f, -1.0f, std::nanf(""), INFINITY, 1e-44f /* 400 / it is not finite */};
    for (float v : lengths) {
        Calibration slot = Named(L"Keep");
        slot.pixelsPerUnit = 123.0f;
        slot.unit = 1;
        EXPECT_FALSE(StoreCalibration(slot, 0, 400, v, 640, 480, 20240101)) << v;
        EXPECT_EQ(slot.pixelsPerUnit, 123.0f);
        EXPECT_EQ(slot.unit, 1);
        EXPECT_EQ(slot.date, 0);
    }
    Calibration slot = Named(L"");
    EXPECT_FALSE(StoreCalibration(slot, 0, 0, 1.0f, 640, 480, 20240101));  // no line
    EXPECT_EQ(slot.pixelsPerUnit, -1.0f);
}

TEST(StoreCalibration, MicrometresAndOddUnitsAndWideFrames) {
    Calibration slot = Named(L"x");
    ASSERT_TRUE(StoreCalibration(slot, 1, 300, 1000.0f, 2592, 1944, 20250101));
    EXPECT_EQ(slot.unit, 1);
    EXPECT_FLOAT_EQ(slot.pixelsPerUnit, 0.3f);
    EXPECT_EQ(RowTextsOf(slot).unit, L"\u03bcm");
    EXPECT_EQ(RowTextsOf(slot).value, L"0.30");
    ASSERT_TRUE(StoreCalibration(slot, -1, 300, 1.0f, 40000, 40000, 20250101));
    EXPECT_EQ(slot.unit, 1);  // only 0 is millimetres
    EXPECT_EQ(RowTextsOf(slot).resolution, L"40000x40000");  // 16 bits each, both above 32767
}

TEST(ManagerRow, EmptySlotOldDatesAndSmallFramesShowNothing) {
    Calibration empty = Named(L"");
    CalibrationRowTexts row = RowTextsOf(empty);
    EXPECT_TRUE(row.name.empty() && row.value.empty() && row.unit.empty() && row.date.empty() &&
                row.resolution.empty());

    Calibration old = Named(L"Old");
    ASSERT_TRUE(StoreCalibration(old, 0, 400, 2.0f, 639, 480, 20191231));
    row = RowTextsOf(old);
    EXPECT_EQ(row.value, L"200.00");
    EXPECT_TRUE(row.date.empty());
    EXPECT_TRUE(row.resolution.empty());
    old.resolution = PackResolution(640, 479);
    EXPECT_TRUE(RowTextsOf(old).resolution.empty());
    old.resolution = PackResolution(640, 480);
    EXPECT_EQ(RowTextsOf(old).resolution, L"640x480");
    old.date = 20200105;
    EXPECT_EQ(RowTextsOf(old).date, L"01/05/2020");
}

TEST(ManagerRow, NameOfAFullUnterminatedArrayStaysInside) {
    Calibration slot = Named(L"");
    for (auto& c : slot.name) c = L'N';  // no terminator: only the 20 units are read
    EXPECT_EQ(RowTextsOf(slot).name, std::wstring(kCalibrationNameChars, L'N'));
    EXPECT_EQ(CalibrateDialogTitle(9, slot), L"Calibrate - ID:10 Name:" + std::wstring(kCalibrationNameChars, L'N'));
}

TEST(CalibrateDialog, TitleAndPlacement) {
    EXPECT_EQ(CalibrateDialogTitle(0, Named(L"Slide")), L"Calibrate - ID:1 Name:Slide");
    EXPECT_EQ(CalibrateDialogTitle(4, Named(L"")), L"Calibrate - ID:5 Name:");
    DialogOrigin o = OriginBelowOwnerTop(100, 50, 1466, 400, 96);
    EXPECT_EQ(o.left, 100 + (1366 - 400) / 2);
    EXPECT_EQ(o.top, 118);
    o = OriginBelowOwnerTop(0, 0, 300, 401, 96);  // wider than the owner: sticks out on both sides
    EXPECT_EQ(o.left, -50);
}

// The 68 pixels below the owner's top grow with the display scale; the centring does not change.
TEST(CalibrateDialog, PlacementFollowsTheDisplayScale) {
    const struct { int dpi, top; } cases[] = {{96, 118}, {120, 135}, {144, 152}, {192, 186}, {0, 118}};
    for (const auto& c : cases) {
        DialogOrigin o = OriginBelowOwnerTop(100, 50, 1466, 400, c.dpi);
        EXPECT_EQ(o.left, 583) << c.dpi;
        EXPECT_EQ(o.top, c.top) << c.dpi;
    }
}

}  // namespace
