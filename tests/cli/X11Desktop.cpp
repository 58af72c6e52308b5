#include "cli/X11Desktop.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

namespace pixora::test {

namespace {

int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

long ProcessIdOf(Display* display, Window window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), 0, 1, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        data != nullptr && format == 32 && count == 1) {
        pid = *reinterpret_cast<long*>(data);
    }
    if (data != nullptr)
        XFree(data);
    return pid;
}

}  // namespace

X11Desktop::X11Desktop(const std::string& display) {
    if (display.empty()) {
        const char* fromEnvironment = std::getenv("DISPLAY");
        name_ = fromEnvironment != nullptr ? fromEnvironment : "";
    } else {
        name_ = display;
    }
    if (!name_.empty()) {
        // Windows of the program come and go while the test looks at them.
        XSetErrorHandler(IgnoreXError);
        // A busy server may turn a connection away for a moment.
        for (int attempt = 0; attempt < 10 && display_ == nullptr; ++attempt) {
            display_ = XOpenDisplay(name_.c_str());
            if (display_ == nullptr)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
}

X11Desktop::~X11Desktop() {
    if (display_ != nullptr)
        XCloseDisplay(display_);
}

int X11Desktop::ScreenWidth() const {
    return DisplayWidth(display_, DefaultScreen(display_));
}

int X11Desktop::ScreenHeight() const {
    return DisplayHeight(display_, DefaultScreen(display_));
}

Window X11Desktop::WaitForWindowOf(int pid, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        for (Window window : Children(DefaultRootWindow(display_))) {
            XWindowAttributes attributes;
            if (ProcessIdOf(display_, window) == pid &&
                XGetWindowAttributes(display_, window, &attributes) != 0 &&
                attributes.map_state == IsViewable)
                return window;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
}

std::string X11Desktop::Title(Window window) {
    std::string title;
    char* name = nullptr;
    if (XFetchName(display_, window, &name) != 0 && name != nullptr) {
        title = name;
        XFree(name);
    }
    return title;
}

bool X11Desktop::Size(Window window, int* width, int* height) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display_, window, &attributes) == 0)
        return false;
    *width = attributes.width;
    *height = attributes.height;
    return true;
}

std::vector<Window> X11Desktop::Children(Window window) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<Window> list;
    if (XQueryTree(display_, window, &root, &parent, &children, &count) != 0 && children != nullptr)
        list.assign(children, children + count);
    if (children != nullptr)
        XFree(children);
    return list;
}

void X11Desktop::PressKey(Window window, KeySym key) {
    XEvent event{};
    event.xkey.display = display_;
    event.xkey.window = window;
    event.xkey.root = DefaultRootWindow(display_);
    event.xkey.same_screen = True;
    event.xkey.keycode = XKeysymToKeycode(display_, key);
    for (int type : {KeyPress, KeyRelease}) {
        event.xkey.type = type;
        XSendEvent(display_, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask,
                   &event);
    }
    XFlush(display_);
}

void X11Desktop::PressCloseButton(Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
    XFlush(display_);
}

PrivateXServer::PrivateXServer(int width, int height) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return;
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const std::string fd = std::to_string(pipeFds[1]);
    pid_ = fork();
    if (pid_ == 0) {
        close(pipeFds[0]);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    // Xvfb writes the display number it took once it is ready for clients.
    pollfd ready{pipeFds[0], POLLIN, 0};
    char number[16] = {};
    if (pid_ > 0 && poll(&ready, 1, 20000) == 1 && read(pipeFds[0], number, sizeof number - 1) > 0)
        name_ = ":" + std::to_string(std::atoi(number));
    close(pipeFds[0]);
}

PrivateXServer::~PrivateXServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

}  // namespace pixora::test
