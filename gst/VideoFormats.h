// The colour modes of the camera that have a GStreamer video format of their own, and the
// caps the element offers for a capture window.
#pragma once

#include <gst/gst.h>
#include <gst/video/video.h>

#include <cstddef>
#include <cstdint>

#include "CaptureWindow.h"

namespace pixora::gst {

struct VideoMode {
    int32_t bits;  // the library's colour mode, bits per pixel
    GstVideoFormat format;
    // 10-bit samples in 16-bit words, which GStreamer reads as full 16-bit values: the
    // element spreads them over the whole range (see SpreadTenBitSamples).
    bool tenBitWords;
};

// The modes in the order the element prefers them (24-bit colour first). The 48- and 64-bit
// modes are not among them: GStreamer has no packed three-word RGB format, and its four-word
// formats take the fourth word for alpha and the samples as 16-bit values.
const VideoMode* VideoModes(size_t* count);
const VideoMode* ModeOfFormat(GstVideoFormat format);
// The mode of `bits` per pixel; null for 48 and 64.
const VideoMode* ModeOfBits(int32_t bits);

// Every mode at the sizes of the ranges, in the preferred order, at any frame rate; last the
// raw 8-bit mosaic as video/x-bayer in `bayerFormat` ("grbg"), when not null.
GstCaps* CapsForSizes(const SizeRange& width, const SizeRange& height, const char* bayerFormat);
// The pad template's caps: every mode at any size, and the mosaic in any of the patterns.
GstCaps* TemplateCaps();
// Whether `caps` ask for the raw mosaic (video/x-bayer).
bool IsBayer(const GstCaps* caps);

// 10-bit samples 0..1023 in little-endian 16-bit words become 0..65535 by repeating their top
// bits below them, so that 1023 is full white; a sample is the word shifted right by 6.
void SpreadTenBitSamples(uint8_t* data, size_t bytes);

}  // namespace pixora::gst
