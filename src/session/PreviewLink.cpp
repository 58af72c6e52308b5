// The session's side of the preview window: opening it with the stored placement, drawing
// each frame and closing it.
#include "image/ImageBuffer.h"
#include "preview/PreviewWindow.h"
#include "session/CameraSession.h"

namespace pixora {

bool CameraSession::CreatePreviewWindow() {
    if (!preview_)
        preview_ = std::make_unique<PreviewWindow>();
    PreviewWindowRequest request;
    request.parent = previewParent_;
    request.x = placement_.x;
    request.y = placement_.y;
    request.width = placement_.width;
    request.height = placement_.height;
    request.imageWidth = format_.captureWidth;
    request.imageHeight = format_.captureHeight;
    request.subSampleStep = subSampleIndex_.load();
    request.owner = this;
    if (!preview_->Open(request)) {
        RecordError(ErrorCode::WindowFailed);
        return false;
    }
    return true;
}

bool CameraSession::HasPreviewWindow() const {
    return preview_ && preview_->HasWindow();
}

void CameraSession::DestroyPreviewWindow() {
    if (preview_)
        preview_->Close();
}

void CameraSession::DrawFrame(int32_t mode) {
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
