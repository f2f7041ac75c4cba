// The live read-out's arithmetic and texts.
#include "panel/live_readout.h"

#include <cmath>
#include <cwchar>

void ReadoutHistory::Add(const ReadoutSample& s) {
    looks_[size_t(next_)] = s;
    next_ = (next_ + 1) % kLooks;
    if (count_ < kLooks) ++count_;
}

ReadoutFigures ReadoutHistory::Rates(int64_t ticksPerSecond) const {
    ReadoutFigures f;
    if (count_ < 2 || ticksPerSecond <= 0) return f;
    const ReadoutSample& newest = looks_[size_t((next_ + kLooks - 1) % kLooks)];
    const ReadoutSample& oldest = looks_[size_t((next_ + kLooks - count_) % kLooks)];
    const int64_t span = newest.at - oldest.at;
    if (span <= 0) return f;
    const double seconds = double(span) / double(ticksPerSecond);
    // Unsigned differences: right across a wrap of the counts.
    f.receivedFps = double(uint32_t(newest.received - oldest.received)) / seconds;
    f.shownFps = double(uint32_t(newest.shown - oldest.shown)) / seconds;
    f.loadPercent = int(std::lround(double(newest.busyTicks - oldest.busyTicks) * 100.0 / double(span)));
    return f;
}

int64_t RecorderDropsSinceOpen(int64_t totalNow, int64_t totalAtOpen, bool writerRunning, int64_t currentFile) {
    const int64_t finished = totalNow > totalAtOpen ? totalNow - totalAtOpen : 0;
    return finished + (writerRunning && currentFile > 0 ? currentFile : 0);
}

std::wstring FillTemplate(const std::wstring& text, const std::wstring* values, int count) {
    std::wstring out;
    int used = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' && i + 1 < text.size() && (text[i + 1] == L's' || text[i + 1] == L'%')) {
            if (text[i + 1] == L'%')
                out += L'%';
            else if (used < count)
                out += values[used++];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

namespace {

std::wstring Rate(double fps) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.1f", fps);
    return text;
}

std::wstring Count(int64_t n) { return std::to_wstring(n); }

}  // namespace

std::wstring ReadoutLine(const std::wstring& text, const ReadoutFigures& f) {
    const std::wstring values[] = {Rate(f.receivedFps), Rate(f.shownFps), Count(f.loadPercent), Count(f.Dropped())};
    return FillTemplate(text, values, 4);
}

std::wstring ReadoutTip(const std::wstring& text, const ReadoutFigures& f) {
    const std::wstring values[] = {Count(f.cameraDropped), Count(f.skipped), Count(f.recorderDropped)};
    return FillTemplate(text, values, 3);
}
