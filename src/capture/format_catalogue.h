// The format catalogue of a camera: its MJPG and YUY2 formats keyed by pixel count, the
// synthetic larger sizes of 640 x 480-only cameras, the default choice, and the name filter
// that keeps built-in laptop cameras out of the device list.
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "capture/camera_format.h"

// Ascending by key = width * height; an insert with an existing key is ignored.
using FormatMap = std::map<int32_t, CameraFormat>;

struct FormatCatalogue {
    FormatMap yuy2Formats;
    FormatMap mjpgFormats;
    bool Empty() const { return yuy2Formats.empty() && mjpgFormats.empty(); }
    void Clear() { yuy2Formats.clear(); mjpgFormats.clear(); }
};

// True for a camera that may be listed: a non-empty name without "Integrated" or "Microsoft"
// (case-sensitive).
bool PassesNameFilter(const std::wstring& friendlyName);

// Inserts unless the key is taken (the first format with a pixel count wins).
void InsertFormat(FormatMap& map, const CameraFormat& format);

// One stream capability of the camera: kept when MJPG or YUY2 and at least 640 x 480 (zero and
// negative sizes are dropped). Returns whether it was inserted.
bool AddCapability(FormatCatalogue& catalogue, uint32_t subtype, int32_t width, int32_t height);

// Adds 1280 x 960 and 1920 x 1080 (interpolated) to each map whose smallest entry is 640 x 480.
void AddSyntheticSizes(FormatCatalogue& catalogue);

// The default format: 1920 x 1080 (a synthetic one only when there is no real 1280 x 720),
// else 1280 x 720, else 640 x 480, else the middle entry, from
// the MJPG map when it has entries, else the YUY2 map. An interpolated pick runs at 640 x 480.
// Leaves requested unchanged and returns false when the catalogue is empty.
bool ChooseDefaultFormat(const FormatCatalogue& catalogue, CameraFormat& requested);

// What opening the last camera does with the requested format: the catalogue entry of the
// same size and interpolated flag (MJPG map when it has entries, else YUY2) replaces it, an
// interpolated entry counting as the size it runs at; failing that, the entry of the same size
// whatever its flag; without one, the size becomes 0 x 0 so that the default rule applies.
void MatchRequestedFormat(const FormatCatalogue& catalogue, CameraFormat& requested);

// The format put on the camera for a requested one: interpolated sizes run at 640 x 480.
CameraFormat CameraRunFormat(const CameraFormat& requested);
