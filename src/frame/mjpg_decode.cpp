// One decompressor per frame: creating it costs next to nothing beside the decode itself. The
// frame is decoded through libjpeg-turbo's libjpeg interface with an error manager of our own:
// a warning raised before a fatal error must not make the fatal error look like a warning (the
// TurboJPEG calls report both alike), and a frame counts only when every row was written.
#include "frame/mjpg_decode.h"

#include <climits>
#include <csetjmp>
#include <cstdio>  // libjpeg's headers use FILE and size_t without including their own

#include <jpeglib.h>
#include <jerror.h>

namespace {

struct DecodeErrors {
    jpeg_error_mgr manager;  // first: libjpeg hands back a pointer to it
    std::jmp_buf fatal;
    bool cutShort = false;   // the data ended before the picture (the rest would be grey)
};

DecodeErrors* ErrorsOf(j_common_ptr info) { return reinterpret_cast<DecodeErrors*>(info->err); }

// A fatal error: leave the decode; nothing after it is trusted.
[[noreturn]] void OnFatal(j_common_ptr info) { std::longjmp(ErrorsOf(info)->fatal, 1); }

// Warnings (level -1) and traces: nothing is printed. Warnings leave a whole picture, except
// the two for compressed data that ended before the picture did: the file ran out (libjpeg
// papers over it with a made-up end of image), or the data stopped at a marker (a frame damaged
// on its way, or one whose end marker came early). The rows after either are made up.
void OnMessage(j_common_ptr info, int level) {
    if (level < 0 && (info->err->msg_code == JWRN_JPEG_EOF || info->err->msg_code == JWRN_HIT_MARKER))
        ErrorsOf(info)->cutShort = true;
}

// Where the first scan's compressed data begins, past the header segments read as the decoder
// reads them (bytes before a marker and fill bytes skipped); 0 when there is no scan.
size_t FirstScanStart(const uint8_t* b, size_t length) {
    if (length < 4 || b[0] != 0xFF || b[1] != 0xD8) return 0;
    size_t at = 2;
    while (at < length) {
        while (at < length && b[at] != 0xFF) ++at;
        while (at < length && b[at] == 0xFF) ++at;
        if (at >= length) return 0;
        const uint8_t marker = b[at++];
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9)) continue;  // no segment
        if (length - at < 2) return 0;
        const size_t segment = size_t(b[at]) << 8 | b[at + 1];
        if (segment < 2 || length - at < segment) return 0;
        at += segment;
        if (marker == 0xDA) return at;
    }
    return 0;
}

}  // namespace

size_t JpegDataLength(const uint8_t* buffer, size_t length) {
    if (!buffer) return 0;
    const size_t scan = FirstScanStart(buffer, length);
    if (scan == 0) return 0;
    for (size_t i = length; i-- > scan + 1;)
        if (buffer[i] == 0xD9 && buffer[i - 1] == 0xFF) return i + 1;
    return 0;
}

bool DecodeMjpg(const uint8_t* buffer, size_t length, int width, int height, DisplayFrame* target,
                const ChannelGains& gains) {
    if (!buffer || !target || length == 0 || length > ULONG_MAX || DisplayFrameBytes(width, height) == 0) return false;
    if (uint64_t(width) * 3 > INT_MAX) return false;
    if (JpegDataLength(buffer, length) == 0) return false;  // cut short: the rest would be made up

    jpeg_decompress_struct info;
    DecodeErrors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = OnFatal;
    errors.manager.emit_message = OnMessage;
    // Nothing between here and the calls below has a destructor, so leaving by longjmp is safe.
    if (setjmp(errors.fatal)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, buffer, static_cast<unsigned long>(length));
    jpeg_read_header(&info, TRUE);
    if (info.image_width != JDIMENSION(width) || info.image_height != JDIMENSION(height)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_EXT_BGR;  // top-down rows, default decoding, as TJPF_BGR gives
    jpeg_start_decompress(&info);
    const size_t pitch = size_t(width) * 3;
    // The gains go over the rows a few at a time, while they are still in the cache.
    constexpr JDIMENSION kGainRows = 8;
    JDIMENSION balanced = 0;  // rows the gains went over
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = target + info.output_scanline * pitch;
        jpeg_read_scanlines(&info, &row, 1);
        if (info.output_scanline - balanced >= kGainRows || info.output_scanline == info.output_height) {
            ApplyChannelGains(target + balanced * pitch, size_t(info.output_scanline - balanced) * size_t(width), gains);
            balanced = info.output_scanline;
        }
    }
    // Every row was written (a fatal error would have left through OnFatal before).
    const bool whole = info.output_scanline == JDIMENSION(height) && !errors.cutShort;
    jpeg_destroy_decompress(&info);
    return whole;
}
