// Rows of the measurement table and their two text forms.
#include "view/measure_table.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "view/measure_figures.h"

namespace {

const wchar_t* KindName(int32_t kind) {
    switch (kind) {
    case kToolLine: return L"Line";
    case kToolParallel: return L"Parallel";
    case kToolRectangle: return L"Rectangle";
    case kToolCircle: return L"Circle";
    case kToolConcentric: return L"Concentric circles";
    case kToolAngle: return L"Angle";
    case kToolPencil: return L"Pencil";
    case kToolText: return L"Text";
    default: return L"";
    }
}

std::wstring Decimal(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.5f", v);
    return std::wstring(text, text + std::strlen(text));
}

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

}  // namespace

// A note typed on the picture, as a cell: one that a spreadsheet would take for a formula
// (=, +, -, @ first; or a tab or carriage return, which a spreadsheet may skip to find a formula
// after it) is kept as text by a leading apostrophe, so opening the table runs nothing.
static std::wstring TextCell(const wchar_t* text) {
    std::wstring cell(text);
    if (!cell.empty() && std::wstring_view(L"=+-@\t\r").find(cell[0]) != std::wstring_view::npos) cell.insert(0, 1, L'\'');
    return cell;
}

// A click without a drag commits a shape whose points coincide (a zero line or circle, an angle
// without an arm, a one-point stroke); the view keeps it, the table has nothing to say of it.
// A text shape is its note, whatever its points.
static bool HasSize(const MeasureShape& s) {
    if (s.kind == kToolText) return true;
    if (s.kind == kToolPencil) {
        for (const ShapePoint& p : s.points)
            if (!(p == s.points.front())) return true;
        return false;
    }
    return !(s.p1 == s.p2);
}

std::vector<TableRow> MeasurementTable(const std::vector<MeasureShape>& shapes, float ppu, int unit,
                                       double yScale, const std::wstring& calibration) {
    const bool calibrated = ppu > 0.0f;
    const std::wstring unitText = !calibrated ? L"px" : unit == 0 ? L"mm" : L"\u00B5m";
    const double perUnit = calibrated ? ppu : 1.0;
    std::vector<TableRow> rows = {{L" ", L"Label", L"Area", L"X", L"Y", L"Perim.", L"Width", L"Height", L"Angle",
                                   L"Length", L"Unit", L"Calibration", L"Kind", L"Distance", L"Radius", L"R1", L"R2",
                                   L"Text"}};
    for (const MeasureShape& s : shapes) {
        if (!HasSize(s)) continue;
        const ShapeFigures figures = FiguresOf(s, s.kind, float(perUnit), yScale);
        auto figure = [&](Figure f) {
            const FigureText* t = figures.Find(f);
            return t ? t->number : std::wstring();
        };
        // The centre in image pixels, where the shape has one.
        const bool centred = s.kind == kToolLine || s.kind == kToolRectangle || s.kind == kToolCircle ||
                             s.kind == kToolConcentric;
        const bool midpoint = s.kind == kToolLine || s.kind == kToolRectangle;
        const double cx = midpoint ? (s.p1.x + s.p2.x) / 2.0 : s.p1.x;
        const double cy = midpoint ? (s.p1.y + s.p2.y) / 2.0 : s.p1.y;
        const std::wstring number = std::to_wstring(rows.size());
        rows.push_back({number,
                        KindName(s.kind) + (L" " + number),
                        figure(Figure::Area),
                        centred ? Decimal(cx / perUnit) : std::wstring(),
                        centred ? Decimal(cy * yScale / perUnit) : std::wstring(),
                        figure(Figure::Circumference),
                        figure(Figure::Width),
                        figure(Figure::Height),
                        figure(Figure::Angle),
                        figure(Figure::Length),
                        unitText,
                        calibrated ? calibration : std::wstring(),
                        KindName(s.kind),
                        figure(Figure::Distance),
                        figure(Figure::Radius),
                        figure(Figure::R1),
                        figure(Figure::R2),
                        s.kind == kToolText ? TextCell(s.text) : std::wstring()});
    }
    return rows;
}

std::wstring TabSeparated(const std::vector<TableRow>& rows) {
    std::wstring out;
    for (const TableRow& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i > 0) out += L'\t';
            for (wchar_t c : row[i]) out += c == L'\t' || c == L'\r' || c == L'\n' ? L' ' : c;
        }
        out += L"\r\n";
    }
    return out;
}

std::string CsvUtf8(const std::vector<TableRow>& rows) {
    std::wstring text;
    for (const TableRow& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i > 0) text += L',';
            const std::wstring& cell = row[i];
            if (cell.find_first_of(L",\"\r\n") == std::wstring::npos) {
                text += cell;
                continue;
            }
            text += L'"';
            for (wchar_t c : cell) {
                if (c == L'"') text += L'"';
                text += c;
            }
            text += L'"';
        }
        text += L"\r\n";
    }
    return "\xEF\xBB\xBF" + Utf8(text);
}

std::string Utf8(const std::wstring& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDFFF) {
            const uint32_t next = i + 1 < text.size() ? static_cast<uint32_t>(text[i + 1]) : 0;
            if (c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
                ++i;
            } else {
                c = 0xFFFD;
            }
        }
        AppendUtf8(out, c);
    }
    return out;
}
