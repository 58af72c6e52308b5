#include "X11Windows.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace pixora::cli {

namespace {

int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

bool CarriesProcessId(Display* display, Window window, unsigned long pid) {
    const Atom property = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const bool read = XGetWindowProperty(display, window, property, 0, 1, False, XA_CARDINAL, &type,
                                         &format, &count, &after, &data) == Success;
    // 32-bit properties come back as an array of long.
    const bool ours = read && data != nullptr && format == 32 && count == 1 &&
                      *reinterpret_cast<unsigned long*>(data) == pid;
    if (data != nullptr)
        XFree(data);
    return ours;
}

std::vector<Window> Children(Display* display, Window window) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<Window> list;
    if (XQueryTree(display, window, &root, &parent, &children, &count) != 0 && children != nullptr)
        list.assign(children, children + count);
    if (children != nullptr)
        XFree(children);
    return list;
}

}  // namespace

void PrepareX11() {
    static std::once_flag once;
    std::call_once(once, [] {
        XInitThreads();
        // The library puts its own handler in front of this one for its connections.
        XSetErrorHandler(IgnoreXError);
    });
}

Display* OpenX11Display() {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0')
        return nullptr;
    // A busy server may turn a connection away for a moment.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (Display* display = XOpenDisplay(name))
            return display;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return nullptr;
}

std::vector<Window> WindowsOfThisProcess(Display* display) {
    const auto pid = static_cast<unsigned long>(getpid());
    std::vector<Window> found;
    for (Window top : Children(display, DefaultRootWindow(display))) {
        if (CarriesProcessId(display, top, pid)) {
            found.push_back(top);
            continue;
        }
        for (Window inner : Children(display, top)) {
            if (CarriesProcessId(display, inner, pid))
                found.push_back(inner);
        }
    }
    return found;
}

bool AskWindowToClose(Display* display, Window window) {
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    Atom* taken = nullptr;
    int count = 0;
    bool takesDelete = false;
    if (XGetWMProtocols(display, window, &taken, &count) != 0) {
        for (int i = 0; i < count; ++i)
            takesDelete = takesDelete || taken[i] == deleteWindow;
        XFree(taken);
    }
    if (!takesDelete)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    return true;
}

void MarkWindowAsOurs(Display* display, Window window) {
    const long pid = getpid();
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
}

}  // namespace pixora::cli
