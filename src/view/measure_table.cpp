// Rows of the measurement table and their two text forms.
#include "view/measure_table.h"

#include <string_view>

#include "view/measure_figures.h"
#include "view/overlay.h"

namespace {

// Measure columns in table order (after kind and index, before the text).
constexpr Figure kColumns[] = {Figure::Length, Figure::Distance, Figure::Width,  Figure::Height,
                               Figure::Radius, Figure::R1,       Figure::R2,     Figure::Circumference,
                               Figure::Area,   Figure::Angle};

std::wstring ColumnHeading(Figure f, const std::wstring& unit) {
    switch (f) {
    case Figure::Length: return L"Length (" + unit + L")";
    case Figure::Distance: return L"Distance (" + unit + L")";
    case Figure::Width: return L"Width (" + unit + L")";
    case Figure::Height: return L"Height (" + unit + L")";
    case Figure::Radius: return L"Radius (" + unit + L")";
    case Figure::R1: return L"R1 (" + unit + L")";
    case Figure::R2: return L"R2 (" + unit + L")";
    case Figure::Circumference: return L"Circumference (" + unit + L")";
    case Figure::Area: return L"Area (" + unit + L"\u00B2)";
    case Figure::Angle: return L"Angle (\u00B0)";
    }
    return {};
}

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
                                       double yScale) {
    const bool calibrated = ppu > 0.0f;
    const std::wstring unitText = calibrated ? UnitText(unit) : L"px";
    std::vector<TableRow> rows;
    TableRow heading = {L"Kind", L"Index"};
    for (Figure f : kColumns) heading.push_back(ColumnHeading(f, unitText));
    heading.push_back(L"Text");
    rows.push_back(heading);
    for (size_t i = 0; i < shapes.size(); ++i) {
        const MeasureShape& s = shapes[i];
        if (!HasSize(s)) continue;
        const ShapeFigures figures = FiguresOf(s, s.kind, calibrated ? ppu : 1.0f, yScale);
        TableRow row = {KindName(s.kind), std::to_wstring(i + 1)};
        for (Figure f : kColumns) {
            const FigureText* t = figures.Find(f);
            row.push_back(t ? t->number : std::wstring());
        }
        row.push_back(s.kind == kToolText ? TextCell(s.text) : std::wstring());
        rows.push_back(row);
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
