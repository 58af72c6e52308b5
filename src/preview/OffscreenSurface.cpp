#include "preview/OffscreenSurface.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "preview/WindowSurfaceRows.h"

namespace pixora {

using surface_detail::SurfaceSizeAcceptable;

std::unique_ptr<OffscreenSurface> OffscreenSurface::Create(const SurfaceRequest& request) {
    if (!SurfaceSizeAcceptable(request.place.width, request.place.height)) {
        return nullptr;
    }
    SurfaceGeometry geometry = request.place;
    if (request.parent == 0) {
        // Centred, rounding toward zero as a signed division does.
        geometry.x = (request.offscreenScreenWidth - request.place.width) / 2;
        geometry.y = (request.offscreenScreenHeight - request.place.height) / 2;
    }
    return std::unique_ptr<OffscreenSurface>(new (std::nothrow) OffscreenSurface(geometry));
}

SurfaceState OffscreenSurface::QueryState() {
    return SurfaceState{true, visible_, geometry_.width, geometry_.height};
}

bool OffscreenSurface::EnsurePicture() {
    const size_t bytes =
        static_cast<size_t>(geometry_.width) * static_cast<size_t>(geometry_.height) * 3;
    if (picture_.size() == bytes) {
        return true;
    }
    try {
        picture_.assign(bytes, 0);
    } catch (const std::bad_alloc&) {
        picture_.clear();
        picture_.shrink_to_fit();
        return false;
    }
    return true;
}

bool OffscreenSurface::Draw(const SurfaceFrame& frame) {
    if (!surface_detail::FrameIsUsable(frame) || !EnsurePicture()) {
        return false;
    }
    const int32_t columns = std::min(frame.width, geometry_.width);
    const int32_t rows = std::min(frame.height, geometry_.height);
    const size_t pictureStride = static_cast<size_t>(geometry_.width) * 3;
    for (int32_t y = 0; y < rows; ++y) {
        const uint8_t* source = surface_detail::ScreenRow(frame, y);
        uint8_t* dest = picture_.data() + static_cast<size_t>(y) * pictureStride;
        if (frame.bitsPerPixel == 24) {
            std::memcpy(dest, source, static_cast<size_t>(columns) * 3);
            continue;
        }
        for (int32_t x = 0; x < columns; ++x) {
            dest[0] = dest[1] = dest[2] = source[x];
            dest += 3;
        }
    }
    return true;
}

bool OffscreenSurface::ReadBack(SurfacePicture& out) {
    if (!EnsurePicture()) {
        return false;
    }
    out.width = geometry_.width;
    out.height = geometry_.height;
    out.bgr = picture_;
    return true;
}

bool OffscreenSurface::Resize(int32_t width, int32_t height) {
    if (!SurfaceSizeAcceptable(width, height)) {
        return false;
    }
    if (width != geometry_.width || height != geometry_.height) {
        // A resized client area starts out as background until the next picture.
        geometry_.width = width;
        geometry_.height = height;
        picture_.clear();
        picture_.shrink_to_fit();
    }
    return true;
}

bool OffscreenSurface::SetVisible(bool visible) {
    visible_ = visible;
    return true;
}

}  // namespace pixora
