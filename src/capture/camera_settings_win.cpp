// The cameras' own settings in the registry, and the open camera's record: applied when its
// session runs, kept up to date as the user changes it, forgotten on "Reset camera".
#include "capture/camera_settings_win.h"

#include <windows.h>

#include <vector>

#include "capture/camera_key.h"
#include "capture/camera_properties_win.h"
#include "capture/device_list_win.h"
#include "frame/capture_state_win.h"

namespace {

// The open camera: its key and record (UI thread). An empty key: no record is open.
struct OpenRecord {
    std::wstring key;
    CameraRecord record;
};
OpenRecord gOpen;

// One record's values under its key.
class RegistryValues final : public RecordValues {
public:
    explicit RegistryValues(HKEY key) : key_(key) {}
    std::optional<int32_t> Number(const wchar_t* name) override {
        DWORD value = 0, size = sizeof(value), type = 0;
        if (RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
            type != REG_DWORD || size != sizeof(value))
            return std::nullopt;
        return int32_t(value);
    }
    std::optional<std::wstring> Text(const wchar_t* name) override {
        wchar_t buf[512];
        DWORD size = sizeof(buf) - sizeof(wchar_t), type = 0;
        if (RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS ||
            type != REG_SZ)
            return std::nullopt;
        buf[size / sizeof(wchar_t)] = 0;  // stored texts need not end in a zero
        return std::wstring(buf);
    }
    void SetNumber(const wchar_t* name, int32_t value) override {
        DWORD v = DWORD(value);
        Check(RegSetValueExW(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof(v)));
    }
    void SetText(const wchar_t* name, const std::wstring& value) override {
        Check(RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             DWORD((value.size() + 1) * sizeof(wchar_t))));
    }
    void Remove(const wchar_t* name) override { RegDeleteValueW(key_, name); }
    bool ok = true;

private:
    void Check(LSTATUS status) { ok = ok && status == ERROR_SUCCESS; }
    HKEY key_;
};

std::wstring RecordPath(const std::wstring& key) { return std::wstring(kCamerasKey) + L"\\" + key; }

std::optional<CameraRecord> LoadRecord(const std::wstring& key) {
    if (key.empty()) return std::nullopt;
    HKEY hkey;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RecordPath(key).c_str(), 0, KEY_READ, &hkey) != ERROR_SUCCESS)
        return std::nullopt;
    RegistryValues values(hkey);
    CameraRecord record = ReadCameraRecord(values);
    RegCloseKey(hkey);
    return record;
}

bool StoreRecord(const std::wstring& key, const CameraRecord& record) {
    HKEY hkey;
    if (key.empty() || RegCreateKeyExW(HKEY_CURRENT_USER, RecordPath(key).c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                                       nullptr, &hkey, nullptr) != ERROR_SUCCESS) {
        OutputDebugStringW(L"Camera settings could not be stored.\r\n");
        return false;
    }
    RegistryValues values(hkey);
    WriteCameraRecord(record, values);
    RegCloseKey(hkey);
    if (!values.ok) OutputDebugStringW(L"Camera settings were stored in part only.\r\n");
    return values.ok;
}

void RemoveRecord(const std::wstring& key) {
    if (!key.empty()) RegDeleteTreeW(HKEY_CURRENT_USER, RecordPath(key).c_str());
}

// Every stored record's key and stamp.
std::vector<RecordStamp> StoredStamps() {
    std::vector<RecordStamp> stamps;
    HKEY cameras;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kCamerasKey, 0, KEY_READ, &cameras) != ERROR_SUCCESS) return stamps;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(cameras, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        RecordStamp stamp{std::wstring(name, length), 0};
        HKEY hkey;
        if (RegOpenKeyExW(cameras, stamp.key.c_str(), 0, KEY_READ, &hkey) == ERROR_SUCCESS) {
            stamp.lastUsed = uint32_t(RegistryValues(hkey).Number(L"LastUsed").value_or(0));
            RegCloseKey(hkey);
        }
        stamps.push_back(stamp);
    }
    RegCloseKey(cameras);
    return stamps;
}

