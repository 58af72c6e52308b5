// A manual-reset event: stays signalled from Set until Reset, releasing every waiter.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace pixora {

// On Windows a kernel event (CreateEventA, manual reset) carries the state.
class ManualResetEvent {
public:
#ifdef _WIN32
    explicit ManualResetEvent(bool initiallySet = false);
    ~ManualResetEvent();
#else
    explicit ManualResetEvent(bool initiallySet = false) : set_(initiallySet) {}
#endif
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // Waits until set; timeoutMs < 0 waits without limit. True when the event is set.
    bool Wait(int64_t timeoutMs = -1) const;

private:
#ifdef _WIN32
    void* event_;  // HANDLE
#else
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool set_;
#endif
};

}  // namespace pixora
