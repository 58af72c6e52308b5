#include "CameraSource.h"

namespace pixora::gst {

CameraSource::~CameraSource() {
    Close();
}

int32_t CameraSource::TakeNewestCode() {
    const PIXORA_HANDLE handle = handle_.load();
    int32_t code = Pixora_GetLastError(handle);
    // Older codes of the same failure are the library's steps towards it.
    while (Pixora_GetLastError(handle) != 0) {
    }
    const int32_t taken = takenCode_.exchange(0);
    return code != 0 ? code : taken;
}

bool CameraSource::StreamEnded() {
    const PIXORA_HANDLE handle = handle_.load();
    bool ended = false;
    int32_t newest = 0;
    for (int32_t code = Pixora_GetLastError(handle); code != 0;
         code = Pixora_GetLastError(handle)) {
        newest = newest != 0 ? newest : code;
        ended = ended || code == PIXORA_ERR_STREAM_FAILED;
    }
    if (ended)
        newest = PIXORA_ERR_STREAM_FAILED;
    if (newest != 0)
        takenCode_.store(newest);
    return ended;
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
    takenCode_.store(0);
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

bool CameraSource::Start(int32_t bits, bool trigger, CameraFailure* failure) {
    const PIXORA_HANDLE handle = handle_.load();
    if (Pixora_SetColorMode(handle, bits) != 1) {
        *failure = TakeFailure("choosing " + std::to_string(bits) + " bits per pixel");
        return false;
    }
    const int32_t started = trigger ? PixoraEx_StartTrigger(handle) : Pixora_StartPreview(handle);
    if (started != 1) {
        *failure = TakeFailure(trigger ? "starting the trigger mode" : "starting the capture");
        return false;
    }
    return true;
}

void CameraSource::Stop() {
    const PIXORA_HANDLE handle = handle_.load();
    if (handle != nullptr)
        Pixora_StopPreview(handle);
}

int32_t CameraSource::CaptureState() const {
    return PixoraEx_GetCaptureState(handle_.load());
}

bool CameraSource::Present() const {
    char name[PIXORA_DEVICE_NAME_ENTRY];
    return Pixora_GetDeviceName(handle_.load(), index_, name, sizeof name) == 1;
}

FrameWait CameraSource::Wait(uint64_t afterSequence, int32_t timeoutMs) const {
    switch (PixoraEx_WaitFrame(handle_.load(), afterSequence, timeoutMs)) {
        case 1:
            return FrameWait::Ready;
        case 0:
            return FrameWait::Stopped;
        default:
            return FrameWait::Released;
    }
}

bool CameraSource::Read(void* data, size_t size, PixoraFrameMeta* meta, CameraFailure* failure) {
    meta->size = sizeof *meta;
    if (size > static_cast<size_t>(INT32_MAX) ||
        PixoraEx_GetFrame(handle_.load(), data, static_cast<int32_t>(size), 1, meta) != 1) {
        *failure = TakeFailure("reading a frame");
        return false;
    }
    return true;
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
