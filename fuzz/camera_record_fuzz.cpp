// Fuzzes what the program takes from a camera's driver and from its own store about a camera:
// the record of a camera's settings read from any values the store may hold, the key made from
// any device names, and the format chosen from any list of stream capabilities. A record read
// from anything keeps its fields in range and writes back to itself; a key is a usable store
// key; the format a camera is opened with is one it offers.
//
// Input: a byte per record value (0 missing, 1 a number from the next 4 bytes, 2 a text of a
// byte's length in UTF-16LE units, 3 both), then the two device names (a byte's length each),
// then capabilities of 6 bytes (subtype choice, width and height as 16-bit little-endian,
// VideoInfo2 flag), with the stored format's request taken from the record.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "capture/camera_key.h"
#include "capture/camera_record.h"
#include "capture/capability_pick.h"
#include "capture/format_catalogue.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

struct StoredValue {
    std::optional<int32_t> number;
    std::optional<std::wstring> text;
};

class MapValues : public RecordValues {
public:
    std::map<std::wstring, StoredValue> values;
    std::optional<int32_t> Number(const wchar_t* name) override {
        auto it = values.find(name);
        return it == values.end() ? std::nullopt : it->second.number;
    }
    std::optional<std::wstring> Text(const wchar_t* name) override {
        auto it = values.find(name);
        return it == values.end() ? std::nullopt : it->second.text;
    }
    void SetNumber(const wchar_t* name, int32_t value) override { values[name] = {value, std::nullopt}; }
    void SetText(const wchar_t* name, const std::wstring& value) override { values[name] = {std::nullopt, value}; }
    void Remove(const wchar_t* name) override { values.erase(name); }
};

struct Input {
    const uint8_t* data;
    size_t size, at = 0;
    uint8_t Byte() { return at < size ? data[at++] : 0; }
    int32_t Number() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= uint32_t(Byte()) << (8 * i);
        return int32_t(v);
    }
    std::wstring Text() {
        std::wstring t;
        for (size_t n = Byte(); n > 0 && at < size; --n) t += wchar_t(Byte() | Byte() << 8);
        return t;
    }
};

bool SameRecord(const CameraRecord& a, const CameraRecord& b) {
    if (a.name != b.name || a.hasFormat != b.hasFormat || a.flipHorizontal != b.flipHorizontal ||
        a.flipVertical != b.flipVertical || a.calibrationSlot != b.calibrationSlot ||
        a.calibrationName != b.calibrationName || a.balance.blue != b.balance.blue ||
        a.balance.green != b.balance.green || a.balance.red != b.balance.red || a.lastUsed != b.lastUsed)
        return false;
    if (a.hasFormat && !(a.format == b.format)) return false;
    for (int i = 0; i < kCameraPropertyCount; ++i) {
        const StoredProperty &p = a.properties[i], &q = b.properties[i];
        if (p.set != q.set || (p.set && (p.value != q.value || p.autoMode != q.autoMode))) return false;
    }
    return true;
}

