// What every window surface shares: the sizes and frames it accepts, and walking a
// SurfaceFrame from its top screen row down, whatever its memory order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "preview/WindowSurface.h"

namespace pixora::surface_detail {

// Largest window side the surfaces accept, as X11 does.
inline constexpr int32_t kMaxSurfaceSide = 32767;

// A client size every surface can have (0 is an empty client area).
inline bool SurfaceSizeAcceptable(int32_t width, int32_t height) {
    return width >= 0 && height >= 0 && width <= kMaxSurfaceSide && height <= kMaxSurfaceSide;
}

// Pixels, a positive size, 8, 24 or 32 bits per pixel and rows at least that long. Every
// surface draws 8 and 24 bits; 32 only the Win32 surface, whose GDI takes them as they are.
inline bool FrameHasRows(const SurfaceFrame& frame) {
    if (frame.pixels == nullptr || frame.width <= 0 || frame.height <= 0) {
        return false;
    }
    if (frame.bitsPerPixel != 8 && frame.bitsPerPixel != 24 && frame.bitsPerPixel != 32) {
        return false;
    }
    return static_cast<int64_t>(frame.stride) >=
           static_cast<int64_t>(frame.width) * (frame.bitsPerPixel / 8);
}

// A frame of 8 or 24 bits per pixel that the surfaces can draw.
inline bool FrameIsUsable(const SurfaceFrame& frame) {
    return FrameHasRows(frame) && frame.bitsPerPixel != 32;
}

// Memory row of screen row `row` (0 = top).
inline const uint8_t* ScreenRow(const SurfaceFrame& frame, int32_t row) {
    const int32_t memoryRow = frame.lastRowOnTop ? frame.height - 1 - row : row;
    return frame.pixels + static_cast<ptrdiff_t>(memoryRow) * frame.stride;
}

// Blue, green, red of pixel `x` of a screen row.
inline void PixelBgr(const SurfaceFrame& frame, const uint8_t* row, int32_t x, uint8_t* bgr) {
    if (frame.bitsPerPixel == 8) {
        bgr[0] = bgr[1] = bgr[2] = row[x];
    } else {
        const uint8_t* p = row + static_cast<ptrdiff_t>(x) * 3;
        bgr[0] = p[0];
        bgr[1] = p[1];
        bgr[2] = p[2];
    }
}

}  // namespace pixora::surface_detail
