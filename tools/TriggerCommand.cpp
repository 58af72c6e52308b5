// pixora trigger: trigger mode, with pulses sent to the virtual camera, reporting each
// delivered frame and each transfer time-out.
#include <chrono>
#include <cstdio>
#include <vector>

#include "Camera.h"
#include "CaptureOptions.h"
#include "Commands.h"
#include "ErrorText.h"
#include "ExitStatus.h"
#include "FrameWindow.h"
#include "Interrupt.h"
#include "SimulatorCounters.h"
#include "StreamProgress.h"

namespace pixora::cli {

namespace {

using Clock = std::chrono::steady_clock;

// Frames and time-outs of one trigger run, printed as they happen.
class TriggerLog {
public:
    TriggerLog(int32_t device, Camera& camera, FrameWindow& frames)
        : device_(device),
          camera_(camera),
          frames_(frames),
          failedReads_(ReadSimulatorCounters(device).framesFailed) {}

    // Reports what happens until `until`, or until a stop is asked for.
    void WatchUntil(Clock::time_point until) {
        while (!Interrupted()) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
            if (left.count() <= 0)
                break;
            Poll(static_cast<int32_t>(std::min<int64_t>(left.count(), 50)));
        }
    }

    void Poll(int32_t waitMs) {
        if (const std::optional<FrameEvent> event = frames_.Next(waitMs)) {
            if (event->delivered) {
                ++delivered_;
                std::printf("frame %lld: %d x %d, %d bits per pixel\n",
                            static_cast<long long>(delivered_), event->info.width,
                            event->info.height, event->info.bitsPerPixel);
            } else {
                ++failed_;
                std::printf("frame failed: %s\n", DescribeError(event->errorCode).c_str());
            }
        }
        // Each armed read that ends without a pulse is one time-out of the camera.
        const int64_t failedReads = ReadSimulatorCounters(device_).framesFailed;
        for (; failedReads_ < failedReads; ++failedReads_) {
            ++timeouts_;
            std::printf("time-out: no trigger within the transfer time-out\n");
        }
        for (const auto& [code, count] : camera_.TakeAnnouncedErrors())
            errors_[code] += count;
        camera_.DiscardErrors();
    }

    int64_t Delivered() const { return delivered_; }
    int64_t Failed() const { return failed_; }
    int64_t Timeouts() const { return timeouts_; }
    const std::map<int32_t, int>& Errors() const { return errors_; }

private:
    int32_t device_;
    Camera& camera_;
    FrameWindow& frames_;
    int64_t failedReads_;
    int64_t delivered_ = 0;
    int64_t failed_ = 0;
    int64_t timeouts_ = 0;
    std::map<int32_t, int> errors_;
};

int RunTrigger(const Arguments& args) {
    if (!args.Operands().empty())
        throw UsageError("trigger takes no operands");
    const std::optional<int32_t> bits = BitsOption(args);
    const int32_t device = DeviceOption(args);
    const int32_t pulses = args.Integer("pulses", 0, 1000000, 1);
    const int32_t intervalMs = args.Integer("interval", 0, 3600000, 100);
    const int32_t waitMs = args.Integer("wait", 0, 3600000, 3500);

    std::unique_ptr<Camera> camera = Camera::Open(device, true);
    if (!camera)
        return kExitFailure;
    PIXORA_HANDLE handle = camera->Handle();
    if (!ApplyColorMode(*camera, bits))
        return kExitFailure;
    FrameWindow frames;
    std::vector<unsigned char> buffer(
        static_cast<size_t>(std::max<int64_t>(ImageBytes(handle), 0)));
    TriggerLog log(device, *camera, frames);
    if (Pixora_Trigger(handle, frames.Handle(), buffer.data(), static_cast<int32_t>(buffer.size()),
                       1) != 1) {
        camera->ReportFailure("switching to trigger mode");
        return kExitFailure;
    }
    std::printf("trigger mode on camera %d: %d pulse(s), one every %d ms\n", device, pulses,
                intervalMs);

    int32_t sent = 0;
    for (; sent < pulses && !Interrupted(); ++sent) {
        log.WatchUntil(Clock::now() + std::chrono::milliseconds(intervalMs));
        if (Interrupted())
            break;
        if (PixoraSim_Trigger(device) != 1) {
            std::fprintf(stderr, "pixora: trigger: camera %d did not take pulse %d\n", device,
                         sent + 1);
            break;
        }
        std::printf("pulse %d sent\n", sent + 1);
    }
    // The last frames may still be on their way; with no pulses, this only watches.
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    if (pulses == 0)
        log.WatchUntil(deadline);
    while (!Interrupted() && log.Delivered() + log.Failed() < sent && Clock::now() < deadline)
        log.Poll(50);

    const bool stopped = Interrupted();
    log.Poll(0);
    int status = kExitSuccess;
    // Stopping cancels the armed read; that is no time-out, so nothing is counted after it.
    if (Pixora_StopPreview(handle) != 1) {
        camera->ReportFailure("leaving trigger mode");
        status = kExitFailure;
    }
    std::printf("summary pulses=%d frames=%lld failed=%lld timeouts=%lld errors=%s\n", sent,
                static_cast<long long>(log.Delivered()), static_cast<long long>(log.Failed()),
                static_cast<long long>(log.Timeouts()), ErrorList(log.Errors()).c_str());
    if (status == kExitSuccess) {
        const bool allDelivered = sent == pulses && log.Delivered() >= sent && log.Failed() == 0;
        // With no pulses the command only watches for --wait: a stop cuts that short.
        if (stopped && !(allDelivered && pulses > 0))
            status = InterruptedStatus();
        else if (!allDelivered)
            status = kExitFailure;
    }
    if (!camera->Release() && status == kExitSuccess)
        status = kExitFailure;
    return status;
}

}  // namespace

Command TriggerCommand() {
    static const std::string help =
        std::string(
            "usage: pixora trigger [options]\n\n"
            "Switches the camera to external trigger mode and sends --pulses trigger pulses\n"
            "to the virtual camera, one every --interval milliseconds. Prints a line for each\n"
            "pulse, each delivered frame ('frame N: ...') and each time the camera's transfer\n"
            "time-out passed without a pulse ('time-out: ...'), then\n"
            "  summary pulses=P frames=N failed=X timeouts=T errors=none|CODE:COUNT,...\n"
            "Exit status 0 when every pulse delivered a frame, 130 (143) when Ctrl-C\n"
            "(SIGTERM) came first.\n\n"
            "options:\n") +
        kBitsHelp + kDeviceHelp +
        "  --pulses N        pulses to send (default 1; 0: only wait)\n"
        "  --interval MS     milliseconds before each pulse (default 100)\n"
        "  --wait MS         how long to wait for the last frames (default 3500)\n";
    return {
        "trigger",
        "trigger mode with pulses to the virtual camera",
        help.c_str(),
        {{"bits", true}, {"device", true}, {"pulses", true}, {"interval", true}, {"wait", true}},
        RunTrigger};
}

}  // namespace pixora::cli
