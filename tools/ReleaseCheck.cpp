#include "ReleaseCheck.h"

#include <filesystem>
#include <system_error>

#include "PixoraPlatform.h"

namespace pixora::cli {

int CountThreads() {
    std::error_code error;
    std::filesystem::directory_iterator tasks("/proc/self/task", error);
    if (error)
        return -1;
    int count = 0;
    for (const auto& entry : tasks) {
        (void)entry;
        ++count;
    }
    return count;
}

std::string LeftoversAfterRelease(int threadsBefore) {
    std::string leftovers;
    int handles = 0;
    for (int32_t slot = 0; slot < PIXORA_SIM_CAMERA_SLOTS; ++slot) {
        PixoraSimStatus status{};
        status.size = sizeof status;
        if (PixoraSim_GetStatus(slot, &status) == 1)
            handles += status.openHandles;
    }
    if (handles > 0)
        leftovers = std::to_string(handles) + " driver handle(s) still open";
    int threadsAfter = CountThreads();
#if defined(__SANITIZE_THREAD__)
    // The thread sanitizer's runtime starts a thread of its own with the program's first.
    --threadsAfter;
#endif
    if (threadsBefore > 0 && threadsAfter > threadsBefore) {
        if (!leftovers.empty())
            leftovers += ", ";
        leftovers += std::to_string(threadsAfter - threadsBefore) + " thread(s) still running";
    }
    return leftovers;
}

}  // namespace pixora::cli
