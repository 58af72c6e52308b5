#include "StreamProgress.h"

#include <cstdio>

namespace pixora::cli {

std::string ErrorList(const std::map<int32_t, int>& errors) {
    if (errors.empty())
        return "none";
    std::string list;
    for (const auto& [code, count] : errors) {
        if (!list.empty())
            list += ',';
        list += std::to_string(code) + ':' + std::to_string(count);
    }
    return list;
}

StreamProgress::StreamProgress(bool terminal)
    : terminal_(terminal), start_(Clock::now()), lastShown_(start_) {}

double StreamProgress::Seconds() const {
    return std::chrono::duration<double>(Clock::now() - start_).count();
}

std::string StreamProgress::Line(const StreamCounts& counts, double fps) const {
    char line[160];
    std::snprintf(line, sizeof line, "frames=%lld fps=%.1f dropped=%lld failed=%lld errors=",
                  static_cast<long long>(counts.delivered), fps,
                  static_cast<long long>(counts.dropped), static_cast<long long>(counts.failed));
    return line + ErrorList(counts.errors);
}

void StreamProgress::Update(const StreamCounts& counts) {
    const Clock::time_point now = Clock::now();
    const double sinceShown = std::chrono::duration<double>(now - lastShown_).count();
    if (sinceShown < (terminal_ ? 0.25 : 1.0))
        return;
    const double fps = (counts.delivered - deliveredAtLastShown_) / sinceShown;
    lastShown_ = now;
    deliveredAtLastShown_ = counts.delivered;
    if (terminal_) {
        // Rewrite the same line; "\033[K" clears what a longer earlier line left.
        std::printf("\r%s\033[K", Line(counts, fps).c_str());
        std::fflush(stdout);
        lineOpen_ = true;
    } else {
        std::printf("%s\n", Line(counts, fps).c_str());
    }
}

void StreamProgress::Summary(const StreamCounts& counts, const std::string& extra) {
    if (lineOpen_)
        std::printf("\n");
    lineOpen_ = false;
    const double seconds = Seconds();
    const double fps = seconds > 0 ? counts.delivered / seconds : 0.0;
    std::printf("summary seconds=%.1f %s%s%s\n", seconds, Line(counts, fps).c_str(),
                extra.empty() ? "" : " ", extra.c_str());
}

}  // namespace pixora::cli
