// pixora stream: callback preview for a time or a number of frames, with a progress
// display and an optional frame saved every N.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Camera.h"
#include "CaptureOptions.h"
#include "Commands.h"
#include "ErrorText.h"
#include "ExitStatus.h"
#include "FrameWindow.h"
#include "Interrupt.h"
#include "SaveFormats.h"
#include "ShotSettings.h"
#include "StreamProgress.h"
#include "Terminal.h"

namespace pixora::cli {

namespace {

struct StreamPlan {
    std::optional<double> seconds;
    std::optional<int32_t> frames;
    int32_t saveEvery = 0;
    std::filesystem::path folder;
    SaveFormat format{};
};

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
    plan.format = FormatByName(format != nullptr ? *format : "bmp");
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
    FrameWindow frames;
    int status = kExitSuccess;
    {
        TemporarySettings settings(*camera);
        // Failures here leave the scope first, so the settings are put back before the
        // camera's destructor releases it.
        if (!ApplyColorMode(*camera, bits) || !settings.Apply(shot))
            return kExitFailure;
        PIXORA_HANDLE handle = camera->Handle();
        std::vector<unsigned char> buffer(
            static_cast<size_t>(std::max<int64_t>(ImageBytes(handle), 0)));
        if (Pixora_CallBackPreview(handle, frames.Handle(), buffer.data(),
                                   static_cast<int32_t>(buffer.size()), 1) != 1) {
            camera->ReportFailure("starting the stream");
            return kExitFailure;
        }
        std::printf("streaming camera %d: %d x %d, %d bits per pixel%s\n", device,
                    Pixora_Width(handle), Pixora_Height(handle), Pixora_GetColorMode(handle),
                    plan.seconds || plan.frames ? "" : " (Ctrl-C stops)");

        StreamProgress progress(StdoutIsTerminal());
        StreamCounts counts;
        int64_t saved = 0;
        bool streamFailed = false;
        bool reachedEnd = false;
        while (!Interrupted() && !streamFailed) {
            if ((plan.seconds && progress.Seconds() >= *plan.seconds) ||
                (plan.frames && counts.delivered >= *plan.frames)) {
                reachedEnd = true;
                break;
            }
            if (const std::optional<FrameEvent> event = frames.Next(50)) {
                if (event->delivered) {
                    ++counts.delivered;
                    if (counts.delivered == 1 && shot.whiteBalance)
                        settings.EndWhiteBalance();
                    // The camera's frames between this one and the one before, not delivered.
                    counts.dropped += event->meta.dropped;
                    if (plan.saveEvery > 0 && counts.delivered % plan.saveEvery == 0) {
                        char name[64];
                        std::snprintf(name, sizeof name, "frame-%06lld%s",
                                      static_cast<long long>(counts.delivered),
                                      plan.format.extension);
                        const std::string path = (plan.folder / name).string();
                        if (Pixora_SaveImage(handle, path.c_str(), plan.format.code) == 1) {
                            ++saved;
                        } else {
                            camera->ReportFailure("writing '" + path + "'");
                            streamFailed = true;
                        }
                    }
                } else {
                    ++counts.failed;
                    streamFailed = event->errorCode == PIXORA_ERR_STREAM_FAILED;
                }
            }
            // Codes are counted from their announcements; the stack is emptied so that a
            // later failure reports only its own codes.
            for (const auto& [code, count] : camera->TakeAnnouncedErrors())
                counts.errors[code] += count;
            camera->DiscardErrors();
            progress.Update(counts);
        }
        if (Pixora_StopPreview(handle) != 1) {
            camera->ReportFailure("stopping the stream");
            status = kExitFailure;
        }
        // The library's own count also has the frames a stop left behind.
        PixoraFrameCounts library{};
        library.size = sizeof library;
        if (PixoraEx_GetFrameCounts(handle, &library) == 1)
            counts.dropped = static_cast<int64_t>(library.dropped);
        for (const auto& [code, count] : camera->TakeAnnouncedErrors())
            counts.errors[code] += count;
        progress.Summary(counts, plan.saveEvery > 0 ? "saved=" + std::to_string(saved) : "");
        ReportErrorCodes(counts.errors);
        const bool limited = plan.seconds || plan.frames;
        if (streamFailed || counts.failed > 0 || (reachedEnd && counts.delivered == 0))
            status = kExitFailure;
        else if (Interrupted() && limited && !reachedEnd && status == kExitSuccess)
            status = InterruptedStatus();
    }
    if (!camera->Release() && status == kExitSuccess)
        status = kExitFailure;
    return status;
}

std::vector<OptionInfo> StreamOptions() {
    std::vector<OptionInfo> options = {{"bits", true},   {"device", true},     {"seconds", true},
                                       {"frames", true}, {"save-every", true}, {"folder", true},
                                       {"format", true}};
    for (const OptionInfo& option : ShotOptionList())
        options.push_back(option);
    return options;
}

std::string StreamHelp() {
    return std::string(
               "usage: pixora stream [options]\n\n"
               "Streams frames into memory with a message per frame, for --seconds or\n"
               "--frames, or until Ctrl-C when neither is given. On a terminal a live line\n"
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
           "  --format F        format of saved frames (default bmp)\n" +
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
