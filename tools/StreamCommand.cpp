// pixora stream: the frame queue (or, to save processed frames in the library's formats,
// the callback preview) for a time or a number of frames, with a progress display and an
// optional frame saved every N.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "CallbackStream.h"
#include "Camera.h"
#include "CaptureOptions.h"
#include "Commands.h"
#include "ErrorText.h"
#include "ExitStatus.h"
#include "Interrupt.h"
#include "PixoraExtensions.h"
#include "QueueStream.h"
#include "SaveFormats.h"
#include "ShotSettings.h"
#include "StreamPlan.h"
#include "StreamProgress.h"
#include "Terminal.h"

namespace pixora::cli {

namespace {

StreamPlan Plan(const Arguments& args) {
    if (!args.Operands().empty())
        throw UsageError("stream takes no operands");
    StreamPlan plan;
    plan.seconds = args.Seconds("seconds");
    plan.frames = args.OptionalInteger("frames", 1, 1000000000);
    plan.saveEvery = args.Integer("save-every", 1, 1000000000, 0);
    const std::string* folder = args.Value("folder");
    if (folder != nullptr && plan.saveEvery == 0)
        throw UsageError("--folder needs --save-every");
    plan.folder = folder != nullptr ? *folder : "stream-frames";
    const std::string* format = args.Value("format");
    plan.raw = args.Has("raw");
    if (plan.raw && format != nullptr)
        throw UsageError("--raw saves PGM files: --format is for processed frames");
    plan.format = FormatByName(format != nullptr ? *format : "bmp");
    plan.buffers = args.Integer("buffers", 1, PIXORA_STREAM_MAX_BUFFERS, plan.buffers);
    return plan;
}

bool PrepareFolder(const StreamPlan& plan) {
    if (plan.saveEvery == 0)
        return true;
    std::error_code error;
    std::filesystem::create_directories(plan.folder, error);
    if (error || !std::filesystem::is_directory(plan.folder)) {
        std::fprintf(stderr, "pixora: cannot use '%s' as the folder for saved frames: %s\n",
                     plan.folder.string().c_str(),
                     error ? error.message().c_str() : "not a folder");
        return false;
    }
    return true;
}

void ReportErrorCodes(const std::map<int32_t, int>& errors) {
    for (const auto& [code, count] : errors)
        std::fprintf(stderr, "pixora: stream: %s, %d time(s)\n", DescribeError(code).c_str(),
                     count);
}

int RunStream(const Arguments& args) {
    const StreamPlan plan = Plan(args);
    const std::optional<int32_t> bits = BitsOption(args);
    const int32_t device = DeviceOption(args);
    const ShotRequest shot = ParseShotOptions(args);
    if (!PrepareFolder(plan))
        return kExitFailure;

    std::unique_ptr<Camera> camera = Camera::Open(device, true);
    if (!camera)
        return kExitFailure;
    int status = kExitSuccess;
    {
        TemporarySettings settings(*camera);
        // Failures here leave the scope first, so the settings are put back before the
        // camera's destructor releases it.
        if (!ApplyColorMode(*camera, bits) || !settings.Apply(shot))
            return kExitFailure;
        const auto endWhiteBalance = [&settings, &shot] {
            if (shot.whiteBalance)
                settings.EndWhiteBalance();
        };
        // Processed frames saved in the library's formats come from the callback preview,
        // which keeps the newest frame for Pixora_SaveImage; every other run takes every
        // frame from the frame queue.
        const StreamOutcome outcome = plan.saveEvery > 0 && !plan.raw
                                          ? CallbackStream(*camera, plan, endWhiteBalance)
                                          : StreamFromQueue(*camera, plan, endWhiteBalance);
        ReportErrorCodes(outcome.counts.errors);
        const bool limited = plan.seconds || plan.frames;
        if (outcome.failed || outcome.stopFailed || outcome.counts.failed > 0 ||
            (outcome.reachedEnd && outcome.counts.delivered == 0))
            status = kExitFailure;
        else if (Interrupted() && limited && !outcome.reachedEnd)
            status = InterruptedStatus();
    }
    if (!camera->Release() && status == kExitSuccess)
        status = kExitFailure;
    return status;
}

std::vector<OptionInfo> StreamOptions() {
    std::vector<OptionInfo> options = {{"bits", true},   {"device", true},     {"seconds", true},
                                       {"frames", true}, {"save-every", true}, {"folder", true},
                                       {"format", true}, {"raw", false},       {"buffers", true}};
    for (const OptionInfo& option : ShotOptionList())
        options.push_back(option);
    return options;
}

std::string StreamHelp() {
    return std::string(
               "usage: pixora stream [options]\n\n"
               "Streams frames into memory, for --seconds or --frames, or until Ctrl-C when\n"
               "neither is given: every frame the camera sends is taken from a queue of\n"
               "--buffers buffers, and when the queue is full its oldest frame is dropped and\n"
               "counted. On a terminal a live line\n"
               "shows frames, frames per second, dropped and failed frames and the error codes\n"
               "seen; otherwise the same appears once a second as a plain line:\n"
               "  frames=N fps=F dropped=D failed=X errors=none|CODE:COUNT,...\n"
               "The last line is the summary:\n"
               "  summary seconds=S frames=N fps=F dropped=D failed=X errors=... [saved=K]\n\n"
               "options:\n") +
           kBitsHelp + kDeviceHelp +
           "  --seconds S       stream for S seconds (fractions allowed)\n"
           "  --frames N        stream until N frames were delivered\n"
           "  --save-every N    save every Nth delivered frame\n"
           "  --folder DIR      folder for saved frames (default stream-frames; created)\n"
           "  --format F        format of saved frames (default bmp; then the newest frame\n"
           "                    is taken at each message, as the callback preview gives it)\n"
           "  --raw             the mosaic as the camera sent it (8-bit samples for --bits\n"
           "                    8, 24, 32; 10-bit for 16, 48, 64), whatever the stored\n"
           "                    picture settings; saved frames are PGM files\n"
           "  --buffers N       frames the queue holds, 1..64 (default 8)\n" +
           ShotOptionsHelp() +
           "\nExit status 1 when a frame failed or none arrived, 130 (143) when Ctrl-C\n"
           "(SIGTERM) came before --seconds or --frames was reached.\n";
}

}  // namespace

Command StreamCommand() {
    static const std::string help = StreamHelp();
    return {"stream", "callback preview with live progress and a summary", help.c_str(),
            StreamOptions(), RunStream};
}

}  // namespace pixora::cli
