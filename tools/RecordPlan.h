// What `pixora record` was asked to do, checked before anything starts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "CommandLine.h"

namespace pixora::cli {

enum class Container { Matroska, WebM };

struct RecordPlan {
    std::string file;
    Container container = Container::Matroska;
    std::optional<double> seconds;
    std::optional<int32_t> frames;
    int32_t bits = 24;
    int32_t device = 0;
    // Frames the element's queue holds while the encoder is busy (its queue-size).
    int32_t buffers = 8;
};

// The plan of a command line; UsageError for a file name without .mkv or .webm, both
// --seconds and --frames, or a colour mode that has no video format.
RecordPlan ParseRecordPlan(const Arguments& args);

// Records as planned (record/Recording.cpp; a message saying that GStreamer is missing when
// the program was built without it). Returns the exit status.
int Record(const RecordPlan& plan);

}  // namespace pixora::cli
