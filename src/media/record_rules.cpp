// The recorder's arithmetic and the record dialog's rules (see record_rules.h).
#include "media/record_rules.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>

#include "view/dib_rows.h"

const char* const kRecordLimitKeys[kRecordLimitListCount] = {"limit -1", "limit 10s", "limit 30s",
                                                            "limit 1m", "limit 5m",  "limit 10m"};

uint32_t AviStreamRate(float fps) {
    if (!(fps > 0)) return 1;
    double rate = std::round(double(fps) * kAviRateScale);
    if (rate < 1) return 1;
    if (rate > 1e6) return 1000000;
    return uint32_t(rate);
}

int64_t FrameDuration(float fps) {
    double f = fps > 5.0f ? double(fps) : 5.0;
    return int64_t(10000000.0 / f);
}

size_t AviFrameBytes(int width, int height) {
    if (width <= 0 || height <= 0) return 0;
    return DibRowBytes(width) * size_t(height);
}

void CopyFrameBottomUp(const uint8_t* frame, int width, int height, uint8_t* out) {
    if (width <= 0 || height <= 0) return;
    const size_t src = size_t(width) * 3, dst = DibRowBytes(width);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = out + size_t(height - 1 - y) * dst;
        std::memcpy(row, frame + size_t(y) * src, src);
        std::memset(row + src, 0, dst - src);
    }
}

FrameWrite ChooseFrameWrite(bool compressedFile, CopyKind copy) {
    if (copy == CopyKind::CameraJpeg) return compressedFile ? FrameWrite::AsIs : FrameWrite::Drop;
    return compressedFile ? FrameWrite::Encode : FrameWrite::BottomUpRows;
}

bool HasRoomForFrame(uint64_t freeBytes, size_t frameBytes, int64_t framesInFile) {
    const uint64_t indexBytes = 16 * uint64_t(std::max<int64_t>(framesInFile, 0) + 1);
    return freeBytes >= uint64_t(frameBytes) + indexBytes + kCloseMarginBytes;
}

bool FrameFitsAviFile(int64_t sampleBytes, int64_t framesInFile, size_t frameBytes, int64_t limit) {
    constexpr int64_t kPerFrame = 8 + 1 + 16;  // chunk header, pad byte, index entry
    if (frameBytes > size_t(INT32_MAX)) return false;
    const int64_t frames = std::max<int64_t>(framesInFile, 0) + 1;
    return kAviFileOverheadBytes + std::max<int64_t>(sampleBytes, 0) + int64_t(frameBytes) + frames * kPerFrame <= limit;
}

int RecordLimitListIndex(int32_t storedSeconds) {
    for (int i = 0; i < kRecordLimitCount; ++i)
        if (kRecordLimits[i] == storedSeconds) return i < kRecordLimitListCount ? i : -1;
    return 0;
}

int32_t RecordLimitForStart(int listIndex, int32_t storedSeconds) {
    if (listIndex >= 0 && listIndex < kRecordLimitListCount) return kRecordLimits[listIndex];
    for (int32_t limit : kRecordLimits)
        if (limit == storedSeconds) return limit;
    return 0;
}

std::wstring RecordClockText(int64_t elapsedMs) {
    const int64_t t = std::max<int64_t>(elapsedMs, 0) / 100;  // tenths of a second
    wchar_t text[32];
    if (t < 600)
        std::swprintf(text, 32, L"%d.%d", int(t / 10), int(t % 10));
    else
        std::swprintf(text, 32, L"%d:%02d", int(std::min<int64_t>(t / 600, 99999999)), int((t % 600) / 10));
    return text;
}

RecordTickAction DecideRecordTick(int64_t elapsedMs, int32_t limitSeconds, int64_t bytesWritten,
                                  int64_t splitThreshold, bool writeFailed) {
    if (limitSeconds != 0 && elapsedMs >= int64_t(limitSeconds) * 1000) return RecordTickAction::Stop;
    if (writeFailed) return RecordTickAction::Stop;
    if (bytesWritten > splitThreshold) return RecordTickAction::Split;
    return RecordTickAction::None;
}

size_t RecorderQueueBound(size_t frameBytes, float fps) {
    const double rate = fps > 0 ? std::round(double(fps)) : 0;
    const size_t frames = size_t(std::clamp(rate, 4.0, 60.0));
    size_t bound = frames * frameBytes;
    if (frameBytes != 0 && bound / frameBytes != frames) bound = SIZE_MAX;  // overflow
    return std::max(std::min(bound, kQueueBoundCeiling), 2 * frameBytes);
}

std::wstring FillIn(const std::wstring& pattern, const wchar_t* token, const std::wstring& value) {
    std::wstring text = pattern;
    const size_t at = text.find(token);
    if (at != std::wstring::npos) text.replace(at, std::wcslen(token), value);
    return text;
}

std::wstring VideoSavedText(const std::wstring& savedText, int64_t dropped, const std::wstring& droppedText,
                            bool writeFailed, int64_t keptMs, const std::wstring& failedText) {
    std::wstring text = savedText;
    if (dropped > 0) text += L" - " + FillIn(droppedText, L"%d", std::to_wstring(dropped));
    if (writeFailed) {
        const int64_t tenths = std::max<int64_t>(keptMs, 0) / 100;
        text += L" - " + FillIn(failedText, L"%s", std::to_wstring(tenths / 10) + L"." + std::to_wstring(tenths % 10));
    }
    return text;
}
