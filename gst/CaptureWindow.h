// The capture window's controls as the library describes them: the sizes the caps offer from
// the window's start, and the window of an open camera.
#pragma once

#include <cstdint>
#include <optional>

#include "PixoraExtensions.h"
#include "PixoraSdk_530TZ.h"

namespace pixora::gst {

// The values one side of the window takes: minimum, minimum + step, ... up to maximum.
struct SizeRange {
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t step = 1;
};

// The four controls of the window; null when this library describes no window.
struct WindowControls {
    PixoraControlInfo x;
    PixoraControlInfo y;
    PixoraControlInfo width;
    PixoraControlInfo height;
};
const WindowControls* Window();

// The widths and heights that fit on the sensor from the start of `camera`'s window, as its
// offset controls read now; empty without a window or when they cannot be read.
struct WindowSizes {
    int32_t x = 0;  // the start the sizes were taken from
    int32_t y = 0;
    SizeRange width;
    SizeRange height;
};
std::optional<WindowSizes> SizesFromStart(PIXORA_HANDLE camera);

}  // namespace pixora::gst
