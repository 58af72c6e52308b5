#include "Camera.h"

#include <cstdio>

#include "ErrorText.h"
#include "PixoraExtensions.h"
#include "ReleaseCheck.h"

namespace pixora::cli {

Camera::Camera(PIXORA_HANDLE handle, PIXORA_HWND errorWindow, int32_t index)
    : handle_(handle), errorWindow_(errorWindow), index_(index), threadsBefore_(CountThreads()) {}

std::unique_ptr<Camera> Camera::Open(int32_t index, bool requireCamera) {
    PIXORA_HWND errorWindow = PixoraMsg_CreateWindow();
    PIXORA_HANDLE handle = Pixora_Initialize(errorWindow);
    if (handle == nullptr) {
        std::fprintf(stderr, "pixora: cannot open a camera handle\n");
        PixoraMsg_DestroyWindow(errorWindow);
        return nullptr;
    }
    std::unique_ptr<Camera> camera(new Camera(handle, errorWindow, index));
    // Initialisation opens index 0 whether or not a camera is there; what it recorded
    // about that is answered below for the index actually asked for.
    camera->DiscardErrors();
    bool ok = true;
    if (index != 0) {
        if (Pixora_SetDeviceNumber(handle, index) != 1)
            ok = false;
    } else if (requireCamera) {
        char name[64] = {};
        if (Pixora_GetDeviceName(handle, 0, name, sizeof name) != 1)
            ok = false;
    }
    if (!ok) {
        camera->ReportFailure("opening camera " + std::to_string(index));
        camera->Release();
        return nullptr;
    }
    camera->threadsBefore_ = CountThreads();
    camera->TakeAnnouncedErrors();
    return camera;
}

Camera::~Camera() {
    Release();
}

int32_t Camera::ReportFailure(const std::string& what) {
    int32_t newest = 0;
    int reported = 0;
    for (int32_t code = Pixora_GetLastError(handle_); code != 0;
         code = Pixora_GetLastError(handle_)) {
        if (newest == 0)
            newest = code;
        std::fprintf(stderr, "pixora: %s failed: %s\n", what.c_str(), DescribeError(code).c_str());
        ++reported;
    }
    // The reason the system or the driver gave (a file that cannot be written, a camera that
    // does not open, and why), after the codes or in their stead.
    char detail[1024] = {};
    const bool hasDetail = PixoraEx_GetFailureDetail(handle_, detail, sizeof detail) == 1;
    if (reported == 0) {
        if (hasDetail)
            std::fprintf(stderr, "pixora: %s failed: %s\n", what.c_str(), detail);
        else
            std::fprintf(stderr, "pixora: %s failed (the library gave no reason)\n", what.c_str());
    } else if (hasDetail) {
        std::fprintf(stderr, "pixora: reason: %s\n", detail);
    }
    return newest;
}

void Camera::DiscardErrors() {
    while (Pixora_GetLastError(handle_) != 0) {
    }
}

std::map<int32_t, int> Camera::TakeAnnouncedErrors() {
    std::map<int32_t, int> codes;
    PixoraMessage message{};
    while (errorWindow_ != nullptr && PixoraMsg_Get(errorWindow_, &message, 0) == 1) {
        if (message.message == PIXORA_WM_ERROR)
            ++codes[static_cast<int32_t>(message.lParam)];
    }
    return codes;
}

bool Camera::Release() {
    if (handle_ == nullptr)
        return true;
    Pixora_StopPreview(handle_);
    Pixora_Release(handle_);
    handle_ = nullptr;
    PixoraMsg_DestroyWindow(errorWindow_);
    errorWindow_ = nullptr;
    const std::string leftovers = LeftoversAfterRelease(threadsBefore_);
    if (leftovers.empty())
        return true;
    std::fprintf(stderr, "pixora: the camera was not released cleanly: %s\n", leftovers.c_str());
    return false;
}

int64_t ImageBytes(PIXORA_HANDLE camera) {
    const int64_t bits = Pixora_GetColorMode(camera);
    const int64_t width = Pixora_Width(camera);
    const int64_t height = Pixora_Height(camera);
    if (bits <= 0 || width <= 0 || height <= 0)
        return 0;
    const int64_t stride = (width * bits / 8 + 3) & ~int64_t{3};
    return stride * height;
}

}  // namespace pixora::cli
