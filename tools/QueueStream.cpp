// The frame-queue loop of pixora stream.
#include "QueueStream.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "Interrupt.h"
#include "MosaicFile.h"
#include "PixoraExtensions.h"
#include "Terminal.h"

namespace pixora::cli {

namespace {

// How long one take waits, so that Ctrl-C and the plan's end are seen promptly.
constexpr int32_t kTakeSliceMs = 50;

const char* PatternName(int32_t pattern) {
    switch (pattern) {
        case PIXORA_BAYER_RGGB:
            return "RGGB";
        case PIXORA_BAYER_GRBG:
            return "GRBG";
        case PIXORA_BAYER_GBRG:
            return "GBRG";
        case PIXORA_BAYER_BGGR:
            return "BGGR";
        default:
            return "none";
    }
}

bool SaveMosaic(const StreamPlan& plan, const PixoraStreamFrame& frame, int64_t number) {
    char name[64];
    std::snprintf(name, sizeof name, "frame-%06lld.pgm", static_cast<long long>(number));
    const std::string path = (plan.folder / name).string();
    std::string error;
    if (WriteMosaicPgm(path, frame, &error))
        return true;
    std::fprintf(stderr, "pixora: writing '%s' failed: %s\n", path.c_str(), error.c_str());
    return false;
}

}  // namespace

StreamOutcome StreamFromQueue(Camera& camera, const StreamPlan& plan,
                              const std::function<void()>& firstFrame) {
    StreamOutcome outcome;
    PIXORA_HANDLE handle = camera.Handle();
    PixoraStreamOptions options{};
    options.size = sizeof options;
    options.buffers = plan.buffers;
    options.raw = plan.raw ? 1 : 0;
    // A display of counts wants the camera's recent frames when it falls behind.
    options.dropPolicy = PIXORA_DROP_OLDEST;
    if (PixoraEx_OpenStream(handle, &options) != 1) {
        camera.ReportFailure("starting the stream");
        outcome.failed = true;
        return outcome;
    }
    PixoraStreamStatus status{};
    status.size = sizeof status;
    PixoraEx_GetStreamStatus(handle, &status);
    std::string kind;
    if (plan.raw)
        kind = std::string(", the raw mosaic (") + PatternName(status.bayerPattern) + ")";
    std::printf("streaming camera %d: %d x %d, %d bits per pixel%s%s\n", camera.Index(),
                status.width, status.height, status.bitsPerPixel, kind.c_str(),
                plan.seconds || plan.frames ? "" : " (Ctrl-C stops)");

    StreamProgress progress(StdoutIsTerminal());
    StreamCounts& counts = outcome.counts;
    int32_t failureCode = 0;
    while (!Interrupted() && !outcome.failed) {
        if ((plan.seconds && progress.Seconds() >= *plan.seconds) ||
            (plan.frames && counts.delivered >= *plan.frames)) {
            outcome.reachedEnd = true;
            break;
        }
        PixoraStreamFrame frame{};
        frame.size = sizeof frame;
        const int32_t taken = PixoraEx_TakeFrame(handle, &frame, kTakeSliceMs);
        if (taken == PIXORA_TAKE_FRAME) {
            ++counts.delivered;
            counts.dropped += frame.meta.dropped;
            if (counts.delivered == 1 && firstFrame)
                firstFrame();
            if (plan.saveEvery > 0 && counts.delivered % plan.saveEvery == 0) {
                if (SaveMosaic(plan, frame, counts.delivered))
                    ++outcome.saved;
                else
                    outcome.failed = true;
            }
            PixoraEx_ReturnFrame(&frame);
        } else if (taken == PIXORA_TAKE_FAILED) {
            failureCode = camera.ReportFailure("the stream");
            outcome.failed = true;
        } else if (taken != PIXORA_TAKE_TIMEOUT) {
            std::fprintf(stderr, "pixora: the stream ended before its time\n");
            outcome.failed = true;
        }
        for (const auto& [code, count] : camera.TakeAnnouncedErrors())
            counts.errors[code] += count;
        progress.Update(counts);
    }
    if (PixoraEx_CloseStream(handle) != 1) {
        camera.ReportFailure("stopping the stream");
        outcome.stopFailed = true;
    }
    // The library's own count also has the frames the stop left in the queue, and the
    // frames that failed.
    PixoraFrameCounts library{};
    library.size = sizeof library;
    if (PixoraEx_GetFrameCounts(handle, &library) == 1) {
        counts.dropped = static_cast<int64_t>(library.dropped);
        counts.failed = static_cast<int64_t>(library.failed);
    }
    // A camera failure ends the stream with a transfer that never became a frame.
    if (failureCode != 0)
        counts.failed = std::max<int64_t>(counts.failed, 1);
    for (const auto& [code, count] : camera.TakeAnnouncedErrors())
        counts.errors[code] += count;
    // The failure's code, when the error window did not announce it.
    if (failureCode != 0 && counts.errors.count(failureCode) == 0)
        counts.errors[failureCode] = 1;
    const std::string saved = plan.saveEvery > 0 ? "saved=" + std::to_string(outcome.saved) : "";
    progress.Summary(counts, saved);
    return outcome;
}

}  // namespace pixora::cli
