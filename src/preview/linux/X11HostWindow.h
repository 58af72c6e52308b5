// An application's own X11 window, as a program that embeds the preview would have one:
// a plain top-level window to give as the preview's parent, with the look-ups a test or a
// demo needs (children, names, pixels from the server). Uses a display connection of its
// own; one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "PixoraSdk_530TZ.h"
#include "preview/WindowSurface.h"

// Xlib's connection type, declared so that this header needs no X11 header.
struct _XDisplay;

namespace pixora {

class X11HostWindow {
public:
    // A mapped top-level window at (x, y) with a white background; null without a display.
    static std::unique_ptr<X11HostWindow> Create(int32_t x, int32_t y, int32_t width,
                                                 int32_t height);
    ~X11HostWindow();
    X11HostWindow(const X11HostWindow&) = delete;
    X11HostWindow& operator=(const X11HostWindow&) = delete;

    uint64_t Id() const { return window_; }
    // The id as the handle the library takes for a parent window.
    PIXORA_HWND Handle() const {
        return reinterpret_cast<PIXORA_HWND>(static_cast<uintptr_t>(window_));
    }
    // Destroys the X window now, as an application closing it would; this object stays.
    void DestroyWindow();

    // Ids of the host window's children, bottom-most first.
    std::vector<uint64_t> Children();
    // WM_NAME and the class part of WM_CLASS of any window; empty when it has none.
    std::string WindowName(uint64_t window);
    std::string WindowClass(uint64_t window);
    bool WindowExists(uint64_t window);
    bool WindowViewable(uint64_t window);
    // Puts a window above its siblings (so no other window covers it).
    void Raise(uint64_t window);
    // Pixels of a rectangle of any window, from the server.
    bool ReadBack(uint64_t window, int32_t x, int32_t y, int32_t width, int32_t height,
                  SurfacePicture& out);
    // Width and height of the default screen.
    int32_t ScreenWidth();
    int32_t ScreenHeight();
    // Bits per pixel of the default screen's colours (24 for 8 bits per channel).
    int32_t ScreenDepth();

private:
    X11HostWindow() = default;

    ::_XDisplay* display_ = nullptr;
    unsigned long window_ = 0;
};

}  // namespace pixora
