// The slide camera (see vcam_slide_win.h). A move is written as "<number> <speed> x,y x,y ...":
// the number changes with every move, so the camera can tell a new move from the one it follows.
#include "vcam_slide_win.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <sstream>

#include "vcam_config_win.h"

namespace {

std::wstring KeyOf(const std::wstring& name) { return std::wstring(kVcamRootKey) + L"\\" + name; }

bool ReadText(const std::wstring& key, const wchar_t* value, std::wstring* out) {
    wchar_t buf[4096];
    DWORD bytes = sizeof(buf);
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value, RRF_RT_REG_SZ, nullptr, buf, &bytes) != ERROR_SUCCESS)
        return false;
    *out = buf;
    return true;
}

bool WriteText(const std::wstring& name, const wchar_t* value, const std::wstring* text) {
    HKEY key;
    if (!IsValidInstanceName(name) ||
        RegOpenKeyExW(HKEY_CURRENT_USER, KeyOf(name).c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return false;
    LONG r = text ? RegSetValueExW(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                                   DWORD((text->size() + 1) * sizeof(wchar_t)))
                  : RegDeleteValueW(key, value);
    RegCloseKey(key);
    return r == ERROR_SUCCESS || (!text && r == ERROR_FILE_NOT_FOUND);
}

}  // namespace

bool ParseSlideConfig(const std::wstring& text, SlideConfig* out) {
    SlideConfig c;
    wchar_t x = 0, at = 0;
    unsigned seed = 1;
    const int n = swscanf(text.c_str(), L"%d%lc%d%lc%u", &c.width, &x, &c.height, &at, &seed);
    if (n < 3 || (x != L'x' && x != L'X') || (n >= 4 && (at != L'@' || n != 5))) return false;
    if (c.width < 256 || c.height < 256 || c.width > 100000 || c.height > 100000) return false;
    c.seed = seed;
    *out = c;
    return true;
}

bool ReadSlideConfig(const std::wstring& name, SlideConfig* out) {
    std::wstring text;
    return IsValidInstanceName(name) && ReadText(KeyOf(name), L"Slide", &text) && ParseSlideConfig(text, out);
}

bool WriteSlideConfig(const std::wstring& name, const SlideConfig* config) {
    if (!config) return WriteText(name, L"Slide", nullptr);
    const std::wstring text = std::to_wstring(config->width) + L"x" + std::to_wstring(config->height) + L"@" +
                              std::to_wstring(config->seed);
    return WriteText(name, L"Slide", &text);
}

bool SetSlideMove(const std::wstring& name, double speed, const std::vector<SlidePoint>& points) {
    if (points.empty()) return false;
    std::wstring old;
    unsigned number = 0;
    if (ReadText(KeyOf(name), L"SlideMove", &old)) number = unsigned(_wtoi(old.c_str())) + 1;
    std::wostringstream text;
    text << number << L' ' << speed;
    for (const SlidePoint& p : points) text << L' ' << p.x << L',' << p.y;
    const std::wstring move = text.str();
    return WriteText(name, L"SlideMove", &move);
}

bool SetSlideTruth(const std::wstring& name, const std::wstring& file) {
    return WriteText(name, L"SlideTruth", file.empty() ? nullptr : &file);
}

SlideCamera::SlideCamera(const std::wstring& name, const SlideConfig& config)
    : key_(KeyOf(name)), scene_(config.width, config.height, config.seed) {}

SlideCamera::~SlideCamera() {
    if (truth_) fclose(truth_);
}

void SlideCamera::FollowMove(int width, int height) {
    if (!placed_) {
        x_ = (scene_.width() - width) / 2.0;
        y_ = (scene_.height() - height) / 2.0;
        placed_ = true;
    }
    std::wstring move;
    if (ReadText(key_, L"SlideMove", &move) && move != move_) {
        move_ = move;
        std::wistringstream text(move);
        unsigned number;
        text >> number >> speed_;
        points_.clear();
        double px, py;
        wchar_t comma;
        while (text >> px >> comma >> py) points_.push_back({px, py});
    }
    // Along the points, speed pixels this frame (or all the way at once).
    double budget = speed_ > 0 ? speed_ : 1e18;
    while (!points_.empty() && budget > 0) {
        const double dx = points_.front().x - x_, dy = points_.front().y - y_, d = std::hypot(dx, dy);
        if (d <= budget) {
            x_ = points_.front().x;
            y_ = points_.front().y;
            budget -= d;
            points_.erase(points_.begin());
        } else {
            x_ += dx * budget / d;
            y_ += dy * budget / d;
            budget = 0;
        }
    }
    x_ = std::min(std::max(0.0, x_), double(std::max(0, scene_.width() - width)));
    y_ = std::min(std::max(0.0, y_), double(std::max(0, scene_.height() - height)));
}

void SlideCamera::WriteTruth(uint32_t frameNumber) {
    std::wstring path;
    if (!ReadText(key_, L"SlideTruth", &path)) path.clear();
    if (path != truthPath_) {
        if (truth_) fclose(truth_);
        truth_ = path.empty() ? nullptr : _wfopen(path.c_str(), L"a");
        truthPath_ = path;
    }
    if (!truth_) return;
    fprintf(truth_, "%u %ld %ld\n", frameNumber, std::lround(x_), std::lround(y_));
    fflush(truth_);
}

void SlideCamera::Render(uint32_t frameNumber, int width, int height, uint8_t* bgr) {
    FollowMove(width, height);
    scene_.Field(int(std::lround(x_)), int(std::lround(y_)), width, height, frameNumber, {}, bgr);
    WriteTruth(frameNumber);
}
