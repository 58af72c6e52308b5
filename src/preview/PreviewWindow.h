// The preview window of a camera session: created when a preview, callback preview or
// trigger mode starts, drawn once per frame by the session's worker, torn down on close.
//
// Thread rules: every member may be called from any thread; one internal lock
// serialises them, so the worker can draw while the application thread opens a new
// window, closes it or reads the picture back. A draw that runs while Close or Open is
// called finishes first; after Close, DrawFrame does nothing until the next Open.
// Destroy the object itself only when no thread can still call it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "PixoraSdk_530TZ.h"
#include "preview/WindowSurface.h"

namespace pixora {

class ImageBuffer;

// Control id of the child variant.
inline constexpr int32_t kPreviewChildControlId = 6540;
inline constexpr const char* kPreviewChildTitle = "ActiveMovie Window";
inline constexpr const char* kPreviewTopLevelTitle = "Active Window";

struct PreviewWindowRequest {
    // The application's window (an X11 window id as a handle); null: a top-level window.
    PIXORA_HWND parent = nullptr;
    // Child placement, used unchanged.
    Rect place;
    // Top-level: the session's output size and sub-sampling step 0..3 (divisor 1, 2, 4,
    // 8); the client area is the size divided by the divisor, centred on the screen.
    int32_t imageWidth = 0;
    int32_t imageHeight = 0;
    int32_t subSampleStep = 0;
    // The session, whose address goes into the class name.
    const void* owner = nullptr;
};

// The session's images that drawing reads or writes. Any may be null; a frame whose
// images are missing or of the wrong depth is not drawn.
struct PreviewImages {
    ImageBuffer* image8 = nullptr;  // shown in mode 0; target of the 16-to-8 conversion
    const ImageBuffer* image16 = nullptr;
    ImageBuffer* image24 = nullptr;  // shown in mode 2; target for modes 3, 4, 5
    const ImageBuffer* image32 = nullptr;
    const ImageBuffer* image48 = nullptr;
    const ImageBuffer* image64 = nullptr;
    ImageBuffer* display = nullptr;  // scaled picture; recreated at the client size
};

// Client state as stream preparation reads it.
struct PreviewClientState {
    bool exists = false;
    bool visible = false;
    int32_t width = 0;
    int32_t height = 0;
};

class PreviewWindow {
public:
    explicit PreviewWindow(SurfaceChoice choice = SurfaceChoice::Automatic);
    ~PreviewWindow();
    PreviewWindow(const PreviewWindow&) = delete;
    PreviewWindow& operator=(const PreviewWindow&) = delete;

    // Tears down any window this object holds, then creates the child (parent given) or
    // top-level variant. False when the window cannot be made; no window is held then.
    bool Open(const PreviewWindowRequest& request);
    // Destroys the window and empties the class name; harmless without a window.
    void Close();

    bool HasWindow() const;
    bool IsChild() const;
    // "VideoRenderer_%08x_%08x"; empty while no window exists.
    std::string ClassName() const;
    PreviewClientState ClientState() const;

    // Draws the output image of colour mode `colorModeIndex` (0..5): 1:1 when the client
    // size equals the image (not in mode 1), else scaled through images.display, which is
    // recreated when the client size changes. Nothing is drawn without a window, into a
    // hidden or empty one, for a mode outside 0..5 or when the images are missing.
    // Memory row 0 is always shown at the top. Returns true when a picture was drawn.
    bool DrawFrame(int32_t colorModeIndex, const PreviewImages& images);

    // What the window shows (from the X server for a real window); false without one.
    bool ReadBack(SurfacePicture& out) const;
    SurfaceGeometry Geometry() const;
    SurfaceKind Kind() const;
    // The X11 window id; 0 for an off-screen surface or without a window.
    uint64_t NativeId() const;
    // As a user would: resize the client area, hide or show. False without a window.
    bool ResizeClient(int32_t width, int32_t height);
    bool SetVisible(bool visible);

private:
    SurfaceChoice choice_;
    mutable std::mutex mutex_;
    std::unique_ptr<WindowSurface> surface_;
    std::string className_;
    bool child_ = false;
};

}  // namespace pixora
