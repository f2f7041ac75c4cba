// The live mosaic measured against the truth of the virtual microscope's slide: a hand-held
// serpentine of 200 frames (1920 x 1080, 20 % overlap between passes, JPEG as a camera sends
// them), placed on one core; the same frames live on two threads (a camera thread decoding them
// at 30 frames a second, the mosaic's worker taking the newest when free); losing the field on
// textureless frames and finding it again; frames of unseen parts of the slide, which must never
// be placed; a mosaic of 100 megapixels and the drawing of the window from it. A general-purpose
// stitcher's result on the same frames (written by opencv_stitch.py) is read for comparison.
//
//   mosaic_bench frames DIR          writes the frames (frame_000.jpg ...) and truth.txt to DIR
//   mosaic_bench report DIR [FILE]   measures, and prints every figure beside its goal; FILE is
//                                    the stitcher's result
#include <turbojpeg.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <time.h>
#include <vector>

#include "frame/display_frame.h"
#include "frame/live_mosaic.h"
#include "frame/mjpg_decode.h"
#include "testcam/slide.h"
#include "view/mosaic_view.h"

namespace {

constexpr int kW = 1920, kH = 1080;
constexpr int kFrames = 200;
constexpr int kSlideW = 12000, kSlideH = 9000;
constexpr uint32_t kSeed = 7;
constexpr double kPassLength = 6000, kOverlap = 0.2;
constexpr int kPasses = 4;
constexpr double kStartX = 900, kStartY = 800;

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

// CPU time of the calling thread: on a machine shared with other work, what a frame costs one
// core whatever else runs.
double ThreadMs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

std::vector<SlidePoint> BenchPath() {
    const double total = kPasses * kPassLength + (kPasses - 1) * (1 - kOverlap) * kH;
    std::vector<SlidePoint> path =
        SerpentinePath(kStartX, kStartY, kPasses, kPassLength, kH, kOverlap, total / (kFrames - 1));
    path.resize(std::min<size_t>(path.size(), kFrames));
    // A hand does not hold a line: a slow sideways wander of a few pixels.
    for (size_t k = 0; k < path.size(); ++k) {
        path[k].x += std::round(3 * std::sin(k * 0.37));
        path[k].y += std::round(4 * std::sin(k * 0.21 + 1));
    }
    return path;
}

std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& bgr, int w, int h) {
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    std::vector<uint8_t> jpeg;
    if (tj && tjCompress2(tj, bgr.data(), w, 0, h, TJPF_BGR, &out, &size, TJSAMP_422, 90, 0) == 0)
        jpeg.assign(out, out + size);
    if (out) tjFree(out);
    if (tj) tjDestroy(tj);
    return jpeg;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

std::string FramePath(const std::string& dir, int k) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%03d.jpg", k);
    return dir + name;
}

int WriteFrames(const std::string& dir) {
    SlideScene slide(kSlideW, kSlideH, kSeed);
    const std::vector<SlidePoint> path = BenchPath();
    std::vector<uint8_t> frame(size_t(kW) * kH * 3);
    std::ofstream truth(dir + "/truth.txt");
    for (size_t k = 0; k < path.size(); ++k) {
        slide.Field(int(path[k].x), int(path[k].y), kW, kH, uint32_t(k), {}, frame.data());
        const std::vector<uint8_t> jpeg = EncodeJpeg(frame, kW, kH);
        std::ofstream f(FramePath(dir, int(k)), std::ios::binary);
        f.write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
        truth << k << ' ' << path[k].x << ' ' << path[k].y << '\n';
        if (jpeg.empty() || !f) {
            std::fprintf(stderr, "could not write frame %zu\n", k);
            return 1;
        }
    }
    return truth ? 0 : 1;
}

struct Frames {
    std::vector<std::vector<uint8_t>> jpegs;
    std::vector<SlidePoint> truth;
};

bool LoadFrames(const std::string& dir, Frames* f) {
    std::ifstream truth(dir + "/truth.txt");
    int k;
    double x, y;
    while (truth >> k >> x >> y) {
        f->truth.push_back({x, y});
        f->jpegs.push_back(ReadFile(FramePath(dir, k)));
        if (f->jpegs.back().empty()) return false;
    }
    return !f->truth.empty();
}

