// Counts of a streaming run and their display: a live line rewritten in place on a
// terminal, plain "key=value" lines once a second otherwise, and the closing summary.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>

namespace pixora::cli {

struct StreamCounts {
    int64_t delivered = 0;          // frames handed over with their frame message
    int64_t failed = 0;             // frames announced as failed (frame message with an error code)
    int64_t dropped = 0;            // frames the camera sent that were never handed over
    std::map<int32_t, int> errors;  // every error code recorded, with how often
};

// "none", or the codes with their counts: "8:2,13:1".
std::string ErrorList(const std::map<int32_t, int>& errors);

class StreamProgress {
public:
    using Clock = std::chrono::steady_clock;

    explicit StreamProgress(bool terminal);

    // Shows the counts when the display is due (several times a second on a terminal,
    // once a second otherwise).
    void Update(const StreamCounts& counts);
    // Ends the live line and prints "summary frames=... seconds=... fps=... ...".
    void Summary(const StreamCounts& counts, const std::string& extra);
    double Seconds() const;

private:
    std::string Line(const StreamCounts& counts, double fps) const;

    bool terminal_;
    Clock::time_point start_;
    Clock::time_point lastShown_;
    int64_t deliveredAtLastShown_ = 0;
    bool lineOpen_ = false;
};

}  // namespace pixora::cli
