#include "ViewerWindow.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "X11Windows.h"

namespace pixora::cli {

namespace {

// Room left for the window manager's frame and title bar when the frame must be made smaller.
constexpr int32_t kFrameAllowance = 32;

struct Area {
    int32_t width;
    int32_t height;
};

// The desktop's work area (the screen less panels) when the window manager publishes it,
// else the whole screen.
Area AvailableArea(Display* display) {
    const int screen = DefaultScreen(display);
    Area area{DisplayWidth(display, screen), DisplayHeight(display, screen)};
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, RootWindow(display, screen),
                           XInternAtom(display, "_NET_WORKAREA", True), 0, 4, False, XA_CARDINAL,
                           &type, &format, &count, &after, &data) == Success &&
        data != nullptr && format == 32 && count == 4) {
        const auto* values = reinterpret_cast<const long*>(data);
        if (values[2] > 0 && values[3] > 0)
            area = {static_cast<int32_t>(values[2]), static_cast<int32_t>(values[3])};
    }
    if (data != nullptr)
        XFree(data);
    return area;
}

// The frame's size, or the largest size of the same shape that fits the area.
Area FitFrame(Area frame, Area available) {
    if (frame.width <= available.width && frame.height <= available.height)
        return frame;
    const Area room{std::max(available.width - kFrameAllowance, 1),
                    std::max(available.height - kFrameAllowance, 1)};
    const double scale = std::min(static_cast<double>(room.width) / frame.width,
                                  static_cast<double>(room.height) / frame.height);
    return {std::max(static_cast<int32_t>(frame.width * scale), 1),
            std::max(static_cast<int32_t>(frame.height * scale), 1)};
}

void SetTitle(Display* display, Window window, const std::string& title) {
    XStoreName(display, window, title.c_str());
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));
}

// The window is as large as the picture it holds: its size is fixed.
void FixSize(Display* display, Window window, Area size) {
    XSizeHints* hints = XAllocSizeHints();
    if (hints == nullptr)
        return;
    hints->flags = PMinSize | PMaxSize;
    hints->min_width = hints->max_width = size.width;
    hints->min_height = hints->max_height = size.height;
    XSetWMNormalHints(display, window, hints);
    XFree(hints);
}

// Waits a moment for the window to appear, so that it is on the screen once the preview
// is reported as running.
void WaitUntilMapped(Display* display, Window window) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    XEvent event;
    while (std::chrono::steady_clock::now() < deadline) {
        if (XCheckTypedWindowEvent(display, window, MapNotify, &event))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

ViewerWindow::ViewerWindow(Display* display, int32_t width, int32_t height)
    : display_(display), width_(width), height_(height) {}

std::unique_ptr<ViewerWindow> ViewerWindow::Open(const std::string& title, int32_t frameWidth,
                                                 int32_t frameHeight) {
    Display* display = OpenX11Display();
    if (display == nullptr)
        return nullptr;
    const Area size = FitFrame({frameWidth, frameHeight}, AvailableArea(display));
    std::unique_ptr<ViewerWindow> viewer(new ViewerWindow(display, size.width, size.height));
    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0,
                            static_cast<unsigned>(size.width), static_cast<unsigned>(size.height),
                            0, BlackPixel(display, screen), BlackPixel(display, screen));
    viewer->window_ = window;
    std::string shownTitle = title;
    if (size.width != frameWidth) {
        shownTitle +=
            ", shown at " + std::to_string((size.width * 100 + frameWidth / 2) / frameWidth) + "%";
    }
    SetTitle(display, window, shownTitle);
    XClassHint classHint{const_cast<char*>("pixora"), const_cast<char*>("Pixora")};
    XSetClassHint(display, window, &classHint);
    MarkWindowAsOurs(display, window);
    FixSize(display, window, size);
    viewer->deleteWindow_ = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &viewer->deleteWindow_, 1);
    XSelectInput(display, window, KeyPressMask | StructureNotifyMask);
    XMapRaised(display, window);
    XFlush(display);
    WaitUntilMapped(display, window);
    return viewer;
}

ViewerWindow::~ViewerWindow() {
    if (window_ != 0)
        XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
}

PIXORA_HWND ViewerWindow::Handle() const {
    return reinterpret_cast<PIXORA_HWND>(static_cast<uintptr_t>(window_));
}

bool ViewerWindow::CloseRequested() {
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        switch (event.type) {
            case KeyPress: {
                const KeySym key = XLookupKeysym(&event.xkey, 0);
                closeRequested_ = closeRequested_ || key == XK_Escape || key == XK_q;
                break;
            }
            case ClientMessage:
                closeRequested_ =
                    closeRequested_ || static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_;
                break;
            case DestroyNotify:
                if (event.xdestroywindow.window == window_) {
                    window_ = 0;
                    closeRequested_ = true;
                }
                break;
            default:
                break;
        }
    }
    return closeRequested_;
}

}  // namespace pixora::cli
