// Shared by the soak and load suites: the length of a run, and what the process holds.
//
// Every suite runs in a short form by default (a few seconds, part of the normal ctest run).
// PIXORA_SOAK=long selects the long form of the same tests; `ctest -L long` runs it.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace pixora::test {

inline bool LongSoak() {
    const char* mode = std::getenv("PIXORA_SOAK");
    return mode != nullptr && std::strcmp(mode, "long") == 0;
}

inline int SoakCount(int shortForm, int longForm) {
    return LongSoak() ? longForm : shortForm;
}

// Threads of this process right now.
inline int ThreadCount() {
    int count = 0;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator("/proc/self/task", ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        ++count;
    }
    return count;
}

// Threads of this process once a first thread has come and gone, so that a helper thread a
// runtime starts along with the first one (the thread sanitizer has one) is counted too.
inline int BaselineThreadCount() {
    std::thread([] {}).join();
    return ThreadCount();
}

// Resident memory now and at its peak, in KiB.
inline int64_t ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    int64_t size = 0;
    int64_t resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

inline int64_t PeakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Sanitizer builds keep freed memory in quarantine, so resident memory says nothing there.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kResidentMemoryMeaningful = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr bool kResidentMemoryMeaningful = false;
#else
inline constexpr bool kResidentMemoryMeaningful = true;
#endif
#else
inline constexpr bool kResidentMemoryMeaningful = true;
#endif

// The figures of a run, on the test's output and in its XML properties.
inline void Report(const char* name, const std::string& figures) {
    std::printf("[ figures  ] %s: %s\n", name, figures.c_str());
    std::fflush(stdout);
}

}  // namespace pixora::test
