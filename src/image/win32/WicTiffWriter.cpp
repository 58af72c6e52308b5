// TIFF output: uncompressed, top row first, with the samples of the libtiff writer (16-bit
// gray shifted up by 4 bits, 16-bit colour by 6, blue and red swapped, a fourth byte 0 or a
// fourth word 0xFFFF). The imaging component's encoder writes gray 8-bit and the colour
// layouts whose file means the same as the other platforms' files; 16-bit gray, which that
// encoder may not offer, and 8-bit RGB with a fourth sample of 0, which it could only
// store as a fully transparent alpha, go through the plain TIFF writer.
#include <cstring>

#include "image/FileEncoders.h"
#include "image/win32/PlainTiffFile.h"
#include "image/win32/WicEncoder.h"

namespace pixora {

namespace {

uint16_t Load16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

void Store16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

// One row of `width` pixels of the source depth into the file's samples.
void ConvertRow(uint8_t* d, const uint8_t* s, int32_t width, uint16_t bytesPerPixel) {
    const auto count = static_cast<size_t>(width);
    switch (bytesPerPixel) {
        case 2:
            for (size_t x = 0; x < count; ++x)
                Store16(d + 2 * x, static_cast<uint32_t>(Load16(s + 2 * x)) << 4);
            return;
        case 4:
            for (size_t x = 0; x < count; ++x, d += 4, s += 4) {
                d[0] = s[2];
                d[1] = s[1];
                d[2] = s[0];
                d[3] = 0;
            }
            return;
        case 6:
        case 8:
            for (size_t x = 0; x < count; ++x, d += bytesPerPixel, s += bytesPerPixel) {
                const uint32_t blue = Load16(s);
                Store16(d, static_cast<uint32_t>(Load16(s + 4)) << 6);
                Store16(d + 2, static_cast<uint32_t>(Load16(s + 2)) << 6);
                Store16(d + 4, blue << 6);
                if (bytesPerPixel == 8)
                    Store16(d + 6, 0xFFFF);
            }
            return;
        default:
            // 8-bit gray, and 24-bit B, G, R, which the encoder takes in that order.
            std::memcpy(d, s, count * bytesPerPixel);
            return;
    }
}

}  // namespace

int32_t EncodeTiffFile(const char* path, const ImageBuffer* image, const FileSampleLayout& samples,
                       std::string* why) {
    const uint16_t bytesPerPixel = image->BytesPerPixel();
    const auto rowBytes = static_cast<uint32_t>(image->Width()) * bytesPerPixel;
    const uint8_t* bits = image->Bits();
    const auto stride = static_cast<size_t>(image->Stride());
    auto convertRow = [&](size_t r, uint8_t* row) {
        ConvertRow(row, bits + r * stride, image->Width(), bytesPerPixel);
    };

    // 8-bit RGB with a fourth sample goes to the plain writer (see above).
    if (samples.bitsPerSample == 16 || !samples.HasFourthSample()) {
        WicFrameFormat format{};
        format.container = GUID_ContainerFormatTiff;
        format.pixelFormat = WicPixelFormatFor(samples);
        format.width = image->Width();
        format.height = image->Height();
        format.rowBytes = rowBytes;
        format.uncompressed = true;
        const WicResult result = EncodeWithWic(path, format, [&](int32_t r, uint8_t* row) {
            convertRow(static_cast<size_t>(r), row);
        });
        if (result != WicResult::FormatRefused) {
            if (result != WicResult::Written && why != nullptr)
                *why = WicFailureText(path);
            return result == WicResult::Written ? 1 : 0;
        }
    }
    PlainTiffLayout plain{};
    plain.width = static_cast<uint32_t>(image->Width());
    plain.height = static_cast<uint32_t>(image->Height());
    plain.bitsPerSample = samples.bitsPerSample;
    plain.samplesPerPixel = samples.samplesPerPixel;
    const bool written =
        WritePlainTiff(path, plain, [&](uint32_t r, uint8_t* row) { convertRow(r, row); });
    if (!written && why != nullptr)
        *why = WicFailureText(path);
    return written ? 1 : 0;
}

}  // namespace pixora