// The camera is offered a format of this subtype that runs at this size.
bool Offers(const FormatCatalogue& c, const CameraFormat& f) {
    const FormatMap& map = c.mjpgFormats.empty() ? c.yuy2Formats : c.mjpgFormats;
    const CameraFormat run = CameraRunFormat(f);
    for (const auto& entry : map) {
        const CameraFormat e = CameraRunFormat(entry.second);
        if (e.subtype == run.subtype && e.width == run.width && e.height == run.height && entry.second.interpolated == 0)
            return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    static const std::vector<std::wstring> names = [] {
        std::vector<std::wstring> n = {L"Name", L"LastUsed", L"width", L"height", L"mjpg", L"interpolated",
                                       L"FlipHorizontal", L"FlipVertical", L"CalibrationSlot", L"Calibration",
                                       L"BalanceBlue", L"BalanceGreen", L"BalanceRed"};
        for (int i = 0; i < kCameraPropertyCount; ++i) {
            n.push_back(PropertyValueName(CameraPropertyIndex(i)));
            n.push_back(n.back() + L"Auto");
        }
        return n;
    }();
    MapValues stored;
    for (const std::wstring& name : names) {
        const uint8_t kind = in.Byte() & 3;
        if (kind == 0) continue;
        StoredValue& v = stored.values[name];
        if (kind & 1) v.number = in.Number();
        if (kind & 2) v.text = in.Text();
    }
    const CameraRecord record = ReadCameraRecord(stored);
    if (record.hasFormat)
        Check(record.format.width >= 1 && record.format.width <= 16384 && record.format.height >= 1 &&
              record.format.height <= 16384 && (record.format.subtype == kSubtypeMjpg || record.format.subtype == kSubtypeYuy2) &&
              (record.format.interpolated == 0 || record.format.interpolated == 1));
    Check(record.calibrationSlot >= -1 && record.calibrationSlot < 10);
    Check(record.calibrationSlot >= 0 || record.calibrationName.empty());
    for (uint16_t g : {record.balance.blue, record.balance.green, record.balance.red}) Check(g >= kMinGain && g <= kMaxGain);
    // Written and read again: the same record.
    MapValues again;
    WriteCameraRecord(record, again);
    Check(SameRecord(ReadCameraRecord(again), record));
    // Writing over the values it was read from gives the same too (stale values are removed).
    WriteCameraRecord(record, stored);
    Check(SameRecord(ReadCameraRecord(stored), record));

    // The camera's properties as a driver reports them, from what is left of the input.
    CameraProperty camera[kCameraPropertyCount];
    for (CameraProperty& p : camera) {
        const uint8_t b = in.Byte();
        p.minimum = (b & 1) ? -int32_t(b) : 0;
        p.maximum = (b & 2) ? int32_t(b) * 3 : p.minimum;
        p.autoCapable = (b >> 2) & 1;
        p.defaultValue = int32_t(b) - 7;
    }
    for (const PropertyWrite& w : WritesForRecord(record, camera)) {
        Check(record.properties[w.property].set && CameraOffers(camera[w.property]));
        Check(!w.autoMode || camera[w.property].autoCapable);
    }
    for (const PropertyWrite& w : WritesForDefaults(camera)) Check(CameraOffers(camera[w.property]));

    // The key of a camera from any names the system gives.
    const std::wstring display = in.Text(), path = in.Text();
    const std::wstring key = CameraKeyOf(display, path);
    Check(key.size() <= 200);
    for (wchar_t c : key) Check(c != L'\\' && c >= 0x20);
    std::wstring upperDisplay = display, upperPath = path;
    for (std::wstring* t : {&upperDisplay, &upperPath})
        for (wchar_t& c : *t)
            if (c >= L'a' && c <= L'z') c = wchar_t(c - L'a' + L'A');
    Check(CameraKeyOf(upperDisplay, upperPath) == key);  // the system's names differ only in case between listings

    // The format catalogue from any capabilities, and the format chosen from it.
    FormatCatalogue catalogue;
    std::vector<CapabilityInfo> caps;
    while (in.at + 6 <= in.size) {
        const uint8_t kind = in.Byte();
        const uint32_t subtype = kind % 3 == 0 ? kSubtypeMjpg : kind % 3 == 1 ? kSubtypeYuy2 : 0x34363248u;  // 'H264'
        const int32_t width = int16_t(in.Byte() | in.Byte() << 8), height = int16_t(in.Byte() | in.Byte() << 8);
        caps.push_back({int(caps.size()), subtype, width, height, (in.Byte() & 1) != 0});
        AddCapability(catalogue, subtype, width, height);
    }
    for (const auto* map : {&catalogue.mjpgFormats, &catalogue.yuy2Formats})
        for (const auto& entry : *map) {
            Check(entry.first == entry.second.width * entry.second.height);
            Check(entry.second.width >= 640 && entry.second.height >= 480);
        }
    AddSyntheticSizes(catalogue);
    CameraFormat chosen;
    if (ChooseDefaultFormat(catalogue, chosen)) Check(Offers(catalogue, chosen));
    else Check(catalogue.Empty());
    if (record.hasFormat) {
        CameraFormat requested = record.format;
        MatchRequestedFormat(catalogue, requested);
        Check((requested.width == 0 && requested.height == 0) || Offers(catalogue, requested));
        const CameraFormat run = CameraRunFormat(requested);
        const int pick = PickCapability(caps, run.subtype, run.width, run.height);
        // A format the catalogue offers came from one of the capabilities.
        Check(pick >= (requested.width == 0 ? -1 : 0) && pick < int(caps.size()));
        if (pick >= 0)
            Check(caps[size_t(pick)].subtype == run.subtype && caps[size_t(pick)].width == run.width &&
                  caps[size_t(pick)].height == run.height);
    }
    return 0;
}
