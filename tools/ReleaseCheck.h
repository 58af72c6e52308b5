// After a camera is released, nothing of it may remain: no driver handle open on the
// virtual camera and no thread beyond those the process had before.
#pragma once

#include <string>

namespace pixora::cli {

// Threads of this process, or -1 where that cannot be told.
int CountThreads();

// Empty when clean, else what was left behind.
std::string LeftoversAfterRelease(int threadsBefore);

}  // namespace pixora::cli
