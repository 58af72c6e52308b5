// Tasks handed to a dialog's thread from any other thread. The dialog's loop runs them; once
// the dialog ended the mailbox is closed and drops what it holds, so a task never outlives
// the objects it points to.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace pixora {

class DialogMailbox {
public:
    // `wake` is called (without any lock held) after each accepted post, from the posting
    // thread, to make the dialog's loop look at the mailbox.
    explicit DialogMailbox(std::function<void()> wake);
    DialogMailbox(const DialogMailbox&) = delete;
    DialogMailbox& operator=(const DialogMailbox&) = delete;

    // False when the dialog has ended.
    bool Post(std::function<void()> task);

    // Dialog thread: runs the tasks posted so far (not those they post themselves).
    // The number run.
    int RunPending();
    bool HasPending() const;
    // Dialog thread: no task is accepted or run after this. Waits for posts that are still
    // waking the loop, so that whatever `wake` touches may go away once this returns.
    void Close();
    bool Closed() const;

private:
    std::function<void()> wake_;
    mutable std::mutex mutex_;
    std::condition_variable wakesDone_;
    std::deque<std::function<void()>> tasks_;
    int wakesRunning_ = 0;
    bool closed_ = false;
};

}  // namespace pixora
