// The pipeline of a recording: the camera's element, the colour mode's format, an encoder
// and a muxer for the file's container, and the file.
#pragma once

#include <string>

#include "RecordPlan.h"

namespace pixora::cli {

struct RecordPipeline {
    std::string description;  // for gst_parse_launch: elements "camera" and "file" named
    std::string label;        // "VP8 in WebM"
    std::string missing;      // an element that is not installed, with its Debian package
};

// Needs GStreamer initialised: which encoders are installed decides the Matroska codec.
RecordPipeline PlanPipeline(const RecordPlan& plan);

}  // namespace pixora::cli
