// The measurement table that leaves the program, in the form of an analysis program's results
// table so the figures paste beside its own: a row-number column " ", then the columns it names
// the same way where they mean the same (Label, Area, X, Y, Perim., Width, Height, Angle,
// Length), the unit and the calibration's name, then this program's own columns (Kind,
// Distance, Radius, R1, R2, Text). One row per measured shape; the numbers are the texts the
// labels on the picture print. Tab-separated for the clipboard, CSV for files. Portable.
#pragma once

#include <string>
#include <vector>

#include "view/measure_model.h"

using TableRow = std::vector<std::wstring>;

// The heading row and one row per shape, in list order, but for shapes of no size (a click
// without a drag); rows are numbered from 1 and labelled by kind and number ("Line 1"). ppu <= 0
// gives pixel measures and the unit "px", else the unit "mm" or "µm" (U+00B5; areas in its
// square, angles always in degrees) and calibration the name of the calibration. yScale as for
// the labels (pixels of equal aspect on a stretched picture). X and Y: the centre of a line,
// rectangle or circle, from the picture's top-left corner, y downwards. A note beginning with =,
// +, -, @, a tab or a carriage return gets a leading apostrophe, so a spreadsheet keeps it as
// text. Numbers always have a decimal point (the program leaves the C locale as it is).
std::vector<TableRow> MeasurementTable(const std::vector<MeasureShape>& shapes, float ppu, int unit,
                                       double yScale = 1.0, const std::wstring& calibration = L"");

// Cells joined by tabs, rows ended by CR LF; tabs and line breaks inside a cell become spaces.
std::wstring TabSeparated(const std::vector<TableRow>& rows);
// UTF-8 with a byte-order mark, cells joined by commas, rows ended by CR LF; a cell holding a
// comma, a quote or a line break is quoted, its quotes doubled.
std::string CsvUtf8(const std::vector<TableRow>& rows);

// UTF-8 of a wide text (UTF-16 where wchar_t has 16 bits); an unpaired surrogate becomes U+FFFD.
std::string Utf8(const std::wstring& text);
