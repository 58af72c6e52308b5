#include "preview/linux/X11PixelFormat.h"

#include <X11/Xutil.h>

#include <cstddef>
#include <cstdint>

#include "preview/WindowSurfaceRows.h"

namespace pixora {
namespace {

// Where an 8-bit channel goes in a pixel value: shift of the mask's lowest bit and its
// width in bits.
struct Channel {
    int shift = 0;
    int bits = 0;
};

Channel ChannelOf(unsigned long mask) {
    Channel channel;
    if (mask == 0) {
        return channel;
    }
    while ((mask & 1UL) == 0) {
        mask >>= 1;
        ++channel.shift;
    }
    while ((mask & 1UL) != 0) {
        mask >>= 1;
        ++channel.bits;
    }
    return channel;
}

unsigned long Place(uint8_t value, const Channel& channel) {
    unsigned long v = value;
    if (channel.bits < 8) {
        v >>= (8 - channel.bits);
    } else if (channel.bits > 8) {
        v = (v << (channel.bits - 8)) | (v >> (16 - channel.bits));
    }
    return v << channel.shift;
}

uint8_t Take(unsigned long pixel, const Channel& channel) {
    if (channel.bits == 0) {
        return 0;
    }
    const unsigned long v = (pixel >> channel.shift) & ((1UL << channel.bits) - 1);
    if (channel.bits >= 8) {
        return static_cast<uint8_t>(v >> (channel.bits - 8));
    }
    // Spread the few bits over the whole byte so that full intensity reads 255.
    unsigned long spread = 0;
    int filled = 0;
    while (filled < 8) {
        spread = (spread << channel.bits) | v;
        filled += channel.bits;
    }
    return static_cast<uint8_t>(spread >> (filled - 8));
}

// The common case: 32 bits per pixel, 8 bits per channel at bytes 0, 1, 2 (blue, green,
// red) in memory.
bool IsBgrx32(const XImage* image) {
    return image->bits_per_pixel == 32 && image->byte_order == LSBFirst &&
           image->red_mask == 0xFF0000 && image->green_mask == 0xFF00 && image->blue_mask == 0xFF;
}

}  // namespace

bool X11VisualIsTrueColor(const Visual* visual) {
    // The class member is c_class in C++.
    return visual != nullptr && (visual->c_class == TrueColor || visual->c_class == DirectColor);
}

void X11PackFrame(const SurfaceFrame& frame, int width, int height, XImage* image) {
    if (IsBgrx32(image)) {
        for (int y = 0; y < height; ++y) {
            const uint8_t* source = surface_detail::ScreenRow(frame, y);
            auto* dest = reinterpret_cast<uint8_t*>(image->data) +
                         static_cast<ptrdiff_t>(y) * image->bytes_per_line;
            if (frame.bitsPerPixel == 24) {
                for (int x = 0; x < width; ++x) {
                    dest[0] = source[0];
                    dest[1] = source[1];
                    dest[2] = source[2];
                    dest[3] = 0;
                    dest += 4;
                    source += 3;
                }
            } else {
                for (int x = 0; x < width; ++x) {
                    dest[0] = dest[1] = dest[2] = source[x];
                    dest[3] = 0;
                    dest += 4;
                }
            }
        }
        return;
    }
    const Channel red = ChannelOf(image->red_mask);
    const Channel green = ChannelOf(image->green_mask);
    const Channel blue = ChannelOf(image->blue_mask);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = surface_detail::ScreenRow(frame, y);
        for (int x = 0; x < width; ++x) {
            uint8_t bgr[3];
            surface_detail::PixelBgr(frame, row, x, bgr);
            XPutPixel(image, x, y, Place(bgr[2], red) | Place(bgr[1], green) | Place(bgr[0], blue));
        }
    }
}

void X11UnpackImage(XImage* image, SurfacePicture& out) {
    out.width = image->width;
    out.height = image->height;
    out.bgr.assign(static_cast<size_t>(image->width) * static_cast<size_t>(image->height) * 3, 0);
    uint8_t* dest = out.bgr.data();
    if (IsBgrx32(image)) {
        for (int y = 0; y < image->height; ++y) {
            const auto* source = reinterpret_cast<const uint8_t*>(image->data) +
                                 static_cast<ptrdiff_t>(y) * image->bytes_per_line;
            for (int x = 0; x < image->width; ++x) {
                dest[0] = source[0];
                dest[1] = source[1];
                dest[2] = source[2];
                dest += 3;
                source += 4;
            }
        }
        return;
    }
    const Channel red = ChannelOf(image->red_mask);
    const Channel green = ChannelOf(image->green_mask);
    const Channel blue = ChannelOf(image->blue_mask);
    for (int y = 0; y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            dest[0] = Take(pixel, blue);
            dest[1] = Take(pixel, green);
            dest[2] = Take(pixel, red);
            dest += 3;
        }
    }
}

}  // namespace pixora
