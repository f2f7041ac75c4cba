// The journal of a video being recorded: a small text file beside it ("<name>.avi.rec") with what
// the file's headers will say, written when the file is opened and removed once the file is
// closed. AVIFile writes the headers and the index only when it closes a file, so a recording cut
// short by a crash, a kill or a power cut leaves frames without them; the journal is what lets
// the next start rebuild such a file.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

struct RecordingJournal {
    int32_t width = 0;
    int32_t height = 0;
    bool compressed = false;  // 'MJPG' frames; else 24-bit rows, bottom-up, padded to whole words
    uint32_t rate = 0;        // frames per second as rate / scale
    uint32_t scale = 0;
};

constexpr wchar_t kJournalSuffix[] = L".rec";

std::wstring JournalPathFor(std::wstring_view videoPath);
// The video a journal belongs to; empty when the path is no journal's.
std::wstring VideoPathForJournal(std::wstring_view journalPath);

std::string JournalText(const RecordingJournal& j);
// False for a text that is not a whole journal or describes no file we write.
bool ParseJournal(std::string_view text, RecordingJournal* j);
