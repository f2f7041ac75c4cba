// Shared by the image view and files section tests: GDI+, the window classes, a host window
// that records what its children post, a scratch folder of picture files written by the photo
// saver (and bad ones written byte by byte), and reading back what a window paints.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../core/app/picture_bytes.h"
#include "common/pixels_win.h"

// What the host received from its children, in order.
struct Posted { UINT msg; WPARAM wp; LPARAM lp; };
extern std::vector<Posted> hostPosts;

// GDI+ started, the image view, files section and host classes registered; once per process.
void StartFilesTests();

// A visible top-level host of the given client size that records WMU_ messages.
HWND MakeHost(int width, int height);

// The scratch folder (emptied on first use) and paths inside it.
const std::wstring& ScratchFolder();
std::wstring Scratch(const std::wstring& name);

// A w x h picture of one colour, written by the photo saver (JPEG for a ".jpg" path, TIFF for
// ".tif", else PNG).
bool WritePicture(const std::wstring& path, int w, int h, COLORREF colour);
bool WriteBytes(const std::wstring& path, const picture_bytes::Bytes& bytes);
std::vector<uint8_t> ReadBytes(const std::wstring& path);
