// Shared fixture of the files tests (see files_fixture_win.h).
#include "files/files_fixture_win.h"

#include <gdiplus.h>

#include "app/image_view_win.h"
#include "app/messages.h"
#include "common/scratch_files_win.h"
#include "media/photo_saver_win.h"
#include "panel/ctrl_panel_files_win.h"

using namespace Gdiplus;

std::vector<Posted> hostPosts;

namespace {

constexpr wchar_t kHostClass[] = L"FilesTestHost";

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg >= WM_APP && msg < WM_APP + 32) {
        hostPosts.push_back({msg, wp, lp});
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}


}  // namespace

void StartFilesTests() {
    static bool started = false;
    if (started) return;
    started = true;
    GdiplusStartupInput input;
    ULONG_PTR token = 0;
    GdiplusStartup(&token, &input, nullptr);  // kept for the whole run
    FindImageEncoders();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterImageWndClass(instance);
    RegisterCtrlPanelFilesClass(instance);
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kHostClass;
    RegisterClassExW(&wc);
}

HWND MakeHost(int width, int height) {
    RECT r = {0, 0, width, height};
    AdjustWindowRectEx(&r, WS_POPUP, FALSE, 0);
    return CreateWindowExW(0, kHostClass, L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 20, 20, r.right - r.left,
                           r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

const std::wstring& ScratchFolder() {
    static std::wstring folder;
    if (folder.empty()) folder = FreshTempFolder(L"vardelo-files-test");
    return folder;
}

std::wstring Scratch(const std::wstring& name) { return ScratchFolder() + L"\\" + name; }

bool WritePicture(const std::wstring& path, int w, int h, COLORREF colour) {
    int stride = (w * 3 + 3) / 4 * 4;
    std::vector<uint8_t> rows(size_t(stride) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t* p = rows.data() + size_t(y) * stride + x * 3;
            p[0] = GetBValue(colour);
            p[1] = GetGValue(colour);
            p[2] = GetRValue(colour);
        }
    }
    DeleteFileW(path.c_str());  // the saver never replaces a file
    return SaveBgrImage(rows.data(), w, h, stride, path);
}

bool WriteBytes(const std::wstring& path, const picture_bytes::Bytes& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    bool ok = bytes.empty() || (WriteFile(f, bytes.data(), DWORD(bytes.size()), &done, nullptr) && done == bytes.size());
    CloseHandle(f);
    return ok;
}

std::vector<uint8_t> ReadBytes(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(f, nullptr));
    DWORD done = 0;
    if (!bytes.empty()) ReadFile(f, bytes.data(), DWORD(bytes.size()), &done, nullptr);
    bytes.resize(done);
    CloseHandle(f);
    return bytes;
}

