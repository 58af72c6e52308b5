// The capture machinery's side of the preview window: opening it with the stored placement, drawing
// each frame and closing it.
#include "image/ImageBuffer.h"
#include "preview/PreviewWindow.h"
#include "session/CaptureMachine.h"

namespace pixora {

void CaptureMachine::SetPreviewWindow(PIXORA_HWND parent, const Rect& placement) {
    previewParent_ = parent;
    placement_ = placement;
}

bool CaptureMachine::CreatePreviewWindow() {
    if (!preview_) {
        // A worker may already run (a window-less preview gaining its window) and reads the
        // pointer under the frame lock: the object is made whole first, then published there.
        auto window = std::make_unique<PreviewWindow>();
        std::lock_guard frames(frameMutex_);
        preview_ = std::move(window);
    }
    // The window itself is opened through the object's own lock, which its drawing takes.
    PreviewWindowRequest request;
    request.parent = previewParent_;
    request.place = placement_;
    request.imageWidth = settings_.format.captureWidth;
    request.imageHeight = settings_.format.captureHeight;
    request.subSampleStep = settings_.subSampleIndex.load();
    request.owner = this;
    if (!preview_->Open(request)) {
        RecordError(ErrorCode::WindowFailed);
        return false;
    }
    return true;
}

bool CaptureMachine::HasPreviewWindow() const {
    return preview_ && preview_->HasWindow();
}

void CaptureMachine::DestroyPreviewWindow() {
    if (preview_)
        preview_->Close();
}

void CaptureMachine::DrawFrame(int32_t mode) {
    if (!preview_)
        return;
    PreviewImages images;
    images.image8 = Image(ImageRole::Raw8);
    images.image16 = Image(ImageRole::Raw16);
    images.image24 = Image(ImageRole::Out24);
    images.image32 = Image(ImageRole::Out32);
    images.image48 = Image(ImageRole::Out48);
    images.image64 = Image(ImageRole::Out64);
    images.display = Image(ImageRole::Display);
    preview_->DrawFrame(mode, images);
}

}  // namespace pixora
