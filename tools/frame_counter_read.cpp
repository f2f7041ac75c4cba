// frame_counter_read WIDTH HEIGHT: reads raw 24-bit BGR frames of WIDTH x HEIGHT from standard
// input (as `ffmpeg -vf crop=112:32:0:0 -f rawvideo -pix_fmt bgr24 -` writes them) and prints
// the virtual microscope's frame counter of each on a line of its own, -1 where none can be read.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "testcam/frame_counter_reader.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: frame_counter_read WIDTH HEIGHT < frames.bgr\n");
        return 2;
    }
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return 2;
    std::vector<unsigned char> frame(size_t(width) * height * 3);
    while (std::fread(frame.data(), 1, frame.size(), stdin) == frame.size())
        std::printf("%lld\n", static_cast<long long>(ReadFrameCounter(frame.data(), width, height)));
    return 0;
}
