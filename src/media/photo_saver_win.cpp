// Photo encoding through the GDI+ flat API (see photo_saver_win.h).
#include "media/photo_saver_win.h"

#include <windows.h>
#include <gdiplus.h>

#include <cstring>
#include <vector>

#include "app/shell_state_win.h"
#include "capture/capture_session_win.h"
#include "frame/capture_state_win.h"
#include "media/photo_paths.h"
#include "media/scale_bar.h"
#include "media/tiff_encoder.h"
#include "settings/app_settings.h"
#include "view/calibration_workflow.h"
#include "view/camera_view_win.h"
#include "view/dib_rows.h"
#include "view/gdi_surface_win.h"

using namespace Gdiplus;

namespace {

CLSID jpegEncoder = {}, pngEncoder = {};
bool jpegFound = false, pngFound = false;

bool MakeDib(int width, int height, PhotoPicture* picture) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    picture->bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!picture->bitmap || !bits) return false;
    picture->bits = static_cast<uint8_t*>(bits);
    picture->width = width;
    picture->height = height;
    picture->stride = int(DibRowBytes(width));
    return true;
}

bool CopyFromDc(HDC source, int width, int height, PhotoPicture* copy) {
    if (!MakeDib(width, height, copy)) return false;
    HDC dc = CreateCompatibleDC(source);
    if (!dc) return false;
    HGDIOBJ old = SelectObject(dc, copy->bitmap);
    const bool ok = BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCCOPY) != 0;
    SelectObject(dc, old);
    DeleteDC(dc);
    GdiFlush();  // the copy is read through its bits next
    return ok;
}

// The scale bar in the ruler colour on its backing, in the picture's bottom-right corner; a
// picture too small for it stays as it is.
void DrawScaleBar(PhotoPicture* picture) {
    const PhotoScale& scale = picture->scale;
    const ScaleBarLength length = ChooseScaleBar(scale.pixelsPerUnitX, scale.unit, picture->width);
    if (length.pixels <= 0) return;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return;
    HGDIOBJ oldBitmap = SelectObject(dc, picture->bitmap);
    HFONT font = CreateFontW(-ScaleBarTextHeight(picture->height), 0, 0, 0, FW_SEMIBOLD, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                             DEFAULT_PITCH, LabelFontFace());
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    SIZE text = {};
    GetTextExtentPoint32W(dc, length.label.c_str(), int(length.label.size()), &text);
    const ScaleBarLayout layout = LayOutScaleBar(picture->width, picture->height, length.pixels, text.cx, text.cy);
    if (layout.fits) {
        const COLORREF ruler = COLORREF(AppSettings.gridColor);
        HBRUSH backing = CreateSolidBrush(COLORREF(ScaleBarBacking(AppSettings.gridColor)));
        HBRUSH bar = CreateSolidBrush(ruler);
        const RECT back = {layout.backing.left, layout.backing.top, layout.backing.right, layout.backing.bottom};
        const RECT line = {layout.bar.left, layout.bar.top, layout.bar.right, layout.bar.bottom};
        if (backing) FillRect(dc, &back, backing);
        if (bar) FillRect(dc, &line, bar);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ruler);
        TextOutW(dc, layout.textLeft, layout.textTop, length.label.c_str(), int(length.label.size()));
        if (backing) DeleteObject(backing);
        if (bar) DeleteObject(bar);
    }
    if (oldFont) SelectObject(dc, oldFont);
    if (font) DeleteObject(font);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    GdiFlush();
}

// Encodes into memory; empty on failure.
std::vector<uint8_t> EncodeToMemory(GpBitmap* bitmap, const CLSID& encoder, const EncoderParameters* params) {
    std::vector<uint8_t> bytes;
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return bytes;
    STATSTG stat = {};
    HGLOBAL memory = nullptr;
    if (DllExports::GdipSaveImageToStream(bitmap, stream, &encoder, params) == Ok &&
        SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) && SUCCEEDED(GetHGlobalFromStream(stream, &memory))) {
        if (const void* data = GlobalLock(memory)) {
            const size_t size = size_t(stat.cbSize.QuadPart);
            if (size <= GlobalSize(memory))
                bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
            GlobalUnlock(memory);
        }
    }
    stream->Release();
    return bytes;
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

