#include "CameraSource.h"

namespace pixora::gst {

CameraSource::~CameraSource() {
    Close();
}

int32_t CameraSource::TakeNewestCode() {
    const PIXORA_HANDLE handle = handle_.load();
    const int32_t code = Pixora_GetLastError(handle);
    // Older codes of the same failure are the library's steps towards it.
    while (Pixora_GetLastError(handle) != 0) {
    }
    return code;
}

CameraFailure CameraSource::TakeFailure(const std::string& what) {
    CameraFailure failure;
    const PIXORA_HANDLE handle = handle_.load();
    failure.code = TakeNewestCode();
    failure.text = "camera " + std::to_string(index_) + ": " + what + " failed";
    if (failure.code != 0) {
        failure.text += ": error " + std::to_string(failure.code) + " (" +
                        PixoraEx_ErrorText(failure.code) + ")";
    }
    char detail[256];
    if (PixoraEx_GetFailureDetail(handle, detail, sizeof detail) == 1)
        failure.text += std::string(": ") + detail;
    return failure;
}

bool CameraSource::Open(int32_t index, CameraFailure* failure) {
    Close();
    index_ = index;
    const PIXORA_HANDLE handle = Pixora_Initialize(nullptr);
    if (handle == nullptr) {
        failure->code = 0;
        failure->text = "camera " + std::to_string(index) + ": no handle could be created";
        return false;
    }
    handle_.store(handle);
    // The handle opens device 0; what that recorded (no camera there) does not matter when
    // another device is wanted.
    if (index != 0) {
        while (Pixora_GetLastError(handle) != 0) {
        }
    }
    if (Pixora_SetDeviceNumber(handle, index) != 1) {
        *failure = TakeFailure("opening");
        Close();
        return false;
    }
    return true;
}

void CameraSource::Close() {
    const PIXORA_HANDLE handle = handle_.exchange(nullptr);
    if (handle != nullptr)
        Pixora_Release(handle);
}

int32_t CameraSource::Width() const {
    const PIXORA_HANDLE handle = handle_.load();
    return handle != nullptr ? Pixora_Width(handle) : 0;
}

int32_t CameraSource::Height() const {
    const PIXORA_HANDLE handle = handle_.load();
    return handle != nullptr ? Pixora_Height(handle) : 0;
}

bool CameraSource::Start(const StreamShape& shape, CameraFailure* failure) {
    const PIXORA_HANDLE handle = handle_.load();
    if (Pixora_SetColorMode(handle, shape.bits) != 1) {
        *failure = TakeFailure("choosing " + std::to_string(shape.bits) + " bits per pixel");
        return false;
    }
    PixoraStreamOptions options{};
    options.size = sizeof options;
    options.buffers = shape.buffers;
    options.triggered = shape.trigger ? 1 : 0;
    options.raw = shape.raw ? 1 : 0;
    options.dropPolicy = PIXORA_DROP_OLDEST;
    if (PixoraEx_OpenStream(handle, &options) != 1) {
        *failure =
            TakeFailure(shape.trigger ? "starting the trigger mode" : "starting the capture");
        return false;
    }
    return true;
}

void CameraSource::Stop() {
    const PIXORA_HANDLE handle = handle_.load();
    if (handle != nullptr)
        PixoraEx_CloseStream(handle);
}

Take CameraSource::Next(PixoraStreamFrame* frame, int32_t timeoutMs) const {
    frame->size = sizeof *frame;
    switch (PixoraEx_TakeFrame(handle_.load(), frame, timeoutMs)) {
        case PIXORA_TAKE_FRAME:
            return Take::Frame;
        case PIXORA_TAKE_TIMEOUT:
            return Take::TimedOut;
        case PIXORA_TAKE_STOPPED:
            return Take::Stopped;
        default:
            return Take::Failed;
    }
}

PixoraStreamStatus CameraSource::Status() const {
    PixoraStreamStatus status{};
    status.size = sizeof status;
    if (PixoraEx_GetStreamStatus(handle_.load(), &status) != 1) {
        status = PixoraStreamStatus{};
        status.size = sizeof status;
    }
    return status;
}

int32_t CameraSource::BayerPattern() const {
    return PixoraEx_GetBayerPattern(handle_.load());
}

PixoraFrameCounts CameraSource::Counts() const {
    PixoraFrameCounts counts{};
    counts.size = sizeof counts;
    if (PixoraEx_GetFrameCounts(handle_.load(), &counts) != 1) {
        counts = PixoraFrameCounts{};
        counts.size = sizeof counts;
    }
    return counts;
}

}  // namespace pixora::gst