bool Decode(const std::vector<uint8_t>& jpeg, std::vector<uint8_t>* bgr) {
    bgr->resize(size_t(kW) * kH * 3);
    return DecodeMjpg(jpeg.data(), jpeg.size(), kW, kH, reinterpret_cast<DisplayFrame*>(bgr->data()));
}

// Placement errors against the truth, the mosaic's origin taken from its first frame.
struct Placements {
    std::vector<int> placed;       // frame numbers
    std::vector<double> errors;    // per placed frame, pixels
    bool haveOrigin = false;
    double ox = 0, oy = 0;         // slide point of mosaic point (0, 0)
    void Add(int k, const MosaicStep& s, const SlidePoint& truth) {
        if (!s.placed) return;
        if (!haveOrigin) {
            ox = truth.x - s.x;
            oy = truth.y - s.y;
            haveOrigin = true;
        }
        placed.push_back(k);
        errors.push_back(std::hypot(s.x + ox - truth.x, s.y + oy - truth.y));
    }
    double Rms() const {
        double sum = 0;
        for (double e : errors) sum += e * e;
        return errors.empty() ? 0 : std::sqrt(sum / errors.size());
    }
    double Worst() const { return errors.empty() ? 0 : *std::max_element(errors.begin(), errors.end()); }
    int Wrong() const { return int(std::count_if(errors.begin(), errors.end(), [](double e) { return e > 3; })); }
};

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * (v.size() - 1) + 0.5))];
}

struct Row {
    std::string figure, value, goal;
    int met;  // 1 yes, 0 no, -1 no goal
};
std::vector<Row> gRows;
void Report(const std::string& figure, const std::string& value, const std::string& goal = "", int met = -1) {
    gRows.push_back({figure, value, goal, met});
}
std::string Fmt(const char* f, double a, double b = 0, double c = 0) {
    char s[160];
    std::snprintf(s, sizeof s, f, a, b, c);
    return s;
}

// ---- Placement and seams, one core ----

double gOurMs = 0;  // time of all frames on one core
std::set<int> gOurPlaced;

void PlacementRun(const Frames& frames, SlideScene* slide) {
    LiveMosaic mosaic;
    mosaic.Start(kW, kH);
    Placements p;
    std::vector<double> times;
    std::vector<uint8_t> bgr;
    std::vector<MosaicRect> footprints;
    for (size_t k = 0; k < frames.jpegs.size(); ++k) {
        if (!Decode(frames.jpegs[k], &bgr)) continue;
        const double t0 = ThreadMs();
        const MosaicStep s = mosaic.Add(bgr.data(), size_t(kW) * 3, uint32_t(k));
        times.push_back(ThreadMs() - t0);
        p.Add(int(k), s, frames.truth[k]);
        if (s.placed) footprints.push_back(s.changed);
    }
    for (int k : p.placed) gOurPlaced.insert(k);
    for (double t : times) gOurMs += t;
    double mean = gOurMs / std::max<size_t>(1, times.size());
    Report("frames placed (serpentine, one core)", Fmt("%.0f of %.0f", double(p.placed.size()), double(frames.jpegs.size())));
    Report("placement RMS error", Fmt("%.3f px", p.Rms()), "<= 1 px", p.Rms() <= 1);
    Report("largest placement error", Fmt("%.3f px", p.Worst()), "<= 3 px", p.Worst() <= 3);
    Report("register + place, 1920 x 1080, one core (CPU time)", Fmt("%.1f ms mean, %.1f ms 95th pct", mean, Percentile(times, 0.95)),
           "<= 20 ms", mean <= 20);

    // Seams: the mosaic against the true slide where two or more frames overlap.
    const MosaicRect b = mosaic.Canvas().Bounds();
    const int w = b.Width(), h = b.Height();
    std::vector<uint8_t> count(size_t(w) * h, 0);
    for (const MosaicRect& f : footprints)
        for (int y = f.y0; y < f.y1; ++y)
            for (int x = f.x0; x < f.x1; ++x) {
                uint8_t& c = count[size_t(y - b.y0) * w + (x - b.x0)];
                if (c < 255) ++c;
            }
    double overlapSum = 0, allSum = 0;
    long overlapN = 0, allN = 0;
    const int band = 256;
    std::vector<uint8_t> ours(size_t(w) * band * 3), truth(size_t(w) * band * 3);
    for (int y0 = 0; y0 < h; y0 += band) {
        const int rows = std::min(band, h - y0);
        mosaic.Canvas().ReadBgr(0, b.x0, b.y0 + y0, w, rows, ours.data(), size_t(w) * 3);
        slide->Crop(int(std::lround(b.x0 + p.ox)), int(std::lround(b.y0 + y0 + p.oy)), w, rows, truth.data());
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t c = count[size_t(y0 + y) * w + x];
                if (!c) continue;
                const size_t i = (size_t(y) * w + x) * 3;
                const double d = (std::abs(ours[i] - truth[i]) + std::abs(ours[i + 1] - truth[i + 1]) +
                                  std::abs(ours[i + 2] - truth[i + 2])) / 3.0;
                allSum += d;
                ++allN;
                if (c >= 2) {
                    overlapSum += d;
                    ++overlapN;
                }
            }
    }
    const double overlap = overlapSum / std::max(1L, overlapN);
    Report("mean |mosaic - true slide| where frames overlap", Fmt("%.2f levels", overlap), "<= 3 levels", overlap <= 3);
    Report("mean |mosaic - true slide| everywhere", Fmt("%.2f levels (%.0f Mpx)", allSum / std::max(1L, allN), w * double(h) / 1e6));
}

