// A camera's own settings: the key they are kept under (same port, serial numbers, two cameras
// of one model), the record's stored form, which records go beyond 32, and the writes that
// bring a camera to its record or back to its defaults.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "capture/camera_key.h"
#include "capture/camera_record.h"

namespace {

const std::wstring kClass = L"#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";

TEST(CameraKey, SamePortOrSameSerialKeepsTheKey) {
    struct Case { std::wstring display, path; const wchar_t* key; } cases[] = {
        // A serial number: the same key whatever the port.
        {L"@device:pnp:x", L"\\\\?\\usb#vid_1d6b&pid_0103#SN42" + kClass, L"usb#vid_1d6b&pid_0103#sn42"},
        {L"@device:pnp:y", L"\\\\?\\USB#VID_1D6B&PID_0103#sn42" + kClass, L"usb#vid_1d6b&pid_0103#sn42"},
        // No serial number: the instance the port gives, one per port.
        {L"", L"\\\\?\\usb#vid_046d&pid_0825&mi_00#6&2d6b4b8e&0&0000" + kClass, L"usb#vid_046d&pid_0825&mi_00#6&2d6b4b8e&0&0000"},
        {L"", L"\\\\?\\usb#vid_046d&pid_0825&mi_00#6&1a2b3c4d&0&0000" + kClass, L"usb#vid_046d&pid_0825&mi_00#6&1a2b3c4d&0&0000"},
        // Only the display name of a plug-and-play device.
        {L"@device:pnp:\\\\?\\usb#vid_0c45&pid_6366#5&abc&0&3" + kClass, L"", L"usb#vid_0c45&pid_6366#5&abc&0&3"},
        // A software camera: its instance name.
        {L"@device:sw:{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\Scope A", L"", L"sw#scope a"},
        {L"@device:sw:{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\", L"", L""},
        {L"", L"", L""},
        // An odd path is kept whole, with no backslash left in it.
        {L"", L"\\\\?\\root\\image\\0000", L"root#image#0000"},
    };
    for (const Case& c : cases) EXPECT_EQ(CameraKeyOf(c.display, c.path), c.key) << c.display << " | " << c.path;
    // A very long path is cut, and two that differ only at their end stay apart.
    const std::wstring a = CameraKeyOf(L"", L"usb#vid_1#" + std::wstring(300, L'a') + L"1#x");
    const std::wstring b = CameraKeyOf(L"", L"usb#vid_1#" + std::wstring(300, L'a') + L"2#x");
    EXPECT_EQ(a.size(), 200u);
    EXPECT_NE(a, b);
}

// The registry as a map.
class MapValues final : public RecordValues {
public:
    std::optional<int32_t> Number(const wchar_t* name) override {
        auto it = numbers.find(name);
        return it == numbers.end() ? std::nullopt : std::optional<int32_t>(it->second);
    }
    std::optional<std::wstring> Text(const wchar_t* name) override {
        auto it = texts.find(name);
        return it == texts.end() ? std::nullopt : std::optional<std::wstring>(it->second);
    }
    void SetNumber(const wchar_t* name, int32_t v) override { numbers[name] = v; }
    void SetText(const wchar_t* name, const std::wstring& v) override { texts[name] = v; }
    void Remove(const wchar_t* name) override { numbers.erase(name), texts.erase(name); }
    std::map<std::wstring, int32_t> numbers;
    std::map<std::wstring, std::wstring> texts;
};

TEST(CameraRecord, StoredFormRoundTripsAndChecksWhatItReads) {
    CameraRecord r;
    r.name = L"Scope";
    r.hasFormat = true;
    r.format = {kSubtypeYuy2, 1280, 960, 1};
    r.properties[kPropExposure] = {true, -5, false};
    r.properties[kPropWhiteBalance] = {true, 4600, true};
    r.flipVertical = true;
    r.calibrationSlot = 3;
    r.calibrationName = L"10x";
    r.balance = {5851, 4819, 4096};
    r.lastUsed = 7;
    MapValues store;
    store.SetNumber(L"Gain", 9);  // a property the user no longer has changed
    WriteCameraRecord(r, store);
    EXPECT_FALSE(store.Number(L"Gain"));
    CameraRecord back = ReadCameraRecord(store);
    MapValues again;
    WriteCameraRecord(back, again);
    EXPECT_EQ(again.numbers, store.numbers);  // every field came back
    EXPECT_EQ(again.texts, store.texts);

    // What cannot be right is not taken.
    store.SetNumber(L"width", 0);
    store.SetNumber(L"CalibrationSlot", 10);
    store.SetNumber(L"BalanceBlue", 1 << 20);
    back = ReadCameraRecord(store);
    EXPECT_FALSE(back.hasFormat);
    EXPECT_EQ(back.calibrationSlot, -1);
    EXPECT_EQ(back.balance.blue, kMaxGain);
}

TEST(CameraRecord, LongestUnusedGoFirstBeyondThirtyTwo) {
    std::vector<RecordStamp> stamps;
    for (uint32_t i = 0; i < 34; ++i) stamps.push_back({L"cam" + std::to_wstring(i), (i * 7) % 34 + 1});
    EXPECT_EQ(NextStamp(stamps), 35u);
    // Stamps 1 and 2 belong to cam0 and cam5.
    EXPECT_EQ(RecordsToForget(stamps), (std::vector<std::wstring>{L"cam0", L"cam5"}));
    stamps.resize(32);
    EXPECT_TRUE(RecordsToForget(stamps).empty());
    EXPECT_EQ(NextStamp({}), 1u);
}

TEST(CameraRecord, WritesForTheRecordAndForTheDefaults) {
    CameraProperty camera[kCameraPropertyCount] = {};
    camera[kPropExposure] = {-11, -2, 1, -6, 3, -6, 1, 1};
    camera[kPropBrightness] = {-64, 64, 1, 0, 2, 0, 0, 0};
    camera[kPropPowerLine] = {0, 2, 1, 1, 2, 1, 0, 0};
    CameraRecord r;
    r.properties[kPropExposure] = {true, -4, false};
    r.properties[kPropBrightness] = {true, 20, true};  // no automatic mode here: the value, manual
    r.properties[kPropGain] = {true, 5, false};        // not offered by this camera
    r.properties[kPropPowerLine] = {true, 2, false};
    EXPECT_EQ(WritesForRecord(r, camera),
              (std::vector<PropertyWrite>{{kPropExposure, -4, false}, {kPropBrightness, 20, false}, {kPropPowerLine, 2, false}}));
    EXPECT_EQ(WritesForDefaults(camera),
              (std::vector<PropertyWrite>{{kPropExposure, -6, true}, {kPropBrightness, 0, false}, {kPropPowerLine, 1, false}}));
}

}  // namespace