bool SaveBgrImage(const uint8_t* rows, int width, int height, int stride, const std::wstring& path,
                  const PhotoScale* scale) {
    if (!rows || width <= 0 || height <= 0 || stride % 4 != 0) return false;
    const PhotoEncoder format = PhotoEncoderFor(path);
    if (format == PhotoEncoder::Tiff) {
        const std::vector<uint8_t> tiff = EncodeTiff(rows, width, height, size_t(stride), scale);
        return !tiff.empty() && WriteWholeFile(path, [&](const std::wstring& temporary) {
                   return WriteBytesToFile(temporary, tiff.data(), tiff.size());
               });
    }
    const bool jpeg = format == PhotoEncoder::Jpeg;
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
        if (!scale || !HasScale(*scale))
            return DllExports::GdipSaveImageToFile(bitmap, temporary.c_str(), &encoder, &params) == Ok;
        // The pixel size goes into the encoded bytes before they reach the file: the encoder's
        // own resolution fields cannot carry a figure finer than whole dots per inch.
        const std::vector<uint8_t> encoded = EncodeToMemory(bitmap, encoder, &params);
        if (encoded.empty()) return false;
        std::vector<uint8_t> scaled = jpeg ? JpegWithScale(encoded, *scale) : PngWithScale(encoded, *scale);
        if (scaled.empty()) {
            OutputDebugStringW(L"Photo scale: encoder output not understood, saved without it.\r\n");
            scaled = encoded;
        }
        return WriteBytesToFile(temporary, scaled.data(), scaled.size());
    });
    DllExports::GdipDisposeImage(bitmap);
    return ok;
}

bool MakePhotoPicture(int width, int height, PhotoPicture* picture) {
    return width > 0 && height > 0 && MakeDib(width, height, picture);
}

void AddScaleBar(PhotoPicture* picture) {
    if (AppSettings.scaleBar == 1 && HasScale(picture->scale)) DrawScaleBar(picture);
}

bool ComposeViewPhoto(PhotoPicture* picture) {
    if (!IsDeviceOpen() || !ShellState.cameraView) return false;
    HDC surface = CameraViewSurfaceDc(ShellState.cameraView);
    BITMAP bm = {};
    if (!surface || !GetObjectW(CameraViewSurfaceBitmap(ShellState.cameraView), sizeof(bm), &bm)) return false;
    // Copied out first: the surface stays selected into the view's context, and a bitmap
    // selected into a context may not be handed to GDI+.
    if (!CopyFromDc(surface, bm.bmWidth, bm.bmHeight, picture)) return false;
    const CameraViewInfo info = CameraViewGetInfo(ShellState.cameraView);
    picture->scale = ViewPhotoScale(CameraViewPixelsPerUnit(ShellState.cameraView), info.imageW, info.imageH,
                                    info.frameW, info.frameH, bm.bmWidth, bm.bmHeight, info.zoom);
    picture->scale.unit = CameraViewUnit(ShellState.cameraView);
    picture->scale.name = AppliedCalibrationName();
    if (AppSettings.scaleBar == 1 && HasScale(picture->scale)) DrawScaleBar(picture);
    return true;
}

