#include "preview/linux/X11HostWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <new>

#include "platform/linux/X11ErrorTrap.h"
#include "preview/linux/X11PixelFormat.h"

namespace pixora {

std::unique_ptr<X11HostWindow> X11HostWindow::Create(int32_t x, int32_t y, int32_t width,
                                                     int32_t height) {
    if (width <= 0 || height <= 0) {
        return nullptr;
    }
    std::unique_ptr<X11HostWindow> host(new (std::nothrow) X11HostWindow);
    if (!host) {
        return nullptr;
    }
    host->display_ = X11OpenWatchedDisplay();
    if (host->display_ == nullptr) {
        return nullptr;
    }
    Display* display = host->display_;
    const int screen = DefaultScreen(display);
    host->window_ = XCreateSimpleWindow(
        display, RootWindow(display, screen), x, y, static_cast<unsigned>(width),
        static_cast<unsigned>(height), 0, BlackPixel(display, screen), WhitePixel(display, screen));
    XStoreName(display, host->window_, "Pixora host");
    XMapRaised(display, host->window_);
    XSync(display, False);
    if (X11TakeErrors(display) != 0) {
        return nullptr;
    }
    return host;
}

X11HostWindow::~X11HostWindow() {
    DestroyWindow();
    X11CloseWatchedDisplay(display_);
}

void X11HostWindow::DestroyWindow() {
    if (display_ != nullptr && window_ != 0) {
        XDestroyWindow(display_, window_);
        XSync(display_, False);
        X11TakeErrors(display_);
        window_ = 0;
    }
}

std::vector<uint64_t> X11HostWindow::Children() {
    std::vector<uint64_t> ids;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (window_ != 0 && XQueryTree(display_, window_, &root, &parent, &children, &count) != 0) {
        ids.assign(children, children + count);
    }
    if (children != nullptr) {
        XFree(children);
    }
    X11TakeErrors(display_);
    return ids;
}

std::string X11HostWindow::WindowName(uint64_t window) {
    std::string name;
    char* text = nullptr;
    if (XFetchName(display_, static_cast<Window>(window), &text) != 0 && text != nullptr) {
        name = text;
        XFree(text);
    }
    X11TakeErrors(display_);
    return name;
}

std::string X11HostWindow::WindowClass(uint64_t window) {
    std::string className;
    XClassHint hint{};
    if (XGetClassHint(display_, static_cast<Window>(window), &hint) != 0) {
        if (hint.res_class != nullptr) {
            className = hint.res_class;
        }
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    X11TakeErrors(display_);
    return className;
}

bool X11HostWindow::WindowExists(uint64_t window) {
    XWindowAttributes attributes{};
    const Status status = XGetWindowAttributes(display_, static_cast<Window>(window), &attributes);
    return X11TakeErrors(display_) == 0 && status != 0;
}

bool X11HostWindow::WindowViewable(uint64_t window) {
    XWindowAttributes attributes{};
    const Status status = XGetWindowAttributes(display_, static_cast<Window>(window), &attributes);
    return X11TakeErrors(display_) == 0 && status != 0 && attributes.map_state == IsViewable;
}

void X11HostWindow::Raise(uint64_t window) {
    XRaiseWindow(display_, static_cast<Window>(window));
    XSync(display_, False);
    X11TakeErrors(display_);
}

bool X11HostWindow::ReadBack(uint64_t window, int32_t x, int32_t y, int32_t width, int32_t height,
                             SurfacePicture& out) {
    if (width <= 0 || height <= 0) {
        return false;
    }
    XImage* image =
        XGetImage(display_, static_cast<Window>(window), x, y, static_cast<unsigned>(width),
                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
    X11TakeErrors(display_);
    if (image == nullptr) {
        return false;
    }
    X11UnpackImage(image, out);
    XDestroyImage(image);
    return true;
}

int32_t X11HostWindow::ScreenWidth() {
    return DisplayWidth(display_, DefaultScreen(display_));
}

int32_t X11HostWindow::ScreenHeight() {
    return DisplayHeight(display_, DefaultScreen(display_));
}

int32_t X11HostWindow::ScreenDepth() {
    return DefaultDepth(display_, DefaultScreen(display_));
}

}  // namespace pixora