// ---- Live: a camera thread and the worker ----

void LiveRun(const Frames& frames) {
    constexpr double kPeriodMs = 1000.0 / 30;
    std::vector<std::vector<uint8_t>> ring(4, std::vector<uint8_t>(size_t(kW) * kH * 3));
    std::mutex lock;
    int current = -1;
    std::atomic<uint32_t> published{0};
    std::atomic<bool> done{false};
    std::thread camera([&] {
        const auto start = Clock::now();
        for (size_t k = 0; k < frames.jpegs.size(); ++k) {
            std::this_thread::sleep_until(start + std::chrono::microseconds(int64_t(k * kPeriodMs * 1000)));
            const int slot = int(k % 4);
            DecodeMjpg(frames.jpegs[k].data(), frames.jpegs[k].size(), kW, kH,
                       reinterpret_cast<DisplayFrame*>(ring[size_t(slot)].data()));
            {
                std::lock_guard<std::mutex> g(lock);
                current = slot;
            }
            published.store(uint32_t(k + 1));
        }
        done = true;
    });
    LiveMosaic mosaic;
    mosaic.Start(kW, kH);
    Placements p;
    std::vector<uint8_t> copy(size_t(kW) * kH * 3);
    uint32_t seen = 0;
    int taken = 0;
    const auto start = Clock::now();
    auto end = start;
    while (!done || published.load() != seen) {
        const uint32_t n = published.load();
        if (n == seen) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        int slot;
        {
            std::lock_guard<std::mutex> g(lock);
            slot = current;
        }
        std::memcpy(copy.data(), ring[size_t(slot)].data(), copy.size());
        if (published.load() - n >= 3) continue;  // overwritten while copied
        seen = n;
        ++taken;
        const MosaicStep s = mosaic.Add(copy.data(), size_t(kW) * 3, n - 1);
        p.Add(int(n - 1), s, frames.truth[n - 1]);
        end = Clock::now();
    }
    camera.join();
    const double seconds = Ms(start, end) / 1000;
    const double fps = p.placed.size() / std::max(1e-9, seconds);
    Report("live, two threads: frames taken / placed", Fmt("%.0f / %.0f of %.0f sent at 30 fps", taken, double(p.placed.size()),
                                                           double(frames.jpegs.size())));
    Report("live frames placed per second", Fmt("%.1f fps", fps), ">= 15 fps", fps >= 15);
    Report("live placement RMS / largest error", Fmt("%.3f / %.3f px", p.Rms(), p.Worst()), "<= 1 / 3 px",
           p.Rms() <= 1 && p.Worst() <= 3);
}

// ---- Robustness ----

