// The surface used without a display: a client area in memory that keeps the last picture
// drawn into it, with the visibility and size a real window would report.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "preview/WindowSurface.h"

namespace pixora {

class OffscreenSurface final : public WindowSurface {
public:
    // Null for a size outside 0..32767 (what a window system accepts).
    static std::unique_ptr<OffscreenSurface> Create(const SurfaceRequest& request);

    SurfaceKind Kind() const override { return SurfaceKind::OffScreen; }
    uint64_t NativeId() const override { return 0; }
    SurfaceState QueryState() override;
    bool Draw(const SurfaceFrame& frame) override;
    bool ReadBack(SurfacePicture& out) override;
    SurfaceGeometry Geometry() override { return geometry_; }
    bool Resize(int32_t width, int32_t height) override;
    bool SetVisible(bool visible) override;

private:
    explicit OffscreenSurface(const SurfaceGeometry& geometry) : geometry_(geometry) {}
    // The client area's pixels, black until drawn; false when the memory cannot be had.
    bool EnsurePicture();

    SurfaceGeometry geometry_;
    bool visible_ = true;
    // Blue, green, red, 3 bytes per pixel, top row first; empty until first needed.
    std::vector<uint8_t> picture_;
};

}  // namespace pixora
