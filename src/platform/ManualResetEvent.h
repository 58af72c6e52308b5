// A manual-reset event: stays signalled from Set until Reset, releasing every waiter.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace pixora {

class ManualResetEvent {
public:
    explicit ManualResetEvent(bool initiallySet = false) : set_(initiallySet) {}
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // Waits until set; timeoutMs < 0 waits without limit. True when the event is set.
    bool Wait(int64_t timeoutMs = -1) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool set_;
};

}  // namespace pixora