// Over a mosaic of a region: tracking, ten textureless frames while the hand moves on, then
// texture again far from where the field was lost; and frames of unseen parts of the slide.
void RobustnessRun(SlideScene* slide) {
    // A mosaic of a region, then frames over it with ten textureless ones between.
    LiveMosaic mosaic;
    mosaic.Start(kW, kH);
    Placements p;
    std::vector<uint8_t> frame(size_t(kW) * kH * 3);
    uint32_t n = 1000;
    auto feed = [&](double x, double y, bool blank) {
        slide->Field(int(x), int(y), kW, kH, n, {}, frame.data());
        if (blank) {
            // Light through glass with nothing on it: flat, with the camera's noise.
            const uint8_t glass[3] = {236, 230, 238};
            for (size_t i = 0; i < frame.size(); ++i)
                frame[i] = uint8_t(glass[i % 3] + int(((i + n * 7919u) * 2654435761u) >> 29) - 4);
        }
        const MosaicStep s = mosaic.Add(frame.data(), size_t(kW) * 3, n++);
        p.Add(int(n), s, {x, y});
        return s;
    };
    const double x0 = 2600, y0 = 5200;
    for (const SlidePoint& q : SerpentinePath(x0, y0, 3, 4000, kH, 0.3, 120)) feed(q.x, q.y, false);
    // Tracking along the second pass, then ten blank frames while the hand moves on and jumps
    // back over the first pass.
    for (int k = 0; k < 5; ++k) feed(x0 + 1000 + 100 * k, y0 + 756, false);
    int lostDuringBlank = 0, placedDuringBlank = 0;
    for (int k = 0; k < 10; ++k) {
        const MosaicStep s = feed(x0 + 1500 + 200 * k, y0 + 500, true);
        lostDuringBlank += s.state == MosaicState::Lost;
        placedDuringBlank += s.placed;
    }
    int found = -1;
    for (int k = 0; k < 10 && found < 0; ++k)
        if (feed(x0 + 3100 - 40 * k, y0 + 100, false).placed) found = k + 1;
    Report("textureless frames placed / lost", Fmt("%.0f placed, lost on %.0f of 10", placedDuringBlank, lostDuringBlank),
           "none placed", placedDuringBlank == 0);
    Report("textured frames until found again, 1,800 px on", found < 0 ? std::string("not found") : Fmt("%.0f", found),
           "found", found > 0);
    const int wrongHere = p.Wrong();

    // Frames of parts of the slide the mosaic never saw: none may be placed.
    int placedWrong = 0, tried = 0;
    for (int k = 0; k < 60; ++k) {
        const double x = 800 + (k % 10) * 950, y = 1000 + (k / 10) * 700;
        if (x + kW > x0 - 200 && x < x0 + 4000 + kW + 200 && y + kH > y0 - 200 && y < y0 + 3 * 756 + kH + 200) continue;
        ++tried;
        if (feed(x, y, false).placed) ++placedWrong;
    }
    Report("frames of unseen slide parts placed", Fmt("%.0f of %.0f", placedWrong, tried), "0", placedWrong == 0);
    Report("placements off by more than 3 px (robustness runs)", Fmt("%.0f", wrongHere), "0", wrongHere == 0);
}

// ---- Scale: 100 megapixels ----

void ScaleRun(SlideScene* slide) {
    // Frames laid at their true places over the whole slide, 103 megapixels (the placing itself is measured
    // above), then the window drawn from it.
    MosaicCanvas canvas;
    BlendScratch scratch;
    std::vector<uint8_t> frame(size_t(kW) * kH * 3);
    bool full = false;
    uint32_t n = 0;
    for (int y = 0; y + kH <= 9000; y += 790)
        for (int x = 0; x + kW <= kSlideW; x += 1600) {
            slide->Field(x, y, kW, kH, n++, {}, frame.data());
            const MosaicRect f = FrameFootprint(kW, kH, x, y);
            if (!canvas.Reserve(f)) {
                full = true;
                continue;
            }
            BlendFrame(&canvas, frame.data(), kW, kH, size_t(kW) * 3, x, y, &scratch);
        }
    const MosaicRect b = canvas.Bounds();
    const double mpx = b.Width() * double(b.Height()) / 1e6, mb = canvas.MemoryBytes() / 1048576.0;
    Report("mosaic of " + Fmt("%.0f", mpx) + " megapixels held in", Fmt("%.0f MB", mb) + (full ? " (budget reached)" : ""),
           "<= 400 MB", !full && mb <= 400);
    // Drawing a 1600 x 900 window: the whole mosaic fitted, and a frame's worth of it redrawn
    // after a placement; a zoomed view at full size.
    const int ww = 1600, wh = 900;
    std::vector<uint8_t> out(size_t(ww) * wh * 3);
    const uint8_t ground[3] = {40, 36, 33};
    MosaicViewport v = FitViewport(b, ww, wh, 0.02);
    auto time = [&](const MosaicViewport& view, const ViewPixels& part) {
        std::vector<double> t;
        for (int i = 0; i < 10; ++i) {
            const auto t0 = Clock::now();
            RenderMosaic(canvas, view, out.data(), size_t(ww) * 3, ww, wh, part, ground);
            t.push_back(Ms(t0, Clock::now()));
        }
        return Percentile(t, 0.5);
    };
    const double fitted = time(v, {0, 0, ww, wh});
    const double dirty = time(v, ViewOf(v, FrameFootprint(kW, kH, 5000, 4000), ww, wh));
    MosaicViewport zoomed{5000, 4000, 1.0};
    const double close = time(zoomed, {0, 0, ww, wh});
    Report("window 1600 x 900: whole mosaic drawn / one frame redrawn", Fmt("%.1f ms / %.2f ms", fitted, dirty));
    Report("window 1600 x 900 at full size drawn", Fmt("%.1f ms", close));
}

