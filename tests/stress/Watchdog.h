// A hang is a failure: the watchdog follows what each test thread is doing and, when one
// call has not returned for far longer than any call may take, prints what each thread was
// doing, the stacks of every thread of the process (the library's workers included) and
// how to replay the run, then aborts.
#pragma once

#include <execinfo.h>
#include <pthread.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace pixora::test {

// What one test thread does now: set before each call, cleared after.
struct ThreadActivity {
    std::atomic<const char*> call{nullptr};
    std::atomic<int64_t> sinceMs{0};  // steady clock, when the call started
    std::atomic<uint64_t> calls{0};
};

namespace watchdog_detail {

inline std::atomic<bool>& StackPrinted() {
    static std::atomic<bool> printed{false};
    return printed;
}

inline void PrintStack(int) {
    void* frames[64];
    const int depth = backtrace(frames, 64);
    char header[64];
    const int length = std::snprintf(header, sizeof header, "--- thread %ld ---\n",
                                     static_cast<long>(syscall(SYS_gettid)));
    if (length > 0)
        (void)!write(STDERR_FILENO, header, static_cast<size_t>(length));
    backtrace_symbols_fd(frames, depth, STDERR_FILENO);
    StackPrinted().store(true);
}

inline int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace watchdog_detail

class Watchdog {
public:
    // `activities` outlive the watchdog; `replay` says how to run the same sequences again.
    Watchdog(std::vector<ThreadActivity>& activities, std::chrono::seconds limit,
             std::string replay)
        : activities_(activities), limit_(limit), replay_(std::move(replay)) {
        // backtrace() loads its unwinder on first use; not inside a signal handler.
        void* warm[1];
        backtrace(warm, 1);
        struct sigaction action {};
        action.sa_handler = watchdog_detail::PrintStack;
        sigemptyset(&action.sa_mask);
        sigaction(SIGUSR2, &action, nullptr);
        thread_ = std::thread([this] { Watch(); });
    }
    ~Watchdog() {
        stop_.store(true);
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    static void Begin(ThreadActivity& activity, const char* call) {
        activity.sinceMs.store(watchdog_detail::NowMs());
        activity.call.store(call);
    }
    static void End(ThreadActivity& activity) {
        activity.call.store(nullptr);
        activity.calls.fetch_add(1);
    }

private:
    void Watch() {
        while (!stop_.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            const int64_t now = watchdog_detail::NowMs();
            for (const ThreadActivity& activity : activities_) {
                const char* call = activity.call.load();
                if (call != nullptr && now - activity.sinceMs.load() > limit_.count() * 1000)
                    Bite();
            }
        }
    }

    [[noreturn]] void Bite() {
        std::fprintf(stderr, "HANG: a call has not returned within %lld s. %s\n",
                     static_cast<long long>(limit_.count()), replay_.c_str());
        const int64_t now = watchdog_detail::NowMs();
        for (size_t i = 0; i < activities_.size(); ++i) {
            const char* call = activities_[i].call.load();
            std::fprintf(
                stderr, "  test thread %zu: %s%s (%lld ms), %llu calls done\n", i,
                call != nullptr ? "in " : "between calls", call != nullptr ? call : "",
                static_cast<long long>(call != nullptr ? now - activities_[i].sinceMs.load() : 0),
                static_cast<unsigned long long>(activities_[i].calls.load()));
        }
        std::fflush(stderr);
        const long self = syscall(SYS_gettid);
        for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
            const long tid = std::stol(task.path().filename().string());
            if (tid == self)
                continue;
            watchdog_detail::StackPrinted().store(false);
            if (syscall(SYS_tgkill, getpid(), tid, SIGUSR2) != 0)
                continue;
            for (int wait = 0; wait < 100 && !watchdog_detail::StackPrinted().load(); ++wait)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::abort();
    }

    std::vector<ThreadActivity>& activities_;
    std::chrono::seconds limit_;
    std::string replay_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace pixora::test
