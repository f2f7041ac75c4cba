// Photo encoding through the GDI+ flat API (see photo_saver_win.h).
#include "media/photo_saver_win.h"

#include <windows.h>
#include <gdiplus.h>

#include <cstring>
#include <new>
#include <vector>

#include "app/shell_state_win.h"
#include "capture/capture_session_win.h"
#include "frame/capture_state_win.h"
#include "media/photo_paths.h"
#include "view/camera_view_win.h"
#include "view/dib_rows.h"

using namespace Gdiplus;

namespace {

CLSID jpegEncoder = {}, pngEncoder = {};
bool jpegFound = false, pngFound = false;

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

// A GDI bitmap holding a copy of a drawing context's picture, its rows readable in memory.
struct DibCopy {
    HBITMAP bitmap = nullptr;
    uint8_t* bits = nullptr;
    ~DibCopy() {
        if (bitmap) DeleteObject(bitmap);
    }
};

bool CopyFromDc(HDC source, int width, int height, DibCopy* copy) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    copy->bitmap = CreateDIBSection(source, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!copy->bitmap || !bits) return false;
    copy->bits = static_cast<uint8_t*>(bits);
    HDC dc = CreateCompatibleDC(source);
    if (!dc) return false;
    HGDIOBJ old = SelectObject(dc, copy->bitmap);
    const bool ok = BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCCOPY) != 0;
    SelectObject(dc, old);
    DeleteDC(dc);
    GdiFlush();  // the copy is read through its bits next
    return ok;
}

}  // namespace

void FindImageEncoders() {
    UINT count = 0, bytes = 0;
    if (DllExports::GdipGetImageEncodersSize(&count, &bytes) != Ok || bytes == 0) return;
    std::vector<uint8_t> buffer(bytes);
    auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (DllExports::GdipGetImageEncoders(count, bytes, codecs) != Ok) return;
    for (UINT i = 0; i < count; ++i) {
        if (!codecs[i].MimeType) continue;
        if (std::wcscmp(codecs[i].MimeType, L"image/jpeg") == 0) {
            jpegEncoder = codecs[i].Clsid;
            jpegFound = true;
        } else if (std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            pngEncoder = codecs[i].Clsid;
            pngFound = true;
        }
    }
}

bool WriteWholeFile(const std::wstring& path, const std::function<bool(const std::wstring& temporary)>& write) {
    // The temporary name is made (and the file created, empty) by the system, unique in the folder.
    wchar_t temporary[MAX_PATH];
    if (!GetTempFileNameW(FolderOf(path).c_str(), L"vdl", 0, temporary)) return false;
    if (write(temporary) && MoveFileExW(temporary, path.c_str(), 0)) return true;
    OutputDebugStringW((L"Saving FAILED: " + path + L"\r\n").c_str());
    DeleteFileW(temporary);
    return false;
}

bool SaveBgrImage(const uint8_t* rows, int width, int height, int stride, const std::wstring& path) {
    if (!rows || width <= 0 || height <= 0 || stride % 4 != 0) return false;
    const bool jpeg = UsesJpegEncoder(path);
    if (!(jpeg ? jpegFound : pngFound)) return false;
    GpBitmap* bitmap = nullptr;
    if (DllExports::GdipCreateBitmapFromScan0(width, height, stride, PixelFormat24bppRGB,
                                              const_cast<BYTE*>(rows), &bitmap) != Ok)
        return false;
    LONG quality = 100;
    EncoderParameters params = {};
    params.Count = 1;
    params.Parameter[0].Guid = EncoderQuality;
    params.Parameter[0].NumberOfValues = 1;
    params.Parameter[0].Type = EncoderParameterValueTypeLong;
    params.Parameter[0].Value = &quality;
    const CLSID& encoder = jpeg ? jpegEncoder : pngEncoder;
    const bool ok = WriteWholeFile(path, [&](const std::wstring& temporary) {
        return DllExports::GdipSaveImageToFile(bitmap, temporary.c_str(), &encoder, &params) == Ok;
    });
    DllExports::GdipDisposeImage(bitmap);
    return ok;
}

bool SaveViewImage(const std::wstring& path) {
    if (!IsDeviceOpen() || !ShellState.cameraView) return false;
    HDC surface = CameraViewSurfaceDc(ShellState.cameraView);
    BITMAP bm = {};
    if (!surface || !GetObjectW(CameraViewSurfaceBitmap(ShellState.cameraView), sizeof(bm), &bm)) return false;
    // Copied out first: the surface stays selected into the view's context, and a bitmap
    // selected into a context may not be handed to GDI+.
    DibCopy copy;
    if (!CopyFromDc(surface, bm.bmWidth, bm.bmHeight, &copy)) return false;
    return SaveBgrImage(copy.bits, bm.bmWidth, bm.bmHeight, int(DibRowBytes(bm.bmWidth)), path);
}

bool SaveStillImage(const std::wstring& path) {
    if (!CaptureState.previewGrabber || !CaptureState.stillGrabber) return false;
    if (!CaptureState.graph) return SaveViewImage(path);
    StillImageData still = TakeStillImage();
    if (!still.pixels) return SaveViewImage(path);
    // GDI+ reads rows at a whole-word stride; a still of, say, 642 pixels has rows of 1926 bytes.
    const uint8_t* rows = still.pixels;
    std::vector<uint8_t> padded;
    const size_t stride = DibRowBytes(still.width);
    bool ok = true;
    if (stride != size_t(still.width) * 3) {
        try {
            padded.resize(stride * size_t(still.height));
            CopyToDibRows(still.pixels, still.width, still.height, padded.data());
            rows = padded.data();
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    ok = ok && SaveBgrImage(rows, still.width, still.height, int(stride), path);
    ReturnStillImage(still);
    return ok;
}
