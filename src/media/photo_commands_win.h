// The main window's photo commands: the photo button and Space (TakePhoto), the camera's still
// button (SaveStill), the cover picture of a video (SaveVideoCover) and the open-folder command.
// User-interface thread only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "media/media_names.h"

// Path of the last photo or video saved; empty before the first. The open-folder command
// selects it.
extern std::wstring gSavePath;

// A free photo name in folder for the local time now (the next free millisecond when taken),
// ".jpg" or ".png" by the photo format setting; empty when no name is free.
std::wstring MakePhotoPath(const std::wstring& folder, const MediaTime& now);
MediaTime LocalMediaTime();

enum class PhotoSource { View, Still };
// Saves a photo named for now: the toast "File saved: <path>" (or, when the image folder could
// not be used, one saying the photo went to the default folder), the recent-files list, the
// settings and WMU_FILE_ADDED to the panel. A save that fails leaves no file and adds nothing,
// and the toast says the photo was not saved. Returns whether it was saved.
bool SavePhoto(PhotoSource source, const MediaTime& now);

// The same for a picture of the camera's frame size (a fused focus stack): saved as the still
// is, with the measurements drawn in (see SaveFramePicture). savedPath receives the photo's path.
bool SaveFramePhoto(const uint8_t* bgr, int width, int height, const MediaTime& now, std::wstring* savedPath);
struct PhotoPicture;
// Saves a picture made by something other than the view or the camera (a mosaic) like a photo
// named for now, with the given extension ("jpg", "png", "tif"): the same folder, toast, recent-
// files entry and settings as SavePhoto; note, when not empty, is the toast's text (with "%s" for
// the path) instead of the usual one. Returns the path, empty when the picture was not saved (the
// toast then says so).
std::wstring SavePicturePhoto(const PhotoPicture& picture, std::wstring_view extension, const MediaTime& now,
                              const std::wstring& note);

void TakePhoto();       // while a camera is open: the view's picture
void SaveStill();       // while a camera with a still branch is open: its still frame
// While a camera is open: the view's picture beside video file fileNumber of the recording (the
// number WMU_VIDEO_COVER carries).
void SaveVideoCover(int fileNumber);
void OpenImageFolder();

// The main window's handling of commands 11, 3008 and 3010, WMU_STILL_READY and
// WMU_VIDEO_COVER. Returns true when msg was one of them.
bool MainOnPhotoMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
