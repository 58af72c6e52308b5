#include "preview/linux/X11Surface.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <algorithm>
#include <atomic>
#include <new>

#include "platform/linux/X11ErrorTrap.h"
#include "preview/WindowSurfaceRows.h"
#include "preview/linux/X11DrawImage.h"
#include "preview/linux/X11PixelFormat.h"

namespace pixora {
namespace {

using surface_detail::SurfaceSizeAcceptable;

// The window is made and managed on `control` (the creating thread's connection) and
// drawn on `draw` (the drawing thread's). The owner serialises the calls; the two
// connections keep the threads from ever sharing one.
class X11WindowSurface final : public WindowSurface {
public:
    X11WindowSurface() = default;
    ~X11WindowSurface() override;
    X11WindowSurface(const X11WindowSurface&) = delete;
    X11WindowSurface& operator=(const X11WindowSurface&) = delete;

    X11SurfaceResult Open(const SurfaceRequest& request);

    SurfaceKind Kind() const override { return SurfaceKind::X11; }
    uint64_t NativeId() const override { return window_; }
    SurfaceState QueryState() override;
    bool Draw(const SurfaceFrame& frame) override;
    bool ReadBack(SurfacePicture& out) override;
    SurfaceGeometry Geometry() override;
    bool Resize(int32_t width, int32_t height) override;
    bool SetVisible(bool visible) override;

private:
    bool CreateWindow(const SurfaceRequest& request);
    void DescribeWindow(const SurfaceRequest& request);
    bool OpenDrawConnection();
    // False once the window or a connection is gone; remembers it.
    bool CheckAlive(Display* display);
    // Shows or hides the window as the wish and the size allow.
    void ApplyMapping();

