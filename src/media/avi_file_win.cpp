// One AVI file written through AVIFile (see avi_file_win.h).
#include "media/avi_file_win.h"

#include <iterator>
#include <string>

#include "media/record_rules.h"
#include "media/recording_journal.h"

namespace {

FOURCC DibHandler() { return mmioFOURCC('D', 'I', 'B', ' '); }
FOURCC MjpgHandler() { return mmioFOURCC('M', 'J', 'P', 'G'); }

void ReleaseHandles(AviHandles& avi) {
    if (avi.compressed) AVIStreamRelease(avi.compressed);
    if (avi.stream) AVIStreamRelease(avi.stream);
    if (avi.file) AVIFileRelease(avi.file);
    avi = {};
}

// What the file's headers will say, beside it until it is closed.
void WriteJournal(const AviLayout& layout) {
    RecordingJournal j;
    j.width = layout.width;
    j.height = layout.height;
    j.compressed = layout.compressed;
    j.rate = AviStreamRate(layout.fps);
    j.scale = kAviRateScale;
    const std::string text = JournalText(j);
    HANDLE f = CreateFileW(JournalPathFor(layout.path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = f != INVALID_HANDLE_VALUE && WriteFile(f, text.data(), DWORD(text.size()), &written, nullptr) &&
                    written == text.size();
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    if (!ok) OutputDebugStringW(L"Recording journal not written: a crash could not be repaired.\r\n");
}

}  // namespace

bool OpenAviFile(const AviLayout& layout, AviHandles* avi) {
    const int w = layout.width, h = layout.height;
    const DWORD frameBytes = DWORD(AviFrameBytes(w, h));
    *avi = {};
    if (AVIFileOpenW(&avi->file, layout.path.c_str(), OF_WRITE | OF_CREATE, nullptr) != AVIERR_OK) {
        avi->file = nullptr;
        return false;
    }
    AVISTREAMINFOW info = {};
    info.fccType = streamtypeVIDEO;
    info.fccHandler = layout.compressed ? MjpgHandler() : DibHandler();
    info.dwScale = kAviRateScale;
    info.dwRate = AviStreamRate(layout.fps);
    info.dwSuggestedBufferSize = frameBytes;
    info.dwQuality = DWORD(-1);
    SetRect(&info.rcFrame, 0, 0, w, h);
    lstrcpynW(info.szName, L"Plexor 1.4", int(std::size(info.szName)));
    if (AVIFileCreateStreamW(avi->file, &avi->stream, &info) != AVIERR_OK) avi->stream = nullptr;

    AVICOMPRESSOPTIONS options = {};
    options.fccType = streamtypeVIDEO;
    options.fccHandler = DibHandler();
    options.dwKeyFrameEvery = 15;
    options.dwQuality = DWORD(-1);
    options.dwFlags = AVICOMPRESSF_KEYFRAMES | AVICOMPRESSF_VALID;
    BITMAPINFOHEADER format = {};
    format.biSize = sizeof(format);
    format.biWidth = w;
    format.biHeight = h;  // positive: bottom-up rows (a JPEG image is top-down whatever it says)
    format.biPlanes = 1;
    format.biBitCount = 24;
    format.biCompression = layout.compressed ? MjpgHandler() : BI_RGB;
    format.biSizeImage = frameBytes;
    // Without a stream to write to there is no video: the open fails rather than writing nothing
    // for as long as the user records. A compressed file's frames are JPEG images already: no
    // compressor stands between them and the stream.
    bool ready = avi->stream != nullptr;
    if (ready && !layout.compressed)
        ready = AVIMakeCompressedStream(&avi->compressed, avi->stream, &options, nullptr) == AVIERR_OK;
    if (ready) {
        PAVISTREAM target = avi->compressed ? avi->compressed : avi->stream;
        ready = AVIStreamSetFormat(target, 0, &format, sizeof(format)) == AVIERR_OK;
    }
    if (!ready) {
        ReleaseHandles(*avi);
        DeleteFileW(layout.path.c_str());
        return false;
    }
    WriteJournal(layout);
    return true;
}

bool WriteAviEntry(const AviHandles& avi, int32_t position, const void* sample, size_t bytes, LONG* written) {
    static const uint8_t kNothing = 0;
    PAVISTREAM stream = avi.compressed ? avi.compressed : avi.stream;
    *written = 0;
    if (!stream || bytes > size_t(LONG_MAX)) return false;
    return SUCCEEDED(AVIStreamWrite(stream, position, 1, const_cast<void*>(bytes ? sample : &kNothing), LONG(bytes),
                                    bytes ? AVIIF_KEYFRAME : 0, nullptr, written));
}

void FinishAviFile(AviHandles& avi, const std::wstring& path, bool removeFile) {
    ReleaseHandles(avi);
    if (path.empty()) return;
    if (removeFile) DeleteFileW(path.c_str());
    DeleteFileW(JournalPathFor(path).c_str());
}
