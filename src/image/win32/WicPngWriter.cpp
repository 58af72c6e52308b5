// PNG output through the imaging component's PNG encoder, with the layouts and sample
// values of the libpng writer: gray, RGB or RGB with alpha, 8 or 16 bits per sample.
#include <cstring>

#include "image/FileEncoders.h"
#include "image/win32/WicEncoder.h"

namespace pixora {

namespace {

// Blue-green-red words to red-green-blue; the words keep their little-endian byte order,
// which is the encoder's input order for 16-bit samples.
void SwapWordsToRgb(uint8_t* dest, const uint8_t* source, int32_t width, int samples) {
    const size_t pixelBytes = static_cast<size_t>(samples) * 2;
    for (int32_t x = 0; x < width; ++x) {
        const uint8_t* s = source + static_cast<size_t>(x) * pixelBytes;
        uint8_t* d = dest + static_cast<size_t>(x) * pixelBytes;
        std::memcpy(d, s + 4, 2);
        std::memcpy(d + 2, s + 2, 2);
        std::memcpy(d + 4, s, 2);
        if (samples == 4)
            std::memcpy(d + 6, s + 6, 2);
    }
}

// Most significant byte first, for an encoder that stores the bytes as given.
void SwapWordBytes(uint8_t* row, size_t bytes) {
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        const uint8_t low = row[i];
        row[i] = row[i + 1];
        row[i + 1] = low;
    }
}

}  // namespace

int32_t EncodePngFile(const char* path, const uint8_t* pixels, int32_t width, int32_t height,
                      const FileSampleLayout& samples, std::string* why) {
    WicFrameFormat format{};
    format.pixelFormat = WicPixelFormatFor(samples);
    format.container = GUID_ContainerFormatPng;
    format.width = width;
    format.height = height;
    format.rowBytes = static_cast<uint32_t>(width) * (samples.BitsPerPixel() / 8u);
    // Rows lie at the ImageBuffer stride: whole pixels padded to four bytes.
    const size_t stride = (static_cast<size_t>(format.rowBytes) + 3) & ~size_t{3};
    const bool wordsSwapped = samples.bitsPerSample == 16 && !samples.IsGray();
    const bool swapBytes = samples.bitsPerSample == 16 && PngEncoderKeepsWordBytes();
    const WicResult result = EncodeWithWic(path, format, [&](int32_t r, uint8_t* row) {
        const uint8_t* source = pixels + static_cast<size_t>(r) * stride;
        if (wordsSwapped)
            SwapWordsToRgb(row, source, width, samples.samplesPerPixel);
        else
            std::memcpy(row, source, format.rowBytes);
        if (swapBytes)
            SwapWordBytes(row, format.rowBytes);
    });
    if (result != WicResult::Written && why != nullptr)
        *why = WicFailureText(path);
    return result == WicResult::Written ? 1 : 0;
}

}  // namespace pixora
