// Window surfaces: where the preview's pictures end up. With a display this is a real X11
// window; without one an off-screen surface of the same size keeps the last picture, so
// every caller works the same way headless and tests can look at what was drawn.
//
// Thread rules: a surface is not locked. One thread at a time may call it; the owner
// (the preview window) serialises drawing, queries and teardown. The X11 surface uses one
// display connection for drawing and another for everything else, so the drawing thread
// and the creating thread never share a connection.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/Rect.h"

namespace pixora {

enum class SurfaceKind { OffScreen, X11, Win32 };

// Which surface the factory makes. Automatic: on Windows a window of the system; elsewhere
// X11 when a display can be opened, else off-screen. The environment variable
// PIXORA_PREVIEW_SURFACE ("offscreen", "x11" or "win32") turns Automatic into one of the
// others. A system's windows asked for where the library was built for another give no
// surface.
enum class SurfaceChoice { Automatic, OffScreen, X11, Win32 };

struct SurfaceRequest {
    // Native id of the application's window to place a child in; 0 makes a top-level
    // window centred on the screen.
    uint64_t parent = 0;
    // Child: position inside the parent and size. Top-level: x and y are ignored; the
    // client area gets this size.
    Rect place;
    std::string title;
    std::string className;
    // Screen size the off-screen surface centres top-level windows on.
    int32_t offscreenScreenWidth = 1920;
    int32_t offscreenScreenHeight = 1080;
};

// Client area as the drawing code sees it.
struct SurfaceState {
    bool alive = false;    // the window still exists
    bool visible = false;  // shown (viewable) on the screen
    int32_t width = 0;     // client width and height; 0 when empty
    int32_t height = 0;
};

// Position and size: relative to the parent for a child, to the screen for a top-level.
using SurfaceGeometry = Rect;

// Rows of pixels to draw at the client's top-left corner. 8-bit samples are gray levels;
// 24-bit pixels are blue, green, red bytes. `lastRowOnTop` shows the memory rows in
// reverse order (the scaler's output); otherwise memory row 0 is the top row.
struct SurfaceFrame {
    const uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    int32_t bitsPerPixel = 24;
    bool lastRowOnTop = false;
};

// What the surface shows: blue, green, red bytes, 3 per pixel, top row first, no padding.
struct SurfacePicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> bgr;

    const uint8_t* Pixel(int32_t x, int32_t y) const {
        return bgr.data() +
               (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    }
};

class WindowSurface {
public:
    virtual ~WindowSurface() = default;

    virtual SurfaceKind Kind() const = 0;
    // X11 window id or HWND; 0 for the off-screen surface.
    virtual uint64_t NativeId() const = 0;

    // Client state, asked once per frame by the drawing thread.
    virtual SurfaceState QueryState() = 0;
    // Draws the frame clipped to the client area. False when nothing could be drawn
    // (window gone, bad frame).
    virtual bool Draw(const SurfaceFrame& frame) = 0;

    // Reads back what the client area shows (from the X server for X11 windows).
    virtual bool ReadBack(SurfacePicture& out) = 0;
    virtual SurfaceGeometry Geometry() = 0;
    // Changes the client size or shows/hides the window, as a user or window manager
    // would. False when the window is gone.
    virtual bool Resize(int32_t width, int32_t height) = 0;
    virtual bool SetVisible(bool visible) = 0;
};

// Makes a surface per `choice`; null when it cannot be made (no display for X11, a
// parent that is not a window, a size the system refuses).
std::unique_ptr<WindowSurface> CreateWindowSurface(const SurfaceRequest& request,
                                                   SurfaceChoice choice);

}  // namespace pixora