bool ComposeFramePhoto(PhotoPicture* picture) {
    if (!IsDeviceOpen() || !ShellState.cameraView) return false;
    const int w = CaptureState.width, h = CaptureState.height;
    const DisplayFrame* frame = GetCurrentFrame();  // unchanged for three frame periods: copied at once
    if (!frame || w <= 0 || h <= 0 || !MakeDib(w, h, picture)) return false;
    CopyToDibRows(reinterpret_cast<const uint8_t*>(frame), w, h, picture->bits);
    // The frame shows the whole picture at its own size: its pixel size follows from the view's.
    const CameraViewInfo info = CameraViewGetInfo(ShellState.cameraView);
    picture->scale = ViewPhotoScale(CameraViewPixelsPerUnit(ShellState.cameraView), info.imageW, info.imageH,
                                    info.frameW, info.frameH, w, h, 0);
    picture->scale.unit = CameraViewUnit(ShellState.cameraView);
    picture->scale.name = AppliedCalibrationName();
    if (AppSettings.scaleBar == 1 && HasScale(picture->scale)) DrawScaleBar(picture);
    return true;
}

bool SaveViewImage(const std::wstring& path) {
    PhotoPicture picture;
    return ComposeViewPhoto(&picture) &&
           SaveBgrImage(picture.bits, picture.width, picture.height, picture.stride, path, &picture.scale);
}

bool SaveFramePicture(const std::wstring& path, const uint8_t* bgr, int width, int height, bool withOverlay) {
    if (!bgr || !ShellState.cameraView) return false;
    PhotoPicture picture;
    if (!MakeDib(width, height, &picture)) return false;
    CopyToDibRows(bgr, width, height, picture.bits);
    const CameraViewInfo info = CameraViewGetInfo(ShellState.cameraView);
    picture.scale = ViewPhotoScale(CameraViewPixelsPerUnit(ShellState.cameraView), info.imageW, info.imageH,
                                   info.frameW, info.frameH, width, height, 0);
    picture.scale.unit = CameraViewUnit(ShellState.cameraView);
    picture.scale.name = AppliedCalibrationName();
    if (withOverlay) {
        if (HDC dc = CreateCompatibleDC(nullptr)) {
            HGDIOBJ old = SelectObject(dc, picture.bitmap);
            CameraViewDrawShapes(ShellState.cameraView, dc, width, height);
            SelectObject(dc, old);
            DeleteDC(dc);
            GdiFlush();
        }
        if (AppSettings.scaleBar == 1 && HasScale(picture.scale)) DrawScaleBar(&picture);
    }
    return SaveBgrImage(picture.bits, width, height, picture.stride, path, &picture.scale);
}

bool SaveStillImage(const std::wstring& path) {
    if (!CaptureState.previewGrabber || !CaptureState.stillGrabber) return false;
    if (!CaptureState.graph) return SaveViewImage(path);
    StillImageData still = TakeStillImage();
    if (!still.pixels) return SaveViewImage(path);
    // The still shows the whole picture at its own size: its pixel size follows from the view's.
    PhotoPicture picture;
    const CameraViewInfo info = CameraViewGetInfo(ShellState.cameraView);
    picture.scale = ViewPhotoScale(CameraViewPixelsPerUnit(ShellState.cameraView), info.imageW, info.imageH,
                                   info.frameW, info.frameH, still.width, still.height, 0);
    picture.scale.unit = CameraViewUnit(ShellState.cameraView);
    picture.scale.name = AppliedCalibrationName();
    // GDI+ reads rows at a whole-word stride; a still of, say, 642 pixels has rows of 1926 bytes.
    // The rows are copied into a bitmap of their own when they are no whole words or take a bar.
    const uint8_t* rows = still.pixels;
    const size_t stride = DibRowBytes(still.width);
    bool ok = true;
    if (stride != size_t(still.width) * 3 || (AppSettings.scaleBar == 1 && HasScale(picture.scale))) {
        ok = MakeDib(still.width, still.height, &picture);
        if (ok) {
            CopyToDibRows(still.pixels, still.width, still.height, picture.bits);
            rows = picture.bits;
            if (AppSettings.scaleBar == 1 && HasScale(picture.scale)) DrawScaleBar(&picture);
        }
    }
    ok = ok && SaveBgrImage(rows, still.width, still.height, int(stride), path, &picture.scale);
    ReturnStillImage(still);
    return ok;
}
