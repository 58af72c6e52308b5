// A rectangle of pixels: its top-left corner and its size. The camera's capture window,
// a preview window's place and a dialog's place on the screen are all one.
#pragma once

#include <cstdint>

namespace pixora {

struct Rect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

}  // namespace pixora
