// The virtual microscope's prepared frames: made once each, served in a loop with the counter
// plate of the frame number spliced in (see pre_encoded.h).
#include "pre_encoded.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace {

constexpr int kQuality = 85;
constexpr int kBlockRows = 8;  // rows of one row of blocks at 4:2:2

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void OnJpegError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

// Bytes before the scan data: through the start-of-scan segment. 0 when there is none.
size_t ScanStart(const std::vector<uint8_t>& jpeg) {
    size_t pos = 2;  // after the start-of-image marker
    while (pos + 4 <= jpeg.size()) {
        if (jpeg[pos] != 0xFF) return 0;
        const uint8_t marker = jpeg[pos + 1];
        const size_t length = (size_t(jpeg[pos + 2]) << 8) | jpeg[pos + 3];
        if (marker == 0xDA) return pos + 2 + length <= jpeg.size() ? pos + 2 + length : 0;
        pos += 2 + length;
    }
    return 0;
}

// Where the scan goes on after its count-th restart marker, 0 when it has fewer. Inside scan
// data a 0xFF byte is followed by 0 (a stuffed byte), another 0xFF (fill) or a marker.
size_t AfterRestartMarkers(const std::vector<uint8_t>& jpeg, size_t from, int count) {
    for (size_t pos = from; pos + 1 < jpeg.size(); ++pos) {
        if (jpeg[pos] != 0xFF) continue;
        const uint8_t next = jpeg[pos + 1];
        if (next >= 0xD0 && next <= 0xD7 && --count == 0) return pos + 2;
        if (next != 0xFF) ++pos;
    }
    return 0;
}

}  // namespace

bool EncodeJpegWithRowMarkers(const uint8_t* bgr, int width, int height, std::vector<uint8_t>* out) {
    jpeg_compress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = OnJpegError;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, kQuality, TRUE);
    cinfo.comp_info[0].h_samp_factor = 2;  // 4:2:2, as the live camera encodes
    cinfo.comp_info[0].v_samp_factor = 1;
    cinfo.restart_in_rows = 1;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(bgr + static_cast<size_t>(cinfo.next_scanline) * width * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    out->assign(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return true;
}

PreEncodedFrames::PreEncodedFrames(const MicrometerScene& scene, bool mjpg, int count)
    : scene_(scene), mjpg_(mjpg),
      bandRows_(mjpg ? (scene.height() > kCounterBandRows + kBlockRows ? kCounterBandRows : 0)
                     : std::min(kCounterBandRows, scene.height())),
      frames_(static_cast<size_t>(count > 0 ? count : 1)) {}

PreEncodedFrames::~PreEncodedFrames() = default;

bool PreEncodedFrames::Prepare(int i) {
    Frame& f = frames_[static_cast<size_t>(i)];
    if (!f.bytes.empty()) return true;
    const int w = scene_.width(), h = scene_.height();
    bgr_.resize(static_cast<size_t>(w) * h * 3);
    scene_.RenderBgr(static_cast<uint32_t>(i), bgr_.data());
    if (mjpg_) {
        if (!EncodeJpegWithRowMarkers(bgr_.data(), w, h, &f.bytes)) return false;
        if (bandRows_ > 0) {
            f.headerBytes = ScanStart(f.bytes);
            f.tailOffset = f.headerBytes ? AfterRestartMarkers(f.bytes, f.headerBytes, bandRows_ / kBlockRows) : 0;
            if (!f.tailOffset) {
                f.bytes.clear();
                return false;
            }
        }
    } else {
        f.bytes.resize(static_cast<size_t>(w) * h * 2);
        BgrToYuy2(bgr_.data(), w, h, f.bytes.data());
    }
    f.band.assign(bgr_.begin(), bgr_.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(w) * bandRows_ * 3));
    if (i + 1 == Count()) {  // every frame is made: the whole-frame scratch is not needed again
        bgr_.clear();
        bgr_.shrink_to_fit();
    }
    return true;
}

const std::vector<uint8_t>& PreEncodedFrames::Stored(int i) {
    Prepare(i);
    return frames_[static_cast<size_t>(i)].bytes;
}

bool PreEncodedFrames::SpliceJpeg(Frame& f, uint32_t n, uint8_t* out, size_t capacity, size_t* length) {
    const int w = scene_.width();
    bandBgr_ = f.band;
    DrawFrameCounter(bandBgr_.data(), w, bandRows_, n);
    if (!EncodeJpegWithRowMarkers(bandBgr_.data(), w, bandRows_, &bandJpeg_)) return false;
    const size_t bandScan = ScanStart(bandJpeg_);
    if (!bandScan || bandJpeg_.size() < bandScan + 2) return false;
    const size_t bandData = bandJpeg_.size() - 2 - bandScan;  // without the end-of-image marker
    const size_t tail = f.bytes.size() - f.tailOffset;
    const size_t total = f.headerBytes + bandData + 2 + tail;
    if (total > capacity) return false;
    uint8_t* p = out;
    std::memcpy(p, f.bytes.data(), f.headerBytes);
    p += f.headerBytes;
    std::memcpy(p, bandJpeg_.data() + bandScan, bandData);
    p += bandData;
    // The marker that ends the band's last row, numbered as the stored frame has it there.
    *p++ = 0xFF;
    *p++ = static_cast<uint8_t>(0xD0 + ((bandRows_ / kBlockRows - 1) & 7));
    std::memcpy(p, f.bytes.data() + f.tailOffset, tail);
    *length = total;
    return true;
}

size_t PreEncodedFrames::Serve(uint32_t n, uint8_t* out, size_t capacity) {
    const int i = static_cast<int>(n % static_cast<uint32_t>(Count()));
    if (!Prepare(i)) return 0;
    Frame& f = frames_[static_cast<size_t>(i)];
    const int w = scene_.width();
    if (mjpg_) {
        if (bandRows_ == 0) {  // too small to splice: the counter is only the stored frame's
            if (f.bytes.size() > capacity) return 0;
            std::memcpy(out, f.bytes.data(), f.bytes.size());
            return f.bytes.size();
        }
        size_t length = 0;
        return SpliceJpeg(f, n, out, capacity, &length) ? length : 0;
    }
    if (f.bytes.size() > capacity) return 0;
    std::memcpy(out, f.bytes.data(), f.bytes.size());
    bandBgr_ = f.band;
    DrawFrameCounter(bandBgr_.data(), w, bandRows_, n);
    BgrToYuy2(bandBgr_.data(), w, bandRows_, out);
    return f.bytes.size();
}
