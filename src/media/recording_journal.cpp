// The journal of a video being recorded (see recording_journal.h).
#include "media/recording_journal.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace {

constexpr char kFirstLine[] = "Vardelo recording 1";

// The value of "name <value>" on a line of text, or empty.
std::string_view ValueOf(std::string_view text, std::string_view name) {
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() > name.size() && line.substr(0, name.size()) == name && line[name.size()] == ' ')
            return line.substr(name.size() + 1);
        at = end + 1;
    }
    return {};
}

bool Number(std::string_view text, uint32_t max, uint32_t* out) {
    if (text.empty() || text.size() > 10) return false;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + uint64_t(c - '0');
    }
    if (v == 0 || v > max) return false;
    *out = uint32_t(v);
    return true;
}

}  // namespace

std::wstring JournalPathFor(std::wstring_view videoPath) { return std::wstring(videoPath) + kJournalSuffix; }

std::wstring VideoPathForJournal(std::wstring_view journalPath) {
    const size_t n = std::wcslen(kJournalSuffix);
    if (journalPath.size() <= n) return {};
    std::wstring_view tail = journalPath.substr(journalPath.size() - n);
    for (size_t i = 0; i < n; ++i) {
        wchar_t c = tail[i];
        if (c >= L'A' && c <= L'Z') c = wchar_t(c - L'A' + L'a');
        if (c != kJournalSuffix[i]) return {};
    }
    return std::wstring(journalPath.substr(0, journalPath.size() - n));
}

std::string JournalText(const RecordingJournal& j) {
    char text[160];
    std::snprintf(text, sizeof text, "%s\nwidth %d\nheight %d\nframes %s\nrate %u\nscale %u\nend\n", kFirstLine,
                  int(j.width), int(j.height), j.compressed ? "MJPG" : "DIB", unsigned(j.rate), unsigned(j.scale));
    return text;
}

bool ParseJournal(std::string_view text, RecordingJournal* j) {
    // The last line is written last: a journal cut short is not taken for a whole one.
    if (text.substr(0, sizeof kFirstLine - 1) != kFirstLine || text.find("\nend") == std::string_view::npos)
        return false;
    uint32_t width = 0, height = 0, rate = 0, scale = 0;
    const std::string_view frames = ValueOf(text, "frames");
    if (!Number(ValueOf(text, "width"), 16384, &width) || !Number(ValueOf(text, "height"), 16384, &height) ||
        !Number(ValueOf(text, "rate"), 1000000, &rate) || !Number(ValueOf(text, "scale"), 1000000, &scale) ||
        (frames != "MJPG" && frames != "DIB"))
        return false;
    j->width = int32_t(width);
    j->height = int32_t(height);
    j->compressed = frames == "MJPG";
    j->rate = rate;
    j->scale = scale;
    return true;
}
