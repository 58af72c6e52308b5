#include "preview/linux/X11DrawImage.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>
#include <new>

#include "platform/linux/X11ErrorTrap.h"

namespace pixora {

std::unique_ptr<X11DrawImage> X11DrawImage::Create(Display* display, Visual* visual, int depth,
                                                   int width, int height, bool tryShared) {
    if (display == nullptr || width <= 0 || height <= 0) {
        return nullptr;
    }
    std::unique_ptr<X11DrawImage> image(new (std::nothrow) X11DrawImage(display));
    if (!image) {
        return nullptr;
    }
    if (tryShared && image->MakeShared(visual, depth, width, height)) {
        return image;
    }
    if (image->MakePlain(visual, depth, width, height)) {
        return image;
    }
    return nullptr;
}

// Every MIT-SHM call holds X11ExtensionMutex (see there); the round trips after them do not.
bool X11DrawImage::MakeShared(Visual* visual, int depth, int width, int height) {
    XImage* image = nullptr;
    {
        std::lock_guard extensions(X11ExtensionMutex());
        image =
            XShmCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, nullptr,
                            &segment_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    }
    if (image == nullptr) {
        return false;
    }
    const size_t bytes = static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height);
    segment_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (segment_.shmid < 0) {
        XDestroyImage(image);
        return false;
    }
    void* memory = shmat(segment_.shmid, nullptr, 0);
    if (memory == reinterpret_cast<void*>(-1)) {
        shmctl(segment_.shmid, IPC_RMID, nullptr);
        XDestroyImage(image);
        return false;
    }
    segment_.shmaddr = static_cast<char*>(memory);
    image->data = segment_.shmaddr;
    segment_.readOnly = False;
    X11TakeErrors(display_);
    bool attached = false;
    {
        std::lock_guard extensions(X11ExtensionMutex());
        attached = XShmAttach(display_, &segment_) != 0;
    }
    XSync(display_, False);
    // Marked for removal at once: the segment goes away when both sides have detached,
    // even if this process ends abruptly.
    shmctl(segment_.shmid, IPC_RMID, nullptr);
    if (!attached || X11TakeErrors(display_) != 0) {
        // A server on another machine cannot attach our memory.
        shmdt(segment_.shmaddr);
        image->data = nullptr;
        XDestroyImage(image);
        segment_ = XShmSegmentInfo{};
        return false;
    }
    image_ = image;
    shared_ = true;
    return true;
}

bool X11DrawImage::MakePlain(Visual* visual, int depth, int width, int height) {
    XImage* image =
        XCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                     static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
    if (image == nullptr) {
        return false;
    }
    // XDestroyImage frees the data with free().
    image->data = static_cast<char*>(
        std::calloc(static_cast<size_t>(image->bytes_per_line), static_cast<size_t>(height)));
    if (image->data == nullptr) {
        XDestroyImage(image);
        return false;
    }
    image_ = image;
    shared_ = false;
    return true;
}

void X11DrawImage::Put(Window window, GC gc, int width, int height) {
    if (shared_) {
        std::lock_guard extensions(X11ExtensionMutex());
        XShmPutImage(display_, window, gc, image_, 0, 0, 0, 0, static_cast<unsigned>(width),
                     static_cast<unsigned>(height), False);
    } else {
        XPutImage(display_, window, gc, image_, 0, 0, 0, 0, static_cast<unsigned>(width),
                  static_cast<unsigned>(height));
    }
    XSync(display_, False);
}

X11DrawImage::~X11DrawImage() {
    if (image_ == nullptr) {
        return;
    }
    if (shared_) {
        if (!X11ConnectionLost(display_)) {
            {
                std::lock_guard extensions(X11ExtensionMutex());
                XShmDetach(display_, &segment_);
            }
            XSync(display_, False);
        }
        shmdt(segment_.shmaddr);
        image_->data = nullptr;
    }
    XDestroyImage(image_);
}

}  // namespace pixora
