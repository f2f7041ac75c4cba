// Reading a picture file into bottom-up 24-bit rows for the image view. The file is read once
// into memory, checked (picture_check.h) and decoded by GDI+ from there, so a file that changes
// or disappears meanwhile cannot be half-read twice. GDI+ must be started.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>

struct DecodedPicture {
    int width = 0, height = 0;
    std::unique_ptr<uint8_t[]> rows;  // bottom row first, each DibRowBytes(width) long
    size_t size = 0;                  // bytes in rows
};

enum class PictureLoad {
    Ok,
    Unreadable,    // missing, locked, empty, or larger than the view reads
    NotPicture,    // not a whole JPEG, PNG, BMP or TIFF
    TooLarge,      // the header claims more pixels than the view decodes
    DecodeFailed,  // GDI+ refused it
    NoMemory,
};

PictureLoad LoadPictureFile(const wchar_t* path, DecodedPicture& out);
