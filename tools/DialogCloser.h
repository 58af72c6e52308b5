// Ends the library's modal dialog when a stop is asked for. The dialog runs its loop on the
// thread that called its export, so a thread of the program watches for the stop and then
// closes the process's top-level windows the way the window manager's close button does,
// which the dialog takes as Cancel. The export then returns and the camera can be released.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace pixora::cli {

class DialogCloser {
public:
    DialogCloser();
    // Ends the watch (call it once the dialog has returned).
    ~DialogCloser();
    DialogCloser(const DialogCloser&) = delete;
    DialogCloser& operator=(const DialogCloser&) = delete;

private:
    void Watch();

    std::mutex mutex_;
    std::condition_variable wake_;
    bool finished_ = false;
    std::thread thread_;
};

}  // namespace pixora::cli
