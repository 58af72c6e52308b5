// The client-side picture the X11 surface puts into its window: in a shared-memory
// segment when the server offers MIT-SHM on this machine (no copy through the socket),
// else in ordinary memory sent with XPutImage.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <memory>

namespace pixora {

class X11DrawImage {
public:
    // An image of `width` x `height` for windows of `visual` and `depth` on `display`;
    // null when no memory or no image could be had. Tries shared memory first when
    // `tryShared` is set.
    static std::unique_ptr<X11DrawImage> Create(Display* display, Visual* visual, int depth,
                                                int width, int height, bool tryShared);
    ~X11DrawImage();
    X11DrawImage(const X11DrawImage&) = delete;
    X11DrawImage& operator=(const X11DrawImage&) = delete;

    XImage* Image() { return image_; }
    int Width() const { return image_->width; }
    int Height() const { return image_->height; }
    bool Shared() const { return shared_; }

    // Sends the top-left `width` x `height` pixels to the window and waits until the
    // server has them, so the memory may be written again at once.
    void Put(Window window, GC gc, int width, int height);

private:
    explicit X11DrawImage(Display* display) : display_(display) {}
    bool MakeShared(Visual* visual, int depth, int width, int height);
    bool MakePlain(Visual* visual, int depth, int width, int height);

    Display* display_;
    XImage* image_ = nullptr;
    XShmSegmentInfo segment_{};
    bool shared_ = false;
};

}  // namespace pixora
