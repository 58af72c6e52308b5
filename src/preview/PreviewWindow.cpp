#include "preview/PreviewWindow.h"

#include <cstdint>

#include "image/ImageBuffer.h"
#include "image/ScaleKernels.h"
#include "preview/PreviewPlacement.h"
#include "preview/ShownImage.h"

namespace pixora {
namespace {

SurfaceRequest SurfaceRequestFor(const PreviewWindowRequest& request) {
    SurfaceRequest surface;
    surface.className = PreviewClassName(request.owner);
    if (request.parent != nullptr) {
        surface.parent = reinterpret_cast<uintptr_t>(request.parent);
        surface.place = request.place;
        surface.title = kPreviewChildTitle;
        return surface;
    }
    const PreviewClientSize client =
        TopLevelClientSize(request.imageWidth, request.imageHeight, request.subSampleStep);
    surface.place.width = client.width;
    surface.place.height = client.height;
    surface.title = kPreviewTopLevelTitle;
    return surface;
}

// Scales `shown` into `display`, made anew at the client size and the mode's depth when it
// differs. The scaler turns the picture over, so the display image's last memory row is
// the top one.
bool ScaleIntoDisplay(const ImageBuffer& shown, ImageBuffer* display, const SurfaceState& client,
                      uint16_t depth) {
    if (display == nullptr) {
        return false;
    }
    if (display->Width() != client.width || display->Height() != client.height ||
        display->BitsPerPixel() != depth) {
        display->Destroy();
        if (display->Create(client.width, client.height, depth) == 0) {
            return false;
        }
    }
    ScaleKernel kernel = depth == 8 ? Scale8 : Scale24;
    return display->ApplyScaled(kernel, &shown, nullptr, nullptr) != 0;
}

SurfaceFrame FrameOf(const ImageBuffer& image, bool lastRowOnTop) {
    return SurfaceFrame{image.Bits(),   image.Width(),        image.Height(),
                        image.Stride(), image.BitsPerPixel(), lastRowOnTop};
}

}  // namespace

PreviewWindow::PreviewWindow(SurfaceChoice choice) : choice_(choice) {}

PreviewWindow::~PreviewWindow() {
    Close();
}

bool PreviewWindow::Open(const PreviewWindowRequest& request) {
    std::lock_guard lock(mutex_);
    surface_.reset();
    className_.clear();
    const SurfaceRequest surfaceRequest = SurfaceRequestFor(request);
    surface_ = CreateWindowSurface(surfaceRequest, choice_);
    if (!surface_) {
        return false;
    }
    className_ = surfaceRequest.className;
    child_ = request.parent != nullptr;
    return true;
}

void PreviewWindow::Close() {
    std::lock_guard lock(mutex_);
    surface_.reset();
    className_.clear();
    child_ = false;
}

bool PreviewWindow::HasWindow() const {
    std::lock_guard lock(mutex_);
    return surface_ != nullptr;
}

bool PreviewWindow::IsChild() const {
    std::lock_guard lock(mutex_);
    return surface_ != nullptr && child_;
}

std::string PreviewWindow::ClassName() const {
    std::lock_guard lock(mutex_);
    return className_;
}

PreviewClientState PreviewWindow::ClientState() const {
    std::lock_guard lock(mutex_);
    if (!surface_) {
        return PreviewClientState{};
    }
    const SurfaceState state = surface_->QueryState();
    return PreviewClientState{state.alive, state.alive && state.visible, state.width, state.height};
}

bool PreviewWindow::DrawFrame(int32_t colorModeIndex, const PreviewImages& images) {
    std::lock_guard lock(mutex_);
    if (!surface_) {
        return false;
    }
    const SurfaceState client = surface_->QueryState();
    if (!client.alive || !client.visible || client.width <= 0 || client.height <= 0) {
        return false;
    }
    const ImageBuffer* shown = PrepareShownImage(colorModeIndex, images);
    if (shown == nullptr) {
        return false;
    }
    // The 16-bit mode always goes through the display image, even at the image's size.
    if (client.width == shown->Width() && client.height == shown->Height() && colorModeIndex != 1) {
        return surface_->Draw(FrameOf(*shown, false));
    }
    if (!ScaleIntoDisplay(*shown, images.display, client, DisplayDepthFor(colorModeIndex))) {
        return false;
    }
    return surface_->Draw(FrameOf(*images.display, true));
}

bool PreviewWindow::ReadBack(SurfacePicture& out) const {
    std::lock_guard lock(mutex_);
    return surface_ && surface_->ReadBack(out);
}

SurfaceGeometry PreviewWindow::Geometry() const {
    std::lock_guard lock(mutex_);
    return surface_ ? surface_->Geometry() : SurfaceGeometry{};
}

SurfaceKind PreviewWindow::Kind() const {
    std::lock_guard lock(mutex_);
    return surface_ ? surface_->Kind() : SurfaceKind::OffScreen;
}

uint64_t PreviewWindow::NativeId() const {
    std::lock_guard lock(mutex_);
    return surface_ ? surface_->NativeId() : 0;
}

bool PreviewWindow::ResizeClient(int32_t width, int32_t height) {
    std::lock_guard lock(mutex_);
    return surface_ && surface_->Resize(width, height);
}

bool PreviewWindow::SetVisible(bool visible) {
    std::lock_guard lock(mutex_);
    return surface_ && surface_->SetVisible(visible);
}

}  // namespace pixora
