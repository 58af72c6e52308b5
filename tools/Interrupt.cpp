#include "Interrupt.h"

#include <atomic>
#include <csignal>
#include <cstdlib>

#include "ExitStatus.h"

namespace pixora::cli {

namespace {

// A signal handler has no other way to reach the program than a static object; a lock-free
// atomic is safe to touch from it. Holds the first stop signal, 0 before any.
std::atomic<int> firstSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnStopSignal(int signal) {
    int none = 0;
    if (!firstSignal.compare_exchange_strong(none, signal))
        std::_Exit(kExitSignalBase + signal);
}

}  // namespace

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls resume: the command loops look at Interrupted() often enough.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool Interrupted() {
    return firstSignal.load() != 0;
}

int InterruptedStatus() {
    const int signal = firstSignal.load();
    return signal != 0 ? kExitSignalBase + signal : kExitInterrupted;
}

}  // namespace pixora::cli
