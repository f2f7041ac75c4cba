// The measurement table: one row per shape kind with the numbers the labels print, pixels
// without a calibration, and its tab-separated and CSV forms.
#include <gtest/gtest.h>

#include "recording_surface.h"
#include "test_shapes.h"
#include "view/measure_table.h"

namespace {

std::vector<MeasureShape> EveryKind() {
    MeasureShape pencil = Shape(kToolPencil, {5, 5}, {5, 5});
    pencil.points = {{5, 5}, {9, 9}};
    MeasureShape text = Shape(kToolText, {40, 40}, {0, 0});
    std::wcscpy(text.text, L"cell, \"A\"\t1");
    return {Shape(kToolLine, {10, 10}, {313, 410}),
            Shape(kToolParallel, {10, 10}, {300, 50}, {100, 200}),
            Shape(kToolRectangle, {20, 30}, {333, 250}),
            Shape(kToolCircle, {300, 200}, {377, 251}),
            Shape(kToolConcentric, {300, 200}, {350, 200}, {300, 333}),
            Shape(kToolAngle, {200, 200}, {400, 210}, {250, 40}),
            pencil,
            text};
}

constexpr int kColumns = 13;  // kind, index, ten measures, text

TEST(MeasureTable, RowsHoldExactlyTheNumbersTheLabelsShow) {
    const float ppu = 123.4f;
    const double yScale = 4.0 / 3.0;  // a 640 x 480 camera stretched to 1920 x 1080
    const std::vector<MeasureShape> shapes = EveryKind();
    const std::vector<TableRow> rows = MeasurementTable(shapes, ppu, 1, yScale);
    ASSERT_EQ(rows.size(), shapes.size() + 1);
    EXPECT_EQ(rows[0][2], L"Length (\u03BCm)");
    EXPECT_EQ(rows[0][10], L"Area (\u03BCm\u00B2)");
    const int expectedCells[] = {1, 1, 3, 3, 2, 1, 0, 0};  // measures per kind
    OverlayParams op;
    op.imageW = 640;
    op.imageH = 480;
    op.ppu = ppu;
    op.yScale = yScale;
    op.unit = 1;
    for (size_t i = 0; i < shapes.size(); ++i) {
        const TableRow& row = rows[i + 1];
        ASSERT_EQ(row.size(), size_t(kColumns));
        EXPECT_EQ(row[1], std::to_wstring(i + 1));
        RecordingSurface s;
        DrawShape(s, shapes[i], shapes[i].kind, false, false, false, op);
        std::wstring labels;
        for (const std::wstring& t : s.Texts()) labels += t + L"|";
        int cells = 0;
        for (int c = 2; c < 12; ++c) {
            if (row[c].empty()) continue;
            ++cells;
            EXPECT_NE(labels.find(row[c]), std::wstring::npos) << row[0] << ": " << row[c] << " not in " << labels;
        }
        EXPECT_EQ(cells, expectedCells[i]) << row[0];
    }
    EXPECT_EQ(rows[1][0], L"Line");
    EXPECT_EQ(rows[6][11], L"80.623");  // the angle in degrees, as its label without the sign
    EXPECT_EQ(rows[8][0], L"Text");
    EXPECT_EQ(rows[8][12], L"cell, \"A\"\t1");
}

TEST(MeasureTable, WithoutCalibrationMeasuresArePixelsAndShapesOfNoSizeAreLeftOut) {
    MeasureShape dot = Shape(kToolPencil, {7, 7}, {7, 7});
    dot.points = {{7, 7}, {7, 7}};
    // Clicks without a drag: a zero line, a zero circle, a one-point stroke, an angle without arms.
    const std::vector<TableRow> rows =
        MeasurementTable({Shape(kToolLine, {5, 5}, {5, 5}), Shape(kToolRectangle, {0, 0}, {30, 40}),
                          Shape(kToolCircle, {9, 9}, {9, 9}), dot, Shape(kToolAngle, {3, 3}, {3, 3}, {9, 9})},
                         -1.0f, 0);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][0], L"Rectangle");
    EXPECT_EQ(rows[0][4], L"Width (px)");
    EXPECT_EQ(rows[1][4], L"30.00");
    EXPECT_EQ(rows[1][5], L"40.00");
    EXPECT_EQ(rows[1][10], L"1200.00");
}

TEST(MeasureTable, NotesThatLookLikeFormulasStayText) {
    for (const wchar_t* note : {L"=HYPERLINK(\"x\")", L"+1", L"-2", L"@SUM(A1)", L"\t=1+2", L"\r=1+2"}) {
        MeasureShape text = Shape(kToolText, {40, 40}, {0, 0});
        std::wcscpy(text.text, note);
        EXPECT_EQ(MeasurementTable({text}, -1.0f, 0)[1][12], std::wstring(L"'") + note);
    }
}

TEST(MeasureTable, TextFormsKeepCellsApart) {
    const std::vector<TableRow> rows = {{L"a", L"b,c"}, {L"\u03BC\"q\"", L"x\ty\r\nz"}};
    EXPECT_EQ(TabSeparated(rows), L"a\tb,c\r\n\u03BC\"q\"\tx y  z\r\n");
    EXPECT_EQ(CsvUtf8(rows), "\xEF\xBB\xBF" "a,\"b,c\"\r\n\"\xCE\xBC\"\"q\"\"\",\"x\ty\r\nz\"\r\n");
}

}  // namespace
