#include "image/ConversionKernels.h"

#include "image/KernelRows.h"

namespace pixora {

using kernel_detail::ForEachPixel;
using kernel_detail::Load16;
using kernel_detail::Reduce;
using kernel_detail::Store16;

namespace {

void CopyBgr(uint8_t* d, const uint8_t* s) {
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
}

void Gray16ToGray8(uint8_t* d, const uint8_t* s) {
    d[0] = Reduce(s);
}

void Color16ToBgr(uint8_t* d, const uint8_t* s) {
    d[0] = Reduce(s);
    d[1] = Reduce(s + 2);
    d[2] = Reduce(s + 4);
}

}  // namespace

int32_t Luma24To8(uint8_t* dest, const uint8_t* source, const PixelRect* sourceRect, int32_t destX,
                  int32_t destY, uint16_t destBytesPerPixel, uint16_t sourceBytesPerPixel,
                  int32_t destStride, int32_t sourceStride, void*, void*) {
    return ForEachPixel<false>(
        dest, source, sourceRect, destX, destY, destBytesPerPixel, sourceBytesPerPixel, destStride,
        sourceStride, [](uint8_t* d, const uint8_t* s) {
            d[0] = static_cast<uint8_t>((59 * s[1] + 30 * s[2] + 11 * s[0]) / 100);
        });
}

int32_t Copy32To24(uint8_t* dest, const uint8_t* source, const PixelRect* sourceRect, int32_t destX,
                   int32_t destY, uint16_t destBytesPerPixel, uint16_t sourceBytesPerPixel,
                   int32_t destStride, int32_t sourceStride, void*, void*) {
    return ForEachPixel<false>(dest, source, sourceRect, destX, destY, destBytesPerPixel,
                               sourceBytesPerPixel, destStride, sourceStride, CopyBgr);
}

int32_t FlipCopyTo24(uint8_t* dest, const uint8_t* source, const PixelRect* sourceRect,
                     int32_t destX, int32_t destY, uint16_t destBytesPerPixel,
                     uint16_t sourceBytesPerPixel, int32_t destStride, int32_t sourceStride, void*,
                     void*) {
    return ForEachPixel<true>(dest, source, sourceRect, destX, destY, destBytesPerPixel,
                              sourceBytesPerPixel, destStride, sourceStride, CopyBgr);
}

int32_t Gray16To8(uint8_t* dest, const uint8_t* source, const PixelRect* sourceRect, int32_t destX,
                  int32_t destY, uint16_t destBytesPerPixel, uint16_t sourceBytesPerPixel,
                  int32_t destStride, int32_t sourceStride, void*, void*) {
    return ForEachPixel<false>(dest, source, sourceRect, destX, destY, destBytesPerPixel,
                               sourceBytesPerPixel, destStride, sourceStride, Gray16ToGray8);
}

int32_t Gray16To8Flipped(uint8_t* dest, const uint8_t* source, const PixelRect* sourceRect,
                         int32_t destX, int32_t destY, uint16_t destBytesPerPixel,
                         uint16_t sourceBytesPerPixel, int32_t destStride, int32_t sourceStride,
                         void*, void*) {
    return ForEachPixel<true>(dest, source, sourceRect, destX, destY, destBytesPerPixel,
                              sourceBytesPerPixel, destStride, sourceStride, Gray16ToGray8);
}

int32_t Color16To24(uint8_t* dest, const uint8_t* source, const PixelRect* sourceRect,
                    int32_t destX, int32_t destY, uint16_t destBytesPerPixel,
                    uint16_t sourceBytesPerPixel, int32_t destStride, int32_t sourceStride, void*,
                    void*) {
    return ForEachPixel<false>(dest, source, sourceRect, destX, destY, destBytesPerPixel,
                               sourceBytesPerPixel, destStride, sourceStride, Color16ToBgr);
}

int32_t Color16To24Flipped(uint8_t* dest, const uint8_t* source, const PixelRect* sourceRect,
                           int32_t destX, int32_t destY, uint16_t destBytesPerPixel,
                           uint16_t sourceBytesPerPixel, int32_t destStride, int32_t sourceStride,
                           void*, void*) {
    return ForEachPixel<true>(dest, source, sourceRect, destX, destY, destBytesPerPixel,
                              sourceBytesPerPixel, destStride, sourceStride, Color16ToBgr);
}

int32_t SwapToRgb(uint8_t* dest, const uint8_t* source, const PixelRect* sourceRect, int32_t destX,
                  int32_t destY, uint16_t destBytesPerPixel, uint16_t sourceBytesPerPixel,
                  int32_t destStride, int32_t sourceStride, void*, void*) {
    if (destBytesPerPixel >= 4) {
        return ForEachPixel<false>(dest, source, sourceRect, destX, destY, destBytesPerPixel,
                                   sourceBytesPerPixel, destStride, sourceStride,
                                   [](uint8_t* d, const uint8_t* s) {
                                       const uint8_t blue = s[0];
                                       d[0] = s[2];
                                       d[1] = s[1];
                                       d[2] = blue;
                                       d[3] = 0;
                                   });
    }
    return ForEachPixel<false>(dest, source, sourceRect, destX, destY, destBytesPerPixel,
                               sourceBytesPerPixel, destStride, sourceStride,
                               [](uint8_t* d, const uint8_t* s) {
                                   const uint8_t blue = s[0];
                                   d[0] = s[2];
                                   d[1] = s[1];
                                   d[2] = blue;
                               });
}

int32_t ComplementAlpha32(uint8_t* dest, const uint8_t* source, const PixelRect* sourceRect,
                          int32_t destX, int32_t destY, uint16_t destBytesPerPixel,
                          uint16_t sourceBytesPerPixel, int32_t destStride, int32_t sourceStride,
                          void*, void*) {
    return ForEachPixel<false>(dest, source, sourceRect, destX, destY, destBytesPerPixel,
                               sourceBytesPerPixel, destStride, sourceStride,
                               [](uint8_t* d, const uint8_t* s) {
                                   CopyBgr(d, s);
                                   d[3] = static_cast<uint8_t>(255 - s[3]);
                               });
}

int32_t ScaleGray16(uint8_t* dest, const uint8_t* source, const PixelRect* sourceRect,
                    int32_t destX, int32_t destY, uint16_t destBytesPerPixel,
                    uint16_t sourceBytesPerPixel, int32_t destStride, int32_t sourceStride, void*,
                    void*) {
    return ForEachPixel<false>(
        dest, source, sourceRect, destX, destY, destBytesPerPixel, sourceBytesPerPixel, destStride,
        sourceStride,
        [](uint8_t* d, const uint8_t* s) { Store16(d, static_cast<uint32_t>(Load16(s)) << 4); });
}

namespace {

template <bool Swap>
int32_t ScaleColor(uint8_t* dest, const uint8_t* source, const PixelRect* rect, int32_t destX,
                   int32_t destY, uint16_t destBpp, uint16_t sourceBpp, int32_t destStride,
                   int32_t sourceStride) {
    const bool withFourth = destBpp >= 8;
    return ForEachPixel<false>(dest, source, rect, destX, destY, destBpp, sourceBpp, destStride,
                               sourceStride, [withFourth](uint8_t* d, const uint8_t* s) {
                                   const uint32_t b = static_cast<uint32_t>(Load16(s)) << 6;
                                   const uint32_t g = static_cast<uint32_t>(Load16(s + 2)) << 6;
                                   const uint32_t r = static_cast<uint32_t>(Load16(s + 4)) << 6;
                                   Store16(d, Swap ? r : b);
                                   Store16(d + 2, g);
                                   Store16(d + 4, Swap ? b : r);
                                   if (withFourth) {
                                       Store16(d + 6, 0xFFFF);
                                   }
                               });
}

}  // namespace

int32_t ScaleColor16(uint8_t* dest, const uint8_t* source, const PixelRect* sourceRect,
                     int32_t destX, int32_t destY, uint16_t destBytesPerPixel,
                     uint16_t sourceBytesPerPixel, int32_t destStride, int32_t sourceStride, void*,
                     void*) {
    return ScaleColor<false>(dest, source, sourceRect, destX, destY, destBytesPerPixel,
                             sourceBytesPerPixel, destStride, sourceStride);
}

int32_t ScaleColor16Swapped(uint8_t* dest, const uint8_t* source, const PixelRect* sourceRect,
                            int32_t destX, int32_t destY, uint16_t destBytesPerPixel,
                            uint16_t sourceBytesPerPixel, int32_t destStride, int32_t sourceStride,
                            void*, void*) {
    return ScaleColor<true>(dest, source, sourceRect, destX, destY, destBytesPerPixel,
                            sourceBytesPerPixel, destStride, sourceStride);
}

}  // namespace pixora
