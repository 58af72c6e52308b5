// The callback-preview loop of pixora stream, for frames saved in the library's formats.
#include "CallbackStream.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "FrameWindow.h"
#include "Interrupt.h"
#include "ShotSettings.h"
#include "Terminal.h"

namespace pixora::cli {

StreamOutcome CallbackStream(Camera& camera, const StreamPlan& plan,
                             const std::function<void()>& firstFrame) {
    PIXORA_HANDLE handle = camera.Handle();
    FrameWindow frames;
    StreamOutcome outcome;
    std::vector<unsigned char> buffer(
        static_cast<size_t>(std::max<int64_t>(ImageBytes(handle), 0)));
    if (Pixora_CallBackPreview(handle, frames.Handle(), buffer.data(),
                               static_cast<int32_t>(buffer.size()), 1) != 1) {
        camera.ReportFailure("starting the stream");
        outcome.failed = true;
        return outcome;
    }
    std::printf("streaming camera %d: %d x %d, %d bits per pixel%s\n", camera.Index(),
                Pixora_Width(handle), Pixora_Height(handle), Pixora_GetColorMode(handle),
                plan.seconds || plan.frames ? "" : " (Ctrl-C stops)");

    StreamProgress progress(StdoutIsTerminal());
    StreamCounts& counts = outcome.counts;
    while (!Interrupted() && !outcome.failed) {
        if ((plan.seconds && progress.Seconds() >= *plan.seconds) ||
            (plan.frames && counts.delivered >= *plan.frames)) {
            outcome.reachedEnd = true;
            break;
        }
        if (const std::optional<FrameEvent> event = frames.Next(50)) {
            if (event->delivered) {
                ++counts.delivered;
                if (counts.delivered == 1 && firstFrame)
                    firstFrame();
                // The camera's frames between this one and the one before, not delivered.
                counts.dropped += event->meta.dropped;
                if (counts.delivered % plan.saveEvery == 0) {
                    char name[64];
                    std::snprintf(name, sizeof name, "frame-%06lld%s",
                                  static_cast<long long>(counts.delivered), plan.format.extension);
                    const std::string path = (plan.folder / name).string();
                    if (Pixora_SaveImage(handle, path.c_str(), plan.format.code) == 1) {
                        ++outcome.saved;
                    } else {
                        camera.ReportFailure("writing '" + path + "'");
                        outcome.failed = true;
                    }
                }
            } else {
                ++counts.failed;
                outcome.failed = event->errorCode == PIXORA_ERR_STREAM_FAILED;
            }
        }
        // Codes are counted from their announcements; the stack is emptied so that a later
        // failure reports only its own codes.
        for (const auto& [code, count] : camera.TakeAnnouncedErrors())
            counts.errors[code] += count;
        camera.DiscardErrors();
        progress.Update(counts);
    }
    if (Pixora_StopPreview(handle) != 1) {
        camera.ReportFailure("stopping the stream");
        outcome.stopFailed = true;
    }
    // The library's own count also has the frames a stop left behind.
    PixoraFrameCounts library{};
    library.size = sizeof library;
    if (PixoraEx_GetFrameCounts(handle, &library) == 1)
        counts.dropped = static_cast<int64_t>(library.dropped);
    for (const auto& [code, count] : camera.TakeAnnouncedErrors())
        counts.errors[code] += count;
    progress.Summary(counts, "saved=" + std::to_string(outcome.saved));
    return outcome;
}

}  // namespace pixora::cli
