// Frames the virtual microscope prepares once and then serves in a loop, so that streaming
// costs the camera little more than a copy per frame: the measurements of the program's own
// cost then leave the camera out. The frame counter still counts: MJPG frames carry a restart
// marker after every row of blocks, so the top rows (the counter plate) are encoded afresh for
// each frame and spliced in front of the stored rest; YUY2 frames get the plate's rows packed
// over the stored ones. Portable code, no Windows headers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "picture.h"

class PreEncodedFrames {
public:
    PreEncodedFrames(const MicrometerScene& scene, bool mjpg, int count);
    ~PreEncodedFrames();
    PreEncodedFrames(const PreEncodedFrames&) = delete;
    PreEncodedFrames& operator=(const PreEncodedFrames&) = delete;

    int Count() const { return static_cast<int>(frames_.size()); }
    bool Mjpg() const { return mjpg_; }

    // Writes frame number n into out: stored frame n % Count() (made the first time it is asked
    // for) with the counter plate of n. Returns its length, 0 when it cannot be made or does
    // not fit in capacity.
    size_t Serve(uint32_t n, uint8_t* out, size_t capacity);

    // Stored frame i as prepared (made now if it was not yet), its counter plate showing i.
    const std::vector<uint8_t>& Stored(int i);

private:
    struct Frame {
        std::vector<uint8_t> bytes;  // a whole JPEG, or the YUY2 picture
        std::vector<uint8_t> band;   // BGR of the top kCounterBandRows rows, plate included
        size_t headerBytes = 0;      // JPEG: bytes before the scan data
        size_t tailOffset = 0;       // JPEG: where the rows below the band start
    };
    bool Prepare(int i);
    bool SpliceJpeg(Frame& f, uint32_t n, uint8_t* out, size_t capacity, size_t* length);

    const MicrometerScene& scene_;
    const bool mjpg_;
    const int bandRows_;  // rows given to the counter plate: kCounterBandRows, or 0 for tiny frames
    std::vector<Frame> frames_;
    std::vector<uint8_t> bgr_;      // scratch: a whole frame, while preparing
    std::vector<uint8_t> bandBgr_;  // scratch: the band of the frame being served
    std::vector<uint8_t> bandJpeg_;
};

// Encodes a BGR picture (stride width * 3) as a JPEG 4:2:2 at quality 85 with a restart marker
// after every row of blocks. False when the encoder fails.
bool EncodeJpegWithRowMarkers(const uint8_t* bgr, int width, int height, std::vector<uint8_t>* out);
