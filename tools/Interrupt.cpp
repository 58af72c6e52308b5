#include "Interrupt.h"

#include <atomic>
#include <csignal>
#include <cstdlib>

#include "ExitStatus.h"

namespace pixora::cli {

namespace {

// A signal handler has no other way to reach the program than a static object; a lock-free
// atomic is safe to touch from it.
std::atomic<int> stopRequests{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnStopSignal(int) {
    if (stopRequests.fetch_add(1) >= 1)
        std::_Exit(kExitInterrupted);
}

}  // namespace

void InstallInterruptHandler() {
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
}

bool Interrupted() {
    return stopRequests.load() > 0;
}

}  // namespace pixora::cli
