// The lock every call of one session takes. Recursive, as a modal dialog needs: the
// application's code on the dialog's thread may call into the session again. And fair:
// calls are served in the order they arrived, so a call waits only for the calls queued
// before it, never for later ones that slip ahead (with a plain mutex a thread calling back
// to back could take the lock again and again while a getter waits for seconds).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace pixora {

class CallMutex {
public:
    CallMutex() = default;
    CallMutex(const CallMutex&) = delete;
    CallMutex& operator=(const CallMutex&) = delete;

    // Takes the lock when every call that came first has let it go; at once on the thread
    // that holds it already.
    void lock();
    // Only when no call is queued and the lock is free, or this thread holds it.
    bool try_lock();
    void unlock();

    // Calls queued for the lock now, the one holding it not counted.
    int Waiting();

private:
    std::mutex mutex_;
    std::condition_variable turn_;
    uint64_t nextTicket_ = 0;  // the number the next arriving call draws
    uint64_t serving_ = 0;     // the number whose turn it is
    std::thread::id owner_;
    int depth_ = 0;
};

// A call's hold on its session's call lock, for the operations that let it go part-way.
using SessionCallLock = std::unique_lock<CallMutex>;

}  // namespace pixora
