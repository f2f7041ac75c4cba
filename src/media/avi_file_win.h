// One AVI file of one video stream, written through AVIFile: uncompressed 24-bit bottom-up rows
// (through the 'DIB ' compressed stream) or 'MJPG' frames written straight to the stream. It is
// made with a journal beside it (see recording_journal.h), its entries appended one position
// after the other, and finished by releasing it (the headers and index are written then) and
// removing the journal. The AVIFile objects are COM objects: made, used and released by one
// thread, which has initialised COM.
#pragma once
#include <windows.h>
#include <vfw.h>

#include <cstddef>
#include <cstdint>
#include <string>

// What a new video file is: its path, frame size, rate and whether its frames are JPEGs.
struct AviLayout {
    std::wstring path;
    int width = 0;
    int height = 0;
    float fps = 0;  // frames per second of the stream
    bool compressed = false;
};

// The AVIFile handles of one file (its compressed stream only for an uncompressed file).
struct AviHandles {
    PAVIFILE file = nullptr;
    PAVISTREAM stream = nullptr;
    PAVISTREAM compressed = nullptr;
};

// Creates the file with its stream and its journal; false, with nothing left open and the file
// removed, when it cannot be made. (A journal that cannot be written leaves the file without
// the means of a repair after a crash, but recorded all the same.)
bool OpenAviFile(const AviLayout& layout, AviHandles* avi);

// Writes the entry at position: sample's bytes as a key frame, or with no bytes an empty entry,
// which players show as the frame before. *written gets the bytes the file took. False when the
// write failed.
bool WriteAviEntry(const AviHandles& avi, int32_t position, const void* sample, size_t bytes, LONG* written);

// Releases the handles (the headers and index are written) and removes the journal beside
// path, and the file itself when removeFile (it holds no frame).
void FinishAviFile(AviHandles& avi, const std::wstring& path, bool removeFile);
