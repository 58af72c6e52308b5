// pixora record: the camera into a Matroska or WebM video file through the pixorasrc element.
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "Commands.h"
#include "ExitStatus.h"
#include "PixoraExtensions.h"
#include "RecordPlan.h"

namespace pixora::cli {

namespace {

bool EndsWith(std::string text, const std::string& ending) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text.size() > ending.size() &&
           text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

int RunRecord(const Arguments& args) {
    return Record(ParseRecordPlan(args));
}

constexpr const char* kRecordHelp =
    "usage: pixora record FILE [--seconds S | --frames N] [--bits B] [--buffers N] [--device N]\n\n"
    "Records the camera into FILE: Matroska for .mkv (H.264 where the x264enc element is\n"
    "installed, else VP8), WebM for .webm (VP8). Frames keep the times the camera took them\n"
    "at. Records for --seconds or --frames, or until Ctrl-C, which finishes the file so that\n"
    "it plays; a second Ctrl-C ends the program at once. On a terminal a live line shows\n"
    "frames, frames per second, dropped and failed frames; otherwise the same appears once a\n"
    "second as a plain line. The last line is the summary:\n"
    "  summary seconds=S frames=N fps=F dropped=D failed=X errors=none file=FILE bytes=B\n\n"
    "options:\n"
    "  --seconds S       record S seconds of video (fractions allowed)\n"
    "  --frames N        record N frames\n"
    "  --bits B          colour mode: 24 (default) or 32 colour, 8 or 16 gray (the sensor's\n"
    "                    mosaic); 48 and 64 have no video format\n"
    "  --buffers N       frames the library's queue holds while the encoder is busy, 1..64\n"
    "                    (default 8); when it is full the oldest is dropped and counted\n"
    "  --device N        camera index 0..7 (default 0)\n"
    "\nThe stored picture settings apply; 'pixora set' changes them. Exit status 1 when the\n"
    "camera failed or the file could not be written, 130 (143) when Ctrl-C (SIGTERM) came\n"
    "before --seconds or --frames was reached; the file is finished in either case.\n"
    "A pixora built without GStreamer has the command but says so and exits with 1.\n";

}  // namespace

RecordPlan ParseRecordPlan(const Arguments& args) {
    if (args.Operands().size() != 1)
        throw UsageError("record takes one FILE");
    RecordPlan plan;
    plan.file = args.Operands()[0];
    if (EndsWith(plan.file, ".mkv")) {
        plan.container = Container::Matroska;
    } else if (EndsWith(plan.file, ".webm")) {
        plan.container = Container::WebM;
    } else {
        throw UsageError("FILE must end in .mkv or .webm, not '" + plan.file + "'");
    }
    plan.seconds = args.Seconds("seconds");
    plan.frames = args.OptionalInteger("frames", 1, 1000000000);
    if (plan.seconds && plan.frames)
        throw UsageError("give --seconds or --frames, not both");
    if (const std::string* text = args.Value("bits")) {
        const std::optional<int64_t> bits = ParseInteger(*text);
        if (!bits || (*bits != 8 && *bits != 16 && *bits != 24 && *bits != 32))
            throw UsageError("--bits must be 8, 16, 24 or 32 for a recording, not '" + *text + "'");
        plan.bits = static_cast<int32_t>(*bits);
    }
    plan.buffers = args.Integer("buffers", 1, PIXORA_STREAM_MAX_BUFFERS, plan.buffers);
    plan.device = DeviceOption(args);
    return plan;
}

#ifndef PIXORA_HAVE_GSTREAMER
int Record(const RecordPlan&) {
    std::fprintf(stderr,
                 "pixora record: this pixora was built without GStreamer; install its development "
                 "files (libgstreamer1.0-dev, libgstreamer-plugins-base1.0-dev) and build again\n");
    return kExitFailure;
}
#endif

Command RecordCommand() {
    return {
        "record",
        "record into a .mkv or .webm video file",
        kRecordHelp,
        {{"seconds", true}, {"frames", true}, {"bits", true}, {"buffers", true}, {"device", true}},
        RunRecord};
}

}  // namespace pixora::cli
