// What the source section of the panel and the open-microscope dialog show of a camera's
// format catalogue: the format names, the sizes of one format with the one to select, and the
// format a user's choice in those lists asks for. Pure rules on catalogue values.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "capture/format_catalogue.h"

// "MJPG" when the MJPG map has entries, then "YUY2" when the YUY2 map has.
std::vector<std::wstring> FormatNames(const FormatCatalogue& catalogue);

// "%dx%d" of every entry of map, in ascending key order.
std::vector<std::wstring> SizeNames(const FormatMap& map);

// The entry at index in ascending key order, or null when index is out of range.
const CameraFormat* FormatAt(const FormatMap& map, int index);

// Index of the entry of that size, or notFound when none has it.
int SizeIndex(const FormatMap& map, int width, int height, int notFound);

// ---- Source section ----

// The map of the running subtype: MJPG when it is MJPG, else YUY2.
const FormatMap& MapOfSubtype(const FormatCatalogue& catalogue, uint32_t subtype);
// The format row to select: 0 when running MJPG, else 1 when the MJPG map has entries, else 0.
int RunningFormatRow(const FormatCatalogue& catalogue, uint32_t runningSubtype);
// The subtype of a row of the format list: both maps filled, row 0 is MJPG and any other YUY2;
// only MJPG filled, MJPG; otherwise YUY2.
uint32_t SubtypeOfFormatRow(const FormatCatalogue& catalogue, int row);
// The format a size-list choice asks for, or nothing: the row is not in the catalogue of the
// running subtype (the list may be older than the catalogue), or it is the size shown now.
std::optional<CameraFormat> SizeChoice(const FormatCatalogue& catalogue, uint32_t runningSubtype, int row,
                                       int imageWidth, int imageHeight);

// ---- Open-microscope dialog ----

// The YUY2 map when the MJPG map is empty or the format row is not 0, else the MJPG map.
const FormatMap& DialogSizeMap(const FormatCatalogue& catalogue, int formatRow);
// The resolution row preselected for a format: its size's row, else the middle row (count / 2).
inline int DialogSizeRow(const FormatMap& map, int width, int height) {
    return SizeIndex(map, width, height, int(map.size() / 2));
}
