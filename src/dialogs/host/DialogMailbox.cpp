#include "dialogs/host/DialogMailbox.h"

#include <utility>

namespace pixora {

DialogMailbox::DialogMailbox(std::function<void()> wake) : wake_(std::move(wake)) {}

bool DialogMailbox::Post(std::function<void()> task) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_)
            return false;
        tasks_.push_back(std::move(task));
        ++wakesRunning_;
    }
    if (wake_)
        wake_();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        --wakesRunning_;
    }
    wakesDone_.notify_all();
    return true;
}

int DialogMailbox::RunPending() {
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_)
            return 0;
        batch.swap(tasks_);
    }
    int count = 0;
    for (auto& task : batch) {
        task();
        ++count;
    }
    return count;
}

bool DialogMailbox::HasPending() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return !closed_ && !tasks_.empty();
}

void DialogMailbox::Close() {
    std::deque<std::function<void()>> dropped;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        closed_ = true;
        dropped.swap(tasks_);
        wakesDone_.wait(lock, [this] { return wakesRunning_ == 0; });
    }
}

bool DialogMailbox::Closed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return closed_;
}

}  // namespace pixora
