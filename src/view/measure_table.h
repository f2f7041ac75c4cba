// The measurement table that leaves the program: one row per drawn shape with its kind, its
// place in the list, each measure it has (in the applied unit, or in pixels without a
// calibration), the angle in degrees and the text of a text shape. The numbers are the texts
// the labels on the picture print. Tab-separated for the clipboard, CSV for files. Portable.
#pragma once

#include <string>
#include <vector>

#include "view/measure_model.h"

using TableRow = std::vector<std::wstring>;

// The heading row and one row per shape, in list order, but for shapes of no size (a click
// without a drag; the index keeps counting them). ppu <= 0 gives pixel measures and the
// unit "px"; yScale as for the labels (pixels of equal aspect on a stretched picture). A note
// beginning with =, +, -, @, a tab or a carriage return gets a leading apostrophe, so a
// spreadsheet keeps it as text.
std::vector<TableRow> MeasurementTable(const std::vector<MeasureShape>& shapes, float ppu, int unit,
                                       double yScale = 1.0);

// Cells joined by tabs, rows ended by CR LF; tabs and line breaks inside a cell become spaces.
std::wstring TabSeparated(const std::vector<TableRow>& rows);
// UTF-8 with a byte-order mark, cells joined by commas, rows ended by CR LF; a cell holding a
// comma, a quote or a line break is quoted, its quotes doubled.
std::string CsvUtf8(const std::vector<TableRow>& rows);

// UTF-8 of a wide text (UTF-16 where wchar_t has 16 bits); an unpaired surrogate becomes U+FFFD.
std::string Utf8(const std::wstring& text);
