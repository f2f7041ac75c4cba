// What the program keeps of each camera it has opened: the format it ran, the properties the
// user changed (value and automatic or manual), the flips, the calibration applied while it was
// open and the software white balance; and how such a record is read from and written to a set
// of named values, which records to drop once more than 32 are kept, and which property writes
// bring a camera to its record or back to its defaults. Portable; the registry side is
// camera_settings_win.cpp.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "capture/camera_format.h"
#include "capture/camera_property.h"
#include "frame/channel_gains.h"

constexpr size_t kMaxCameraRecords = 32;

struct StoredProperty {
    bool set = false;      // the user changed it
    int32_t value = 0;
    bool autoMode = false; // handed to the camera; value is then what it had
};

struct CameraRecord {
    std::wstring name;  // the friendly name, for a person reading the store
    bool hasFormat = false;
    CameraFormat format;
    StoredProperty properties[kCameraPropertyCount];
    bool flipHorizontal = false, flipVertical = false;
    int32_t calibrationSlot = -1;  // -1: none applied
    std::wstring calibrationName;  // the slot's name when it was applied
    ChannelGains balance;
    uint32_t lastUsed = 0;         // larger is more recent
};

// One record's named values in the store.
class RecordValues {
public:
    virtual ~RecordValues() = default;
    virtual std::optional<int32_t> Number(const wchar_t* name) = 0;
    virtual std::optional<std::wstring> Text(const wchar_t* name) = 0;
    virtual void SetNumber(const wchar_t* name, int32_t value) = 0;
    virtual void SetText(const wchar_t* name, const std::wstring& value) = 0;
    virtual void Remove(const wchar_t* name) = 0;
};

// Reads what is there; anything missing or out of range stays at its default (no format when a
// size is missing or not 1..16384, gains brought into their limits, a slot outside 0..9 none).
CameraRecord ReadCameraRecord(RecordValues& values);
// Writes every field; a property the user did not change has no values.
void WriteCameraRecord(const CameraRecord& record, RecordValues& values);
// The value name of a property (its automatic flag is the name followed by "Auto").
const wchar_t* PropertyValueName(CameraPropertyIndex property);

struct RecordStamp {
    std::wstring key;
    uint32_t lastUsed = 0;
};
// The keys to drop so that no more than keep records stay: the longest unused first.
std::vector<std::wstring> RecordsToForget(std::vector<RecordStamp> records, size_t keep = kMaxCameraRecords);

// The stamp that makes a record the most recent of these.
uint32_t NextStamp(const std::vector<RecordStamp>& records);

// One write to the camera: the value in manual mode, or automatic mode.
struct PropertyWrite {
    CameraPropertyIndex property;
    int32_t value;
    bool autoMode;
    bool operator==(const PropertyWrite& o) const {
        return property == o.property && value == o.value && autoMode == o.autoMode;
    }
};

// A property this camera offers: a range, or automatic mode.
bool CameraOffers(const CameraProperty& p);

// The writes that bring a camera (as its property records read at open say it is) to the
// record: every changed property it offers, in record order; automatic mode only where the
// camera has it (elsewhere the stored value in manual mode).
std::vector<PropertyWrite> WritesForRecord(const CameraRecord& record,
                                           const CameraProperty (&camera)[kCameraPropertyCount]);
// The writes of "Reset camera": every property the camera offers back to its default value,
// and to automatic mode where the camera has one.
std::vector<PropertyWrite> WritesForDefaults(const CameraProperty (&camera)[kCameraPropertyCount]);
