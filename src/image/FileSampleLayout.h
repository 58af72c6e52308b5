// How the TIFF and PNG files store an image of each depth, the same whichever encoder
// writes them (libtiff and libpng, or the system's encoders): one gray sample, three
// colour samples, or three and a fourth (TIFF: an extra sample without meaning; PNG:
// alpha). The 16-bit depths (16, 48 and 64 bits per pixel) store 16-bit samples, the
// others 8-bit ones.
#pragma once

#include <cstdint>

namespace pixora {

struct FileSampleLayout {
    uint16_t bitsPerSample = 0;    // 8 or 16
    uint16_t samplesPerPixel = 0;  // 1, 3 or 4

    uint16_t BitsPerPixel() const { return static_cast<uint16_t>(bitsPerSample * samplesPerPixel); }
    bool IsGray() const { return samplesPerPixel == 1; }
    bool HasFourthSample() const { return samplesPerPixel == 4; }
};

// The layout for an image of `bitsPerPixel` (8, 16, 24, 32, 48 or 64); false, leaving
// *layout unchanged, for any other.
bool FileSampleLayoutFor(uint32_t bitsPerPixel, FileSampleLayout* layout);

}  // namespace pixora
