// A camera's own settings and their stored form (see camera_record.h).
#include "capture/camera_record.h"

#include <algorithm>

namespace {

constexpr const wchar_t* kPropertyNames[kCameraPropertyCount] = {
    L"Exposure", L"WhiteBalance", L"Gain",  L"Brightness", L"Contrast", L"Hue",
    L"Saturation", L"Sharpness",  L"Gamma", L"Backlight",  L"PowerLine",
};

constexpr int32_t kMaxSide = 16384;
constexpr int32_t kCalibrationSlots = 10;

std::wstring AutoName(CameraPropertyIndex p) { return std::wstring(kPropertyNames[p]) + L"Auto"; }

}  // namespace

const wchar_t* PropertyValueName(CameraPropertyIndex property) { return kPropertyNames[property]; }

CameraRecord ReadCameraRecord(RecordValues& values) {
    CameraRecord r;
    r.name = values.Text(L"Name").value_or(L"");
    r.lastUsed = uint32_t(values.Number(L"LastUsed").value_or(0));
    const auto width = values.Number(L"width"), height = values.Number(L"height");
    if (width && height && *width >= 1 && *width <= kMaxSide && *height >= 1 && *height <= kMaxSide) {
        r.hasFormat = true;
        r.format.subtype = values.Number(L"mjpg").value_or(1) == 1 ? kSubtypeMjpg : kSubtypeYuy2;
        r.format.width = *width;
        r.format.height = *height;
        r.format.interpolated = values.Number(L"interpolated").value_or(0) == 1 ? 1 : 0;
    }
    for (int i = 0; i < kCameraPropertyCount; ++i) {
        const auto p = CameraPropertyIndex(i);
        const auto value = values.Number(kPropertyNames[i]);
        if (!value) continue;
        r.properties[i].set = true;
        r.properties[i].value = *value;
        r.properties[i].autoMode = values.Number(AutoName(p).c_str()).value_or(0) == 1;
    }
    r.flipHorizontal = values.Number(L"FlipHorizontal").value_or(0) == 1;
    r.flipVertical = values.Number(L"FlipVertical").value_or(0) == 1;
    const int32_t slot = values.Number(L"CalibrationSlot").value_or(-1);
    if (slot >= 0 && slot < kCalibrationSlots) {
        r.calibrationSlot = slot;
        r.calibrationName = values.Text(L"Calibration").value_or(L"");
    }
    r.balance.blue = ClampGain(values.Number(L"BalanceBlue").value_or(kUnityGain));
    r.balance.green = ClampGain(values.Number(L"BalanceGreen").value_or(kUnityGain));
    r.balance.red = ClampGain(values.Number(L"BalanceRed").value_or(kUnityGain));
    return r;
}

void WriteCameraRecord(const CameraRecord& r, RecordValues& values) {
    values.SetText(L"Name", r.name);
    values.SetNumber(L"LastUsed", int32_t(r.lastUsed));
    if (r.hasFormat) {
        values.SetNumber(L"mjpg", r.format.subtype == kSubtypeMjpg ? 1 : 0);
        values.SetNumber(L"width", r.format.width);
        values.SetNumber(L"height", r.format.height);
        values.SetNumber(L"interpolated", r.format.interpolated);
    } else {
        for (const wchar_t* name : {L"mjpg", L"width", L"height", L"interpolated"}) values.Remove(name);
    }
    for (int i = 0; i < kCameraPropertyCount; ++i) {
        const auto p = CameraPropertyIndex(i);
        const StoredProperty& s = r.properties[i];
        if (s.set) {
            values.SetNumber(kPropertyNames[i], s.value);
            values.SetNumber(AutoName(p).c_str(), s.autoMode ? 1 : 0);
        } else {
            values.Remove(kPropertyNames[i]);
            values.Remove(AutoName(p).c_str());
        }
    }
    values.SetNumber(L"FlipHorizontal", r.flipHorizontal ? 1 : 0);
    values.SetNumber(L"FlipVertical", r.flipVertical ? 1 : 0);
    values.SetNumber(L"CalibrationSlot", r.calibrationSlot);
    values.SetText(L"Calibration", r.calibrationSlot >= 0 ? r.calibrationName : L"");
    values.SetNumber(L"BalanceBlue", r.balance.blue);
    values.SetNumber(L"BalanceGreen", r.balance.green);
    values.SetNumber(L"BalanceRed", r.balance.red);
}

std::vector<std::wstring> RecordsToForget(std::vector<RecordStamp> records, size_t keep) {
    std::vector<std::wstring> forget;
    if (records.size() <= keep) return forget;
    std::stable_sort(records.begin(), records.end(),
                     [](const RecordStamp& a, const RecordStamp& b) { return a.lastUsed < b.lastUsed; });
    for (size_t i = 0; i < records.size() - keep; ++i) forget.push_back(records[i].key);
    return forget;
}

uint32_t NextStamp(const std::vector<RecordStamp>& records) {
    uint32_t newest = 0;
    for (const RecordStamp& r : records) newest = std::max(newest, r.lastUsed);
    return newest + 1;
}

bool CameraOffers(const CameraProperty& p) { return p.maximum > p.minimum || p.autoCapable; }

std::vector<PropertyWrite> WritesForRecord(const CameraRecord& record,
                                           const CameraProperty (&camera)[kCameraPropertyCount]) {
    std::vector<PropertyWrite> writes;
    for (int i = 0; i < kCameraPropertyCount; ++i) {
        const StoredProperty& s = record.properties[i];
        if (!s.set || !CameraOffers(camera[i])) continue;
        writes.push_back({CameraPropertyIndex(i), s.value, s.autoMode && camera[i].autoCapable != 0});
    }
    return writes;
}

std::vector<PropertyWrite> WritesForDefaults(const CameraProperty (&camera)[kCameraPropertyCount]) {
    std::vector<PropertyWrite> writes;
    for (int i = 0; i < kCameraPropertyCount; ++i) {
        if (!CameraOffers(camera[i])) continue;
        writes.push_back({CameraPropertyIndex(i), camera[i].defaultValue, camera[i].autoCapable != 0});
    }
    return writes;
}
