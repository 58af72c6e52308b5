// The window `pixora preview` shows the picture in when a display is present: a top-level
// X11 window of the program's own, titled with the camera and the format, as large as the
// frame or scaled down to fit the screen. The library's preview goes inside it as a child
// window of the same size, which the library scales the picture to. Escape, q and the
// window manager's close button ask for the preview to end.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <memory>
#include <string>

#include "PixoraPlatform.h"

namespace pixora::cli {

class ViewerWindow {
public:
    // Shows the window; null when no display can be reached.
    static std::unique_ptr<ViewerWindow> Open(const std::string& title, int32_t frameWidth,
                                              int32_t frameHeight);
    ~ViewerWindow();
    ViewerWindow(const ViewerWindow&) = delete;
    ViewerWindow& operator=(const ViewerWindow&) = delete;

    // The window as the library takes a parent window.
    PIXORA_HWND Handle() const;
    unsigned long Id() const { return window_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

    // Reads the window's pending events; true once the user asked to close it.
    bool CloseRequested();

private:
    ViewerWindow(Display* display, int32_t width, int32_t height);

    Display* display_;
    Window window_ = 0;
    Atom deleteWindow_ = None;
    int32_t width_;
    int32_t height_;
    bool closeRequested_ = false;
};

}  // namespace pixora::cli