// Keeps the open camera's record, stamped as the most recently used, and drops the longest
// unused ones beyond 32.
void StoreOpenRecordAsNewest() {
    std::vector<RecordStamp> stamps = StoredStamps();
    gOpen.record.lastUsed = NextStamp(stamps);
    if (!StoreRecord(gOpen.key, gOpen.record)) return;
    bool listed = false;
    for (RecordStamp& s : stamps)
        if (s.key == gOpen.key) s.lastUsed = gOpen.record.lastUsed, listed = true;
    if (!listed) stamps.push_back({gOpen.key, gOpen.record.lastUsed});
    for (const std::wstring& key : RecordsToForget(stamps)) RemoveRecord(key);
}

void StoreOpenRecord() {
    if (!gOpen.key.empty()) StoreRecord(gOpen.key, gOpen.record);
}

}  // namespace

std::wstring CameraKeyOfDevice(const CameraDevice& device) {
    return CameraKeyOf(device.devicePath, device.interfacePath);
}

std::optional<CameraFormat> StoredFormatOf(const CameraDevice& device) {
    std::optional<CameraRecord> record = LoadRecord(CameraKeyOfDevice(device));
    if (!record || !record->hasFormat) return std::nullopt;
    return record->format;
}

void LoadCameraRecord(int deviceIndex) {
    gOpen = OpenRecord{};
    if (deviceIndex < 0 || deviceIndex >= int(DeviceList.size())) return;
    const CameraDevice& device = DeviceList[deviceIndex];
    gOpen.key = CameraKeyOfDevice(device);
    if (gOpen.key.empty()) return;
    gOpen.record = LoadRecord(gOpen.key).value_or(CameraRecord{});
    gOpen.record.name = device.friendlyName;
    CaptureState.flipHorizontal = gOpen.record.flipHorizontal ? 1 : 0;
    CaptureState.flipVertical = gOpen.record.flipVertical ? 1 : 0;
    CaptureState.channelGains = PackGains(gOpen.record.balance);
}

void ApplyCameraRecord() {
    if (gOpen.key.empty()) return;
    CameraRecord& r = gOpen.record;
    for (const PropertyWrite& w : WritesForRecord(r, CaptureState.properties)) WriteProperty(w);
    r.hasFormat = true;
    r.format = requestedFormat;  // what runs: the session took the connected format into it
    StoreOpenRecordAsNewest();
}

void EndCameraRecord() { gOpen = OpenRecord{}; }

const CameraRecord* OpenCameraRecord() { return gOpen.key.empty() ? nullptr : &gOpen.record; }

void RememberProperty(CameraPropertyIndex property) {
    if (gOpen.key.empty() || property < 0 || property >= kCameraPropertyCount) return;
    const CameraProperty& now = CaptureState.properties[property];
    gOpen.record.properties[property] = StoredProperty{true, now.value, now.autoNow != 0};
    StoreOpenRecord();
}

void RememberFlips() {
    if (gOpen.key.empty()) return;
    gOpen.record.flipHorizontal = CaptureState.flipHorizontal != 0;
    gOpen.record.flipVertical = CaptureState.flipVertical != 0;
    StoreOpenRecord();
}

void RememberCalibration(int slot, const std::wstring& name) {
    if (gOpen.key.empty()) return;
    gOpen.record.calibrationSlot = slot;
    gOpen.record.calibrationName = slot >= 0 ? name : L"";
    StoreOpenRecord();
}

void RememberBalance(const ChannelGains& gains) {
    CaptureState.channelGains = PackGains(gains);
    if (gOpen.key.empty()) return;
    gOpen.record.balance = gains;
    StoreOpenRecord();
}

void ResetOpenCamera() {
    for (const PropertyWrite& w : WritesForDefaults(CaptureState.properties)) WriteProperty(w);
    CaptureState.flipHorizontal = 0;
    CaptureState.flipVertical = 0;
    CaptureState.channelGains = PackGains(ChannelGains{});
    if (gOpen.key.empty()) return;
    RemoveRecord(gOpen.key);
    CameraRecord fresh;
    fresh.name = gOpen.record.name;
    fresh.hasFormat = gOpen.record.hasFormat;
    fresh.format = gOpen.record.format;
    fresh.lastUsed = gOpen.record.lastUsed;
    gOpen.record = fresh;
}
