// A baseline TIFF file of one uncompressed strip, written directly: for the layouts the
// imaging component's TIFF encoder cannot store as the other platforms' files are (16-bit
// gray; four 8-bit samples whose fourth is no alpha).
#pragma once

#include <cstdint>
#include <functional>

namespace pixora {

struct PlainTiffLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bitsPerSample = 8;    // 8 or 16
    uint16_t samplesPerPixel = 1;  // 1 gray (black is zero), 3 RGB, 4 RGB and a fourth
                                   // sample declared unspecified
};

// Fills one packed row (width x samples x bytes per sample), top row first; 16-bit samples
// in little-endian order, which is the byte order of the file.
using PlainTiffRowFiller = std::function<void(uint32_t index, uint8_t* row)>;

// True when the whole file was written.
bool WritePlainTiff(const char* path, const PlainTiffLayout& layout,
                    const PlainTiffRowFiller& fill);

}  // namespace pixora
