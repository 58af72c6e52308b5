#include "LibraryLog.h"

#include <cstdio>

#include "PixoraExtensions.h"

namespace pixora::cli {

namespace {

void PrintMessage(int32_t level, const char* text, void*) {
    if (level > PIXORA_LOG_WARNING)
        return;
    // One write per line, so that lines of several threads do not mix.
    std::fprintf(stderr, "pixora: %s: %s\n", level == PIXORA_LOG_ERROR ? "error" : "warning", text);
}

}  // namespace

void PrintLibraryLog() {
    PixoraEx_SetLogHandler(PrintMessage, nullptr);
}

}  // namespace pixora::cli
