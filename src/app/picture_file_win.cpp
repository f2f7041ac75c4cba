// Picture files into bottom-up rows (see picture_file_win.h).
#include "app/picture_file_win.h"

#include <gdiplus.h>
#include <objbase.h>

#include <cstring>
#include <new>

#include "app/picture_check.h"
#include "view/dib_rows.h"

using namespace Gdiplus;

namespace {

struct FileHandle {
    HANDLE h;
    ~FileHandle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

// The whole file in movable global memory (what a memory stream is made on); nullptr when the
// file cannot be opened, is empty or too large, or cannot be read to its end.
HGLOBAL ReadWholeFile(const wchar_t* path, size_t& size) {
    // Others may go on reading, writing or deleting it: what is read is checked before decoding.
    FileHandle file{CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.h == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER length;
    if (!GetFileSizeEx(file.h, &length) || length.QuadPart <= 0 || length.QuadPart > kMaxPictureFileBytes)
        return nullptr;
    size = size_t(length.QuadPart);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return nullptr;
    auto* bytes = static_cast<uint8_t*>(GlobalLock(memory));
    size_t done = 0;
    while (bytes && done < size) {
        DWORD got = 0;
        DWORD want = DWORD(size - done > (1u << 30) ? (1u << 30) : size - done);
        if (!ReadFile(file.h, bytes + done, want, &got, nullptr) || got == 0) break;
        done += got;
    }
    if (bytes) GlobalUnlock(memory);
    if (done != size) {
        GlobalFree(memory);
        return nullptr;
    }
    return memory;
}

struct GdipBitmapHolder {
    GpBitmap* bitmap = nullptr;
    ~GdipBitmapHolder() {
        if (bitmap) DllExports::GdipDisposeImage(bitmap);
    }
};

}  // namespace

PictureLoad LoadPictureFile(const wchar_t* path, DecodedPicture& out) {
    out = DecodedPicture();
    size_t size = 0;
    HGLOBAL memory = ReadWholeFile(path, size);
    if (!memory) return PictureLoad::Unreadable;

    PictureFacts facts;
    if (auto* bytes = static_cast<const uint8_t*>(GlobalLock(memory))) {
        facts = InspectPicture(bytes, size);
        GlobalUnlock(memory);
    }
    if (!PictureAcceptable(facts)) {
        GlobalFree(memory);
        bool whole = facts.kind != PictureKind::Unknown && facts.complete;
        return whole && facts.width > 0 && facts.height > 0 ? PictureLoad::TooLarge : PictureLoad::NotPicture;
    }

    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {  // the stream frees the memory from here on
        GlobalFree(memory);
        return PictureLoad::NoMemory;
    }
    PictureLoad result = PictureLoad::DecodeFailed;
    {
        GdipBitmapHolder picture;
        UINT width = 0, height = 0;
        if (DllExports::GdipCreateBitmapFromStreamICM(stream, &picture.bitmap) == Ok &&
            DllExports::GdipGetImageWidth(picture.bitmap, &width) == Ok &&
            DllExports::GdipGetImageHeight(picture.bitmap, &height) == Ok && int64_t(width) == facts.width &&
            int64_t(height) == facts.height) {
            // Rows are copied bottom row first, as the bitmap header of the view describes them.
            size_t rowBytes = DibRowBytes(int(width));
            out.size = rowBytes * height;
            out.rows.reset(new (std::nothrow) uint8_t[out.size]);
            GpRect all(0, 0, INT(width), INT(height));
            BitmapData locked = {};
            if (!out.rows) {
                result = PictureLoad::NoMemory;
            } else if (DllExports::GdipBitmapLockBits(picture.bitmap, &all, ImageLockModeRead, PixelFormat24bppRGB,
                                                      &locked) == Ok) {
                const auto* src = static_cast<const uint8_t*>(locked.Scan0);
                for (UINT y = 0; y < height; ++y) {
                    uint8_t* dst = out.rows.get() + size_t(height - 1 - y) * rowBytes;
                    std::memcpy(dst, src + ptrdiff_t(y) * locked.Stride, size_t(width) * 3);
                    std::memset(dst + size_t(width) * 3, 0, rowBytes - size_t(width) * 3);
                }
                DllExports::GdipBitmapUnlockBits(picture.bitmap, &locked);
                out.width = int(width);
                out.height = int(height);
                result = PictureLoad::Ok;
            }
        }
    }
    stream->Release();
    if (result != PictureLoad::Ok) out = DecodedPicture();
    return result;
}
