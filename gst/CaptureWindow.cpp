#include "CaptureWindow.h"

#include <algorithm>

namespace pixora::gst {

namespace {

std::optional<PixoraControlInfo> Named(const char* name) {
    PixoraControlInfo info{};
    info.size = sizeof info;
    if (PixoraEx_GetControlInfo(PixoraEx_FindControl(name), &info) != 1)
        return std::nullopt;
    return info;
}

// A side of `size` that starts at `start`: from the control's minimum to what is left of the
// sensor (the control's maximum is the sensor's side), on the control's steps.
SizeRange Fitting(const PixoraControlInfo& size, int32_t start) {
    SizeRange range;
    range.step = std::max(size.step, 1);
    range.minimum = size.minimum;
    const int32_t left = std::max(size.maximum - std::max(start, 0), size.minimum);
    range.maximum = size.minimum + (left - size.minimum) / range.step * range.step;
    return range;
}

}  // namespace

const WindowControls* Window() {
    // The window as a whole is this file's subject, so it names its four controls; their
    // ranges are the library's.
    static const std::optional<WindowControls> controls = []() -> std::optional<WindowControls> {
        const auto x = Named("offset-x");
        const auto y = Named("offset-y");
        const auto width = Named("width");
        const auto height = Named("height");
        if (!x || !y || !width || !height)
            return std::nullopt;
        return WindowControls{*x, *y, *width, *height};
    }();
    return controls ? &*controls : nullptr;
}

std::optional<WindowSizes> SizesFromStart(PIXORA_HANDLE camera) {
    const WindowControls* window = Window();
    WindowSizes sizes;
    if (window == nullptr || camera == nullptr ||
        PixoraEx_GetControl(camera, window->x.id, &sizes.x) != 1 ||
        PixoraEx_GetControl(camera, window->y.id, &sizes.y) != 1)
        return std::nullopt;
    sizes.width = Fitting(window->width, sizes.x);
    sizes.height = Fitting(window->height, sizes.y);
    return sizes;
}

}  // namespace pixora::gst
