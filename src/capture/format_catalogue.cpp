// Format catalogue rules (see format_catalogue.h).
#include "capture/format_catalogue.h"

#include <climits>
#include <iterator>

CameraFormat requestedFormat = {kSubtypeMjpg, 640, 480, 0};

bool PassesNameFilter(const std::wstring& name) {
    return !name.empty() && name.find(L"Integrated") == std::wstring::npos &&
           name.find(L"Microsoft") == std::wstring::npos;
}

void InsertFormat(FormatMap& map, const CameraFormat& format) {
    int64_t key = int64_t(format.width) * format.height;
    if (key < 0 || key > INT32_MAX) return;  // no real camera; never let the key wrap
    map.emplace(int32_t(key), format);
}

bool AddCapability(FormatCatalogue& catalogue, uint32_t subtype, int32_t width, int32_t height) {
    if (subtype != kSubtypeMjpg && subtype != kSubtypeYuy2) return false;
    // Compared signed: a negative size would pass an unsigned comparison, and two of them make a
    // positive pixel count that can take the key of a real format.
    if (width < 640 || height < 480) return false;
    FormatMap& map = subtype == kSubtypeMjpg ? catalogue.mjpgFormats : catalogue.yuy2Formats;
    size_t before = map.size();
    InsertFormat(map, CameraFormat{subtype, width, height, 0});
    return map.size() != before;
}

namespace {

void AddSynthetic(FormatMap& map) {
    if (map.empty()) return;
    const CameraFormat& first = map.begin()->second;
    if (first.width != 640 || first.height != 480) return;
    uint32_t subtype = first.subtype;
    InsertFormat(map, CameraFormat{subtype, 1280, 960, 1});
    InsertFormat(map, CameraFormat{subtype, 1920, 1080, 1});
}

const FormatMap& PreferredMap(const FormatCatalogue& c) {
    return c.mjpgFormats.empty() ? c.yuy2Formats : c.mjpgFormats;
}

}  // namespace

void AddSyntheticSizes(FormatCatalogue& catalogue) {
    AddSynthetic(catalogue.mjpgFormats);
    AddSynthetic(catalogue.yuy2Formats);
}

bool ChooseDefaultFormat(const FormatCatalogue& catalogue, CameraFormat& requested) {
    const FormatMap& map = PreferredMap(catalogue);
    if (map.empty()) return false;
    // A real 1280 x 720 beats a synthetic 1920 x 1080: a camera that streams HD itself must not
    // be driven at 640 x 480 and scaled up.
    auto it = map.find(1920 * 1080);
    auto hd = map.find(1280 * 720);
    if (it == map.end() || (it->second.interpolated == 1 && hd != map.end())) it = hd;
    if (it == map.end()) it = map.find(640 * 480);
    if (it == map.end()) {
        it = map.begin();
        std::advance(it, map.size() / 2);
    }
    requested = it->second;
    if (requested.interpolated == 1) {
        requested.width = 640;
        requested.height = 480;
    }
    return true;
}

void MatchRequestedFormat(const FormatCatalogue& catalogue, CameraFormat& requested) {
    // A stored interpolated pick may carry the size the camera runs at (the default choice
    // stores 640 x 480 with the flag set): an interpolated entry that runs at that size is the
    // same format. The entry with the stored flag wins over one that only has the size, so a
    // restart does not turn an interpolated format into the real 640 x 480 one.
    const CameraFormat* sameSize = nullptr;
    for (const auto& entry : PreferredMap(catalogue)) {
        const CameraFormat& f = entry.second;
        CameraFormat run = CameraRunFormat(f);
        bool exact = f.width == requested.width && f.height == requested.height;
        bool runsAt = f.interpolated == 1 && run.width == requested.width && run.height == requested.height;
        if (f.interpolated == requested.interpolated && (exact || runsAt)) {
            if (exact) {
                requested = f;
            } else {
                requested.subtype = f.subtype;  // the stored size and flag stand
            }
            return;
        }
        if (exact && !sameSize) sameSize = &f;
    }
    if (sameSize) {
        requested = *sameSize;
        return;
    }
    requested.width = 0;
    requested.height = 0;
}

CameraFormat CameraRunFormat(const CameraFormat& requested) {
    CameraFormat run = requested;
    if (run.interpolated == 1) {
        run.width = 640;
        run.height = 480;
    }
    return run;
}
