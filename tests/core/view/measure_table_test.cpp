// The measurement table: the results-table columns, one row per shape kind with the numbers the
// labels print, pixels without a calibration, and its tab-separated and CSV forms.
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

// The row number, the analysis program's columns, unit and calibration, then our own.
const TableRow kHeading = {L" ", L"Label", L"Area", L"X", L"Y", L"Perim.", L"Width", L"Height", L"Angle", L"Length",
                           L"Unit", L"Calibration", L"Kind", L"Distance", L"Radius", L"R1", L"R2", L"Text"};
constexpr int kMeasureColumns[] = {2, 5, 6, 7, 8, 9, 13, 14, 15, 16};  // the numbers labels print

TEST(MeasureTable, RowsHoldExactlyTheNumbersTheLabelsShow) {
    const float ppu = 123.4f;
    const double yScale = 4.0 / 3.0;  // a 640 x 480 camera stretched to 1920 x 1080
    const std::vector<MeasureShape> shapes = EveryKind();
    const std::vector<TableRow> rows = MeasurementTable(shapes, ppu, 1, yScale, L"Slide 40x");
    ASSERT_EQ(rows.size(), shapes.size() + 1);
    EXPECT_EQ(rows[0], kHeading);
    const int expectedCells[] = {1, 1, 3, 3, 2, 1, 0, 0};  // measures per kind
    OverlayParams op;
    op.imageW = 640;
    op.imageH = 480;
    op.ppu = ppu;
    op.yScale = yScale;
    op.unit = 1;
    for (size_t i = 0; i < shapes.size(); ++i) {
        const TableRow& row = rows[i + 1];
        ASSERT_EQ(row.size(), kHeading.size());
        EXPECT_EQ(row[0], std::to_wstring(i + 1));
        EXPECT_EQ(row[1], row[12] + L" " + row[0]);
        EXPECT_EQ(row[10], L"\u00B5m");
        EXPECT_EQ(row[11], L"Slide 40x");
        RecordingSurface s;
        DrawShape(s, shapes[i], shapes[i].kind, false, false, false, op);
        std::wstring labels;
        for (const std::wstring& t : s.Texts()) labels += t + L"|";
        int cells = 0;
        for (int c : kMeasureColumns) {
            if (row[c].empty()) continue;
            ++cells;
            EXPECT_NE(labels.find(row[c]), std::wstring::npos) << row[1] << ": " << row[c] << " not in " << labels;
        }
        EXPECT_EQ(cells, expectedCells[i]) << row[1];
    }
    EXPECT_EQ(rows[1][1], L"Line 1");
    EXPECT_EQ(rows[1][3], L"1.30875");  // the line's middle (161.5, 210) in µm, y stretched back
    EXPECT_EQ(rows[1][4], L"2.26904");
    EXPECT_EQ(rows[6][8], L"80.623");  // the angle in degrees, as its label without the sign
    EXPECT_EQ(rows[8][12], L"Text");
    EXPECT_EQ(rows[8][17], L"cell, \"A\"\t1");
}

TEST(MeasureTable, WithoutCalibrationMeasuresArePixelsAndShapesOfNoSizeAreLeftOut) {
    MeasureShape dot = Shape(kToolPencil, {7, 7}, {7, 7});
    dot.points = {{7, 7}, {7, 7}};
    // Clicks without a drag: a zero line, a zero circle, a one-point stroke, an angle without arms.
    const std::vector<TableRow> rows =
        MeasurementTable({Shape(kToolLine, {5, 5}, {5, 5}), Shape(kToolRectangle, {0, 0}, {30, 40}),
                          Shape(kToolCircle, {9, 9}, {9, 9}), dot, Shape(kToolAngle, {3, 3}, {3, 3}, {9, 9})},
                         -1.0f, 0, 1.0, L"Slide");
    ASSERT_EQ(rows.size(), 2u);
    const TableRow rectangle = {L"1", L"Rectangle 1", L"1200.00", L"15.00000", L"20.00000", L"", L"30.00", L"40.00",
                                L"", L"", L"px", L"", L"Rectangle", L"", L"", L"", L"", L""};
    EXPECT_EQ(rows[1], rectangle);
}

TEST(MeasureTable, NotesThatLookLikeFormulasStayText) {
    for (const wchar_t* note : {L"=HYPERLINK(\"x\")", L"+1", L"-2", L"@SUM(A1)", L"\t=1+2", L"\r=1+2"}) {
        MeasureShape text = Shape(kToolText, {40, 40}, {0, 0});
        std::wcscpy(text.text, note);
        EXPECT_EQ(MeasurementTable({text}, -1.0f, 0)[1][17], std::wstring(L"'") + note);
    }
}

TEST(MeasureTable, TextFormsKeepCellsApart) {
    const std::vector<TableRow> rows = {{L"a", L"b,c"}, {L"\u03BC\"q\"", L"x\ty\r\nz"}};
    EXPECT_EQ(TabSeparated(rows), L"a\tb,c\r\n\u03BC\"q\"\tx y  z\r\n");
    EXPECT_EQ(CsvUtf8(rows), "\xEF\xBB\xBF" "a,\"b,c\"\r\n\"\xCE\xBC\"\"q\"\"\",\"x\ty\r\nz\"\r\n");
}

}  // namespace
