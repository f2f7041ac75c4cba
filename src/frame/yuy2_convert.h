// Packed YUY2 (Y0 U Y1 V per pixel pair) to the BGR DisplayFrame, with full-range BT.601
// coefficients scaled by 16384 and an arithmetic shift by 14; the luma is used as it is.
// All versions give the same bytes; ConvertYuy2ToBgr picks the fastest the processor runs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/channel_gains.h"
#include "frame/display_frame.h"

// Source bytes the converter reads for width x height pixels: whole pixel pairs, so an odd pixel
// count needs the pair of its last pixel (2 bytes more). 0 for an empty or oversized frame.
size_t Yuy2SampleBytes(int width, int height);

// Converts width x height pixels; source must hold Yuy2SampleBytes(width, height) bytes and
// target DisplayFrameBytes(width, height). Writes exactly width * height pixels. The balanced
// form applies the white balance on the way, before the bytes are packed, so it costs a few
// multiplications per block rather than another pass over the frame; the result is exactly
// that of converting and then applying ApplyChannelGains.
void ConvertYuy2ToBgr(const uint8_t* source, int width, int height, DisplayFrame* target);
void ConvertYuy2ToBgrBalanced(const uint8_t* source, int width, int height, DisplayFrame* target, const ChannelGains& gains);

// The individual versions, for tests and benchmarks. The AVX2 ones may only be called when
// CpuHasAvx2() says so.
void ConvertYuy2ToBgrScalar(const uint8_t* source, int width, int height, DisplayFrame* target);
void ConvertYuy2ToBgrSse2(const uint8_t* source, int width, int height, DisplayFrame* target);
void ConvertYuy2ToBgrAvx2(const uint8_t* source, int width, int height, DisplayFrame* target);
void ConvertYuy2ToBgrBalancedSse2(const uint8_t* source, int width, int height, DisplayFrame* target,
                                  const ChannelGains& gains);
void ConvertYuy2ToBgrBalancedAvx2(const uint8_t* source, int width, int height, DisplayFrame* target,
                                  const ChannelGains& gains);