    Display* control_ = nullptr;
    Display* draw_ = nullptr;
    Window window_ = 0;
    GC gc_ = nullptr;
    Visual* visual_ = nullptr;
    int depth_ = 0;
    bool sharedMemory_ = false;
    std::unique_ptr<X11DrawImage> image_;
    std::atomic<bool> alive_{false};
    // An X window cannot be 0 pixels wide; such a client area is a 1x1 window kept
    // unmapped, reported with size 0.
    std::atomic<bool> empty_{false};
    std::atomic<bool> wantVisible_{true};
    SurfaceState lastState_;
};

X11SurfaceResult X11WindowSurface::Open(const SurfaceRequest& request) {
    if (!SurfaceSizeAcceptable(request.place.width, request.place.height)) {
        return X11SurfaceResult::Failed;
    }
    control_ = X11OpenWatchedDisplay();
    if (control_ == nullptr) {
        return X11SurfaceResult::NoDisplay;
    }
    if (!CreateWindow(request) || !OpenDrawConnection()) {
        return X11SurfaceResult::Failed;
    }
    alive_ = true;
    return X11SurfaceResult::Created;
}

bool X11WindowSurface::CreateWindow(const SurfaceRequest& request) {
    const int screen = DefaultScreen(control_);
    const bool child = request.parent != 0;
    const Window parent =
        child ? static_cast<Window>(request.parent) : RootWindow(control_, screen);
    X11TakeErrors(control_);
    XWindowAttributes parentAttributes{};
    if (XGetWindowAttributes(control_, parent, &parentAttributes) == 0 ||
        X11TakeErrors(control_) != 0) {
        return false;
    }
    empty_ = request.place.width == 0 || request.place.height == 0;
    const unsigned width = static_cast<unsigned>(std::max(request.place.width, 1));
    const unsigned height = static_cast<unsigned>(std::max(request.place.height, 1));
    int x = request.place.x;
    int y = request.place.y;
    if (!child) {
        // No frame is added by the window itself: outer size = client size.
        x = (DisplayWidth(control_, screen) - request.place.width) / 2;
        y = (DisplayHeight(control_, screen) - request.place.height) / 2;
    }

    XSetWindowAttributes attributes{};
    attributes.background_pixel = parentAttributes.visual == DefaultVisual(control_, screen)
                                      ? BlackPixel(control_, screen)
                                      : 0;
    attributes.border_pixel = 0;
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = NoEventMask;
    window_ = XCreateWindow(control_, parent, x, y, width, height, 0, CopyFromParent, InputOutput,
                            CopyFromParent,
                            CWBackPixel | CWBorderPixel | CWBitGravity | CWEventMask, &attributes);
    XSync(control_, False);
    if (window_ == 0 || X11TakeErrors(control_) != 0) {
        window_ = 0;
        return false;
    }
    DescribeWindow(request);
    XWindowAttributes own{};
    if (XGetWindowAttributes(control_, window_, &own) == 0 || !X11VisualIsTrueColor(own.visual)) {
        return false;
    }
    visual_ = own.visual;
    depth_ = own.depth;
    ApplyMapping();
    XSync(control_, False);
    return X11TakeErrors(control_) == 0;
}

void X11WindowSurface::DescribeWindow(const SurfaceRequest& request) {
    XStoreName(control_, window_, request.title.c_str());
    XClassHint classHint{};
    std::string name = "pixora";
    std::string className = request.className;
    classHint.res_name = name.data();
    classHint.res_class = className.data();
    XSetClassHint(control_, window_, &classHint);
    if (request.parent != 0) {
        return;
    }
    // The position was chosen here (centred); a window manager should keep it.
    XWindowAttributes placed{};
    XGetWindowAttributes(control_, window_, &placed);
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = placed.x;
    hints.y = placed.y;
    hints.width = placed.width;
    hints.height = placed.height;
    XSetWMNormalHints(control_, window_, &hints);
    // Without this a window manager's close button would cut the library's connection.
    // Nothing reads the request: the window stays until the session closes it.
    Atom deleteWindow = XInternAtom(control_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(control_, window_, &deleteWindow, 1);
}

bool X11WindowSurface::OpenDrawConnection() {
    draw_ = X11OpenWatchedDisplay();
    if (draw_ == nullptr) {
        return false;
    }
    gc_ = XCreateGC(draw_, window_, 0, nullptr);
    XSync(draw_, False);
    if (gc_ == nullptr || X11TakeErrors(draw_) != 0) {
        return false;
    }
    int major = 0;
    int minor = 0;
    Bool pixmaps = False;
    std::lock_guard extensions(X11ExtensionMutex());
    sharedMemory_ = XShmQueryVersion(draw_, &major, &minor, &pixmaps) != 0;
    return true;
}

void X11WindowSurface::ApplyMapping() {
    if (wantVisible_ && !empty_) {
        XMapWindow(control_, window_);
    } else {
        XUnmapWindow(control_, window_);
    }
}

bool X11WindowSurface::CheckAlive(Display* display) {
    if (!alive_) {
        return false;
    }
    unsigned char code = 0;
    if (X11ConnectionLost(display) ||
        (X11TakeErrors(display, &code) != 0 && (code == BadWindow || code == BadDrawable))) {
        alive_ = false;
    }
    return alive_;
}

SurfaceState X11WindowSurface::QueryState() {
    lastState_ = SurfaceState{};
    if (!CheckAlive(draw_)) {
        return lastState_;
    }
    XWindowAttributes attributes{};
    const Status status = XGetWindowAttributes(draw_, window_, &attributes);
    if (!CheckAlive(draw_) || status == 0) {
        return lastState_;
    }
    lastState_.alive = true;
    lastState_.visible = attributes.map_state == IsViewable;
    if (!empty_) {
        lastState_.width = attributes.width;
        lastState_.height = attributes.height;
    }
    return lastState_;
}

bool X11WindowSurface::Draw(const SurfaceFrame& frame) {
    if (!surface_detail::FrameIsUsable(frame) || !lastState_.alive || !alive_) {
        return false;
    }
    const int width = std::min(frame.width, lastState_.width);
    const int height = std::min(frame.height, lastState_.height);
    if (width <= 0 || height <= 0) {
        return false;
    }
    if (!image_ || image_->Width() != width || image_->Height() != height) {
        image_.reset();
        image_ = X11DrawImage::Create(draw_, visual_, depth_, width, height, sharedMemory_);
        if (!image_) {
            return false;
        }
    }
    X11PackFrame(frame, width, height, image_->Image());
    image_->Put(window_, gc_, width, height);
    return CheckAlive(draw_);
}

bool X11WindowSurface::ReadBack(SurfacePicture& out) {
    if (!CheckAlive(control_)) {
        return false;
    }
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(control_, window_, &attributes) == 0 || !CheckAlive(control_)) {
        return false;
    }
    if (empty_) {
        out = SurfacePicture{};
        return true;
    }
    XImage* image = XGetImage(control_, window_, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    // An unmapped window or one reaching off the screen has no pixels to read.
    if (image == nullptr) {
        X11TakeErrors(control_);
        return false;
    }
    X11UnpackImage(image, out);
    XDestroyImage(image);
    return true;
}

SurfaceGeometry X11WindowSurface::Geometry() {
    SurfaceGeometry geometry;
    if (!CheckAlive(control_)) {
        return geometry;
    }
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    if (XGetGeometry(control_, window_, &root, &x, &y, &width, &height, &border, &depth) == 0 ||
        !CheckAlive(control_)) {
        return geometry;
    }
    geometry = SurfaceGeometry{x, y, static_cast<int32_t>(width), static_cast<int32_t>(height)};
    if (empty_) {
        geometry.width = geometry.height = 0;
    }
    return geometry;
}

bool X11WindowSurface::Resize(int32_t width, int32_t height) {
    if (!SurfaceSizeAcceptable(width, height) || !CheckAlive(control_)) {
        return false;
    }
    empty_ = width == 0 || height == 0;
    XResizeWindow(control_, window_, static_cast<unsigned>(std::max(width, 1)),
                  static_cast<unsigned>(std::max(height, 1)));
    ApplyMapping();
    XSync(control_, False);
    return CheckAlive(control_);
}

bool X11WindowSurface::SetVisible(bool visible) {
    if (!CheckAlive(control_)) {
        return false;
    }
    wantVisible_ = visible;
    ApplyMapping();
    XSync(control_, False);
    return CheckAlive(control_);
}

X11WindowSurface::~X11WindowSurface() {
    image_.reset();
    if (draw_ != nullptr) {
        if (gc_ != nullptr && !X11ConnectionLost(draw_)) {
            XFreeGC(draw_, gc_);
        }
        X11CloseWatchedDisplay(draw_);
    }
    if (control_ != nullptr) {
        // The application may have destroyed the window already (with its parent); the
        // error that gives is caught.
        if (window_ != 0 && !X11ConnectionLost(control_)) {
            XDestroyWindow(control_, window_);
        }
        X11CloseWatchedDisplay(control_);
    }
}

}  // namespace

X11SurfaceResult CreateX11Surface(const SurfaceRequest& request,
                                  std::unique_ptr<WindowSurface>& out) {
    std::unique_ptr<X11WindowSurface> surface(new (std::nothrow) X11WindowSurface);
    if (!surface) {
        return X11SurfaceResult::Failed;
    }
    const X11SurfaceResult result = surface->Open(request);
    if (result == X11SurfaceResult::Created) {
        out = std::move(surface);
    }
    return result;
}

}  // namespace pixora
