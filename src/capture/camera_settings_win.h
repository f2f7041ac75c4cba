// Every camera's own settings, kept under HKCU\Software\Vardelo\Cameras\<key> (camera_key.h):
// the open camera's record is loaded when its session starts, applied once its format runs,
// and written whenever the user changes something it holds. At most 32 records are kept, the
// longest unused dropped first. User-interface thread only.
#pragma once
#include <optional>
#include <string>

#include "capture/camera_record.h"
#include "frame/channel_gains.h"

struct CameraDevice;

constexpr wchar_t kCamerasKey[] = L"Software\\Vardelo\\Cameras";

std::wstring CameraKeyOfDevice(const CameraDevice& device);
// A listed camera's stored format, when its record has one.
std::optional<CameraFormat> StoredFormatOf(const CameraDevice& device);

// The capture session, before the graph of the listed camera at deviceIndex runs: loads that
// camera's record and puts its flips and white balance on the frame pipeline, so the first
// frame already has them.
void LoadCameraRecord(int deviceIndex);
// Once the graph runs (its format is set): writes the record's properties (a property the
// camera refuses keeps the camera's value) and stores the record with the running format as the
// most recently used one.
void ApplyCameraRecord();
// The session closes: no record is open.
void EndCameraRecord();
// The open camera's record, null while none is open.
const CameraRecord* OpenCameraRecord();

// The user changed something of the open camera: it is kept in its record.
void RememberProperty(CameraPropertyIndex property);  // value and mode as the camera has them now
void RememberFlips();                                  // the pipeline's flip flags
void RememberCalibration(int slot, const std::wstring& name);  // slot -1: none applied
// Sets the software white balance on the pipeline and keeps it.
void RememberBalance(const ChannelGains& gains);

// "Reset camera": the open camera's properties back to their defaults, its flips and software
// white balance off, and its record forgotten (the store's key removed; the running format
// alone stays in memory, so the next change starts a fresh record).
void ResetOpenCamera();
