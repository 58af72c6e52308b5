// Runs a library call on a thread of its own and waits for it with a generous bound. A call
// that does not come back is a hang: the program ends with a message naming the call, since
// the thread cannot be taken back and every later check would wait on it too.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <utility>

namespace pixora::test {

// Far above any time-out the suites configure (maxwait=300), far below ctest's limit.
inline constexpr std::chrono::milliseconds kCallBound{20000};

template <typename Call>
auto Bounded(const char* what, Call&& call, std::chrono::milliseconds bound = kCallBound) {
    auto done = std::async(std::launch::async, std::forward<Call>(call));
    if (done.wait_for(bound) != std::future_status::ready) {
        std::fprintf(stderr, "HANG: %s did not return within %lld ms\n", what,
                     static_cast<long long>(bound.count()));
        std::fflush(stderr);
        std::abort();
    }
    return done.get();
}

}  // namespace pixora::test
