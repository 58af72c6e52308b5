// One open camera handle: opened on a chosen device index, reporting failures with their
// error codes, and released (streaming stopped first) when the object goes.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"

namespace pixora::cli {

class Camera {
public:
    // Opens a handle on device `index` (0..7). With `requireCamera`, fails when that index
    // holds no camera. Prints the reason and returns null on failure.
    static std::unique_ptr<Camera> Open(int32_t index, bool requireCamera);
    ~Camera();
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    PIXORA_HANDLE Handle() const { return handle_; }
    int32_t Index() const { return index_; }

    // Prints "pixora: WHAT failed: error N (meaning)" for every code the library recorded
    // since the last call; without a code, the reason the library kept for the failure
    // (a file that cannot be written: missing folder, permission, disk full). Returns the
    // most recent code (0: none).
    int32_t ReportFailure(const std::string& what);
    // Forgets recorded codes (after probing calls whose failure is expected).
    void DiscardErrors();
    // Codes announced to the error window since the last call, with how often each came.
    std::map<int32_t, int> TakeAnnouncedErrors();

    // Stops any streaming, releases the handle and checks that nothing of it is left.
    // Returns false (after saying what) when driver handles or threads remain.
    bool Release();

private:
    Camera(PIXORA_HANDLE handle, PIXORA_HWND errorWindow, int32_t index);

    PIXORA_HANDLE handle_;
    PIXORA_HWND errorWindow_;
    int32_t index_;
    int threadsBefore_;
};

// Bytes of one image of the camera's current capture size and colour mode, in whole rows
// of the library's 4-byte stride; 0 when the mode is unknown.
int64_t ImageBytes(PIXORA_HANDLE camera);

}  // namespace pixora::cli