// ---- The stitcher's result ----

void StitcherResult(const std::string& file, size_t frames) {
    std::ifstream f(file);
    std::string line, key;
    int status = -2;
    double seconds = 0;
    std::set<int> used;
    while (std::getline(f, line)) {
        std::istringstream s(line);
        s >> key;
        if (key == "status") s >> status;
        if (key == "seconds") s >> seconds;
        if (key == "used")
            for (int k; s >> k;) used.insert(k);
    }
    if (status == -2) {
        Report("OpenCV stitcher (scans mode)", "could not be run");
        return;
    }
    // A stitch that failed (status other than 0) made no panorama: no frame is placed.
    Report("OpenCV stitcher (scans mode): status, frames in its panorama",
           Fmt("%.0f, %.0f of ", status, double(used.size())) + std::to_string(frames));
    Report("OpenCV stitcher time / ours (same frames, one core, CPU time)", Fmt("%.1f s / %.2f s", seconds, gOurMs / 1000));
    const double ratio = seconds / std::max(1e-9, gOurMs / 1000);
    Report("we are faster by", Fmt("%.0fx", ratio), ">= 10x", ratio >= 10);
    int missing = 0;
    for (int k : used) missing += gOurPlaced.count(k) == 0;
    Report("frames OpenCV placed that we did not", Fmt("%.0f", missing), "0", missing == 0);
}

void PrintTable() {
    size_t a = 0, b = 0, c = 0;
    for (const Row& r : gRows) {
        a = std::max(a, r.figure.size());
        b = std::max(b, r.value.size());
        c = std::max(c, r.goal.size());
    }
    std::printf("\n%-*s  %-*s  %-*s  %s\n", int(a), "figure", int(b), "measured", int(c), "goal", "met");
    for (const Row& r : gRows)
        std::printf("%-*s  %-*s  %-*s  %s\n", int(a), r.figure.c_str(), int(b), r.value.c_str(), int(c), r.goal.c_str(),
                    r.met < 0 ? "" : r.met ? "yes" : "NO");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "frames") return WriteFrames(argv[2]);
    if (argc < 3 || std::string(argv[1]) != "report") {
        std::fprintf(stderr, "usage: mosaic_bench frames DIR | report DIR [STITCHER_RESULT]\n");
        return 2;
    }
    Frames frames;
    if (!LoadFrames(argv[2], &frames)) {
        std::fprintf(stderr, "no frames in %s\n", argv[2]);
        return 1;
    }
    SlideScene slide(kSlideW, kSlideH, kSeed);
    std::fprintf(stderr, "placing on one core...\n");
    PlacementRun(frames, &slide);
    std::fprintf(stderr, "live on two threads...\n");
    LiveRun(frames);
    std::fprintf(stderr, "robustness...\n");
    RobustnessRun(&slide);
    std::fprintf(stderr, "100 megapixels...\n");
    ScaleRun(&slide);
    if (argc >= 4) StitcherResult(argv[3], frames.jpegs.size());
    PrintTable();
    return 0;
}
