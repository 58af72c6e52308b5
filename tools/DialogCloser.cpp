#include "DialogCloser.h"

#include <chrono>
#include <set>

#include "Interrupt.h"
#include "X11Windows.h"

namespace pixora::cli {

namespace {

// How often the watch looks for a stop request; a signal handler cannot wake a thread.
constexpr std::chrono::milliseconds kPollInterval{50};

}  // namespace

DialogCloser::DialogCloser() : thread_([this] { Watch(); }) {}

DialogCloser::~DialogCloser() {
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void DialogCloser::Watch() {
    Display* display = nullptr;
    std::set<Window> asked;
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, kPollInterval, [this] { return finished_; })) {
        if (!Interrupted())
            continue;
        if (display == nullptr && (display = OpenX11Display()) == nullptr)
            break;  // no display, so no dialog window either
        // The dialog may not be shown yet when the stop comes: keep looking until it returns.
        for (Window window : WindowsOfThisProcess(display)) {
            if (asked.count(window) == 0 && AskWindowToClose(display, window))
                asked.insert(window);
        }
    }
    if (display != nullptr)
        XCloseDisplay(display);
}

}  // namespace pixora::cli
