// One-frame image files through the Windows Imaging Component's encoders. The file is
// encoded in memory first and written only when the encoder took the frame as asked, so a
// pixel format the installed encoder refuses leaves no file behind.
#pragma once

#include <windows.h>

#include <wincodec.h>

#include <cstdint>
#include <functional>
#include <string>

#include "image/FileSampleLayout.h"

namespace pixora {

struct WicFrameFormat {
    GUID container;    // GUID_ContainerFormatPng, ...Jpeg, ...Tiff
    GUID pixelFormat;  // the layout the rows are handed over in
    int32_t width = 0;
    int32_t height = 0;
    uint32_t rowBytes = 0;      // bytes of one packed row in pixelFormat
    int32_t jpegQuality = -1;   // 0..100 for JPEG, else unused
    bool uncompressed = false;  // TIFF: no compression
};

enum class WicResult {
    Written,
    FormatRefused,  // the encoder would not take pixelFormat unchanged; no file was made
    Failed,
};

// The encoders' pixel format for a file layout: 8-bit colour samples handed over in blue,
// green, red order (a fourth sample as alpha), 16-bit ones in red, green, blue order.
GUID WicPixelFormatFor(const FileSampleLayout& samples);

// Fills `row` (rowBytes bytes) with output row `index`, top row first.
using WicRowFiller = std::function<void(int32_t index, uint8_t* row)>;

// True when the installed PNG encoder stores 16-bit samples with their bytes as they lie
// in memory rather than turning them into PNG's most significant byte first (some
// implementations do); found once per process by a round trip through the encoder and the
// decoder, the decoder first checked against a known file.
bool PngEncoderKeepsWordBytes();

// The reason given for a file the encoder could not write.
std::string WicFailureText(const char* path);

WicResult EncodeWithWic(const char* path, const WicFrameFormat& format, const WicRowFiller& fill);

}  // namespace pixora
