#include "platform/linux/X11ErrorTrap.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace pixora {
namespace {

constexpr int kOpenAttempts = 10;
constexpr int kOpenRetryMs = 50;

struct WatchedDisplay {
    Display* display = nullptr;
    int errors = 0;
    unsigned char lastCode = 0;
    bool lost = false;
};

// Xlib's error handler is one function for the whole process and carries no user data,
// so the watched connections have to live in one registry.
struct ErrorRegistry {
    std::mutex mutex;
    std::vector<WatchedDisplay> displays;
    XErrorHandler previous = nullptr;
    // Never held with `mutex` from outside in: an error handler may run while it is held.
    std::mutex extensions;
};

ErrorRegistry& Registry() {
    static ErrorRegistry registry;
    return registry;
}

int CountingErrorHandler(Display* display, XErrorEvent* event) {
    ErrorRegistry& registry = Registry();
    XErrorHandler previous = nullptr;
    {
        std::lock_guard lock(registry.mutex);
        for (WatchedDisplay& watched : registry.displays) {
            if (watched.display == display) {
                ++watched.errors;
                watched.lastCode = event->error_code;
                return 0;
            }
        }
        previous = registry.previous;
    }
    return previous != nullptr ? previous(display, event) : 0;
}

// Runs instead of exiting when a watched connection breaks; Xlib then fails every later
// request on that connection.
void ConnectionLost(Display* display, void*) {
    ErrorRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    for (WatchedDisplay& watched : registry.displays) {
        if (watched.display == display) {
            watched.lost = true;
        }
    }
}

void InitThreadsOnce() {
    static std::once_flag once;
    std::call_once(once, [] { XInitThreads(); });
}

}  // namespace

void X11WatchErrors(Display* display) {
    if (display == nullptr) {
        return;
    }
    ErrorRegistry& registry = Registry();
    {
        std::lock_guard lock(registry.mutex);
        registry.displays.push_back(WatchedDisplay{display});
    }
    // Another part of the program may have put its own handler in since; keep that one
    // as the handler for its connections.
    XErrorHandler old = XSetErrorHandler(CountingErrorHandler);
    if (old != CountingErrorHandler) {
        std::lock_guard lock(registry.mutex);
        registry.previous = old;
    }
    XSetIOErrorExitHandler(display, ConnectionLost, nullptr);
}

void X11UnwatchErrors(Display* display) {
    ErrorRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    auto found = std::find_if(registry.displays.begin(), registry.displays.end(),
                              [display](const WatchedDisplay& w) { return w.display == display; });
    if (found != registry.displays.end()) {
        registry.displays.erase(found);
    }
}

int X11TakeErrors(Display* display, unsigned char* lastCode) {
    ErrorRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    for (WatchedDisplay& watched : registry.displays) {
        if (watched.display == display) {
            const int errors = watched.errors;
            if (lastCode != nullptr) {
                *lastCode = watched.lastCode;
            }
            watched.errors = 0;
            return errors;
        }
    }
    return 0;
}

bool X11ConnectionLost(Display* display) {
    ErrorRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    for (const WatchedDisplay& watched : registry.displays) {
        if (watched.display == display) {
            return watched.lost;
        }
    }
    return false;
}

Display* X11OpenWatchedDisplay() {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || name[0] == '\0') {
        return nullptr;
    }
    InitThreadsOnce();
    // A server whose last client has just left resets itself and refuses connections for
    // a moment; a named display is tried for about half a second before giving up.
    Display* display = XOpenDisplay(nullptr);
    for (int attempt = 1; display == nullptr && attempt < kOpenAttempts; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kOpenRetryMs));
        display = XOpenDisplay(nullptr);
    }
    X11WatchErrors(display);
    return display;
}

std::mutex& X11ExtensionMutex() {
    return Registry().extensions;
}

void X11CloseWatchedDisplay(Display* display) {
    if (display == nullptr) {
        return;
    }
    if (!X11ConnectionLost(display)) {
        XSync(display, False);
    }
    {
        // Closing takes the connection out of every extension's list.
        std::lock_guard extensions(X11ExtensionMutex());
        XCloseDisplay(display);
    }
    X11UnwatchErrors(display);
}

}  // namespace pixora
