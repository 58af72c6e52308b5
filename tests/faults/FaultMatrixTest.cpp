// Every capture path in 8-bit and 10-bit samples against every fault of the virtual camera:
// the result of each call, the error codes, the frame messages, that each call comes back,
// and that releasing the session afterwards leaves no driver handle open and no read waiting.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "BoundedCall.h"
#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"
#include "ScopedRegistry.h"
#include "StoredSettings.h"

namespace pixora::test {
namespace {

enum class Path { Snapshot, CaptureSnapshot, CallbackPreview, Trigger };
enum class Fault {
    None,
    AbsentAtOpen,  // no camera when the session opens
    Unplugged,     // the camera goes after the session opened it
    OpenFailure,
    FailingCommand,
    ShortReply,
    ShortFrame,
    Stall,
    Vanish,  // gone after one more whole frame
};

const char* PathName(Path p) {
    constexpr const char* kNames[] = {"Snapshot", "CaptureSnapshot", "CallbackPreview", "Trigger"};
    return kNames[static_cast<int>(p)];
}

const char* FaultName(Fault f) {
    constexpr const char* kNames[] = {"None",        "AbsentAtOpen",   "Unplugged",
                                      "OpenFailure", "FailingCommand", "ShortReply",
                                      "ShortFrame",  "Stall",          "Vanish"};
    return kNames[static_cast<int>(f)];
}

constexpr int kShots = 3;
constexpr int kPulses = 3;
constexpr int kWantedFrames = 3;
// How long a stream gets to show a frame or its failure (time-outs are bounded to 100 ms).
constexpr int32_t kMessageWaitMs = 1500;
constexpr int32_t kQuietWaitMs = 250;

// What a path did.
struct Observed {
    std::vector<int32_t> results;         // each call, in order
    int32_t stopResult = -1;              // StopPreview after a streaming path
    int goodFrames = 0;                   // frame messages carrying a frame record
    std::vector<intptr_t> frameErrors;    // codes of frame messages without a record
    std::vector<int32_t> errors;          // the error stack, oldest first
    std::vector<intptr_t> errorMessages;  // codes posted to the error window
    bool recordsValid = true;             // every frame record had the expected fields

    std::string Describe() const {
        std::ostringstream s;
        s << "results {";
        for (int32_t r : results)
            s << ' ' << r;
        s << " } stop " << stopResult << " frames " << goodFrames << " frame errors {";
        for (intptr_t e : frameErrors)
            s << ' ' << e;
        s << " } errors {";
        for (int32_t e : errors)
            s << ' ' << e;
        s << " }";
        return s.str();
    }
};

// What the path must do.
struct Expected {
    std::vector<int32_t> results;
    int32_t stopResult = -1;
    int minFrames = 0;
    int maxFrames = 0;
    std::vector<intptr_t> frameErrors;
    std::vector<int32_t> errors;
};

using Case = std::tuple<Path, int, Fault>;

class FaultMatrix : public ::testing::TestWithParam<Case> {
protected:
    Path path() const { return std::get<0>(GetParam()); }
    int bits() const { return std::get<1>(GetParam()); }
    bool tenBit() const { return bits() == 48; }
    Fault fault() const { return std::get<2>(GetParam()); }

    void SetUp() override {
        PixoraSim_Reset();
        ASSERT_EQ(PixoraSim_Configure("cameras=0 fps=0 scene=bars maxwait=100"), 1);
        StoredFormat format;
        format.colorIndex = tenBit() ? 4 : 2;
        registry_.Write(SettingsText(format));
        bufferSize_ = StrideOf(format.width, bits()) * format.height;
        buffer_.assign(static_cast<size_t>(bufferSize_), 0);
        errors_ = PixoraMsg_CreateWindow();
        frames_ = PixoraMsg_CreateWindow();
        if (fault() == Fault::AbsentAtOpen) {
            ASSERT_EQ(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_ABSENT, 0), 1);
        }
        camera_ = Bounded("Pixora_Initialize", [this] { return Pixora_Initialize(errors_); });
        ASSERT_NE(camera_, nullptr);
        ASSERT_EQ(Pixora_GetColorMode(camera_), bits());
        ASSERT_TRUE(PopAll().empty());
        Drain(errors_);
        ApplyFault();
    }

    void TearDown() override {
        if (camera_ != nullptr) {
            EXPECT_EQ(Bounded("Pixora_Release", [this] { return Pixora_Release(camera_); }), 1);
        }
        // Released: no handle on the camera, no read waiting for a frame.
        PixoraSimStatus status{};
        status.size = sizeof status;
        ASSERT_EQ(PixoraSim_GetStatus(0, &status), 1);
        EXPECT_EQ(status.openHandles, 0);
        EXPECT_EQ(status.readsWaiting, 0);
        PixoraMessage msg{};
        EXPECT_EQ(PixoraMsg_Get(frames_, &msg, 50), 0) << "a frame message after release";
        PixoraMsg_DestroyWindow(errors_);
        PixoraMsg_DestroyWindow(frames_);
        PixoraSim_Reset();
    }

    void ApplyFault() {
        struct Setting {
            int32_t kind;
            int32_t argument;
        };
        Setting s{PIXORA_SIM_FAULT_NONE, 0};
        switch (fault()) {
            case Fault::None:
            case Fault::AbsentAtOpen:
                return;
            case Fault::Unplugged:
                s = {PIXORA_SIM_FAULT_ABSENT, 0};
                break;
            case Fault::OpenFailure:
                s = {PIXORA_SIM_FAULT_OPEN, 0};
                break;
            case Fault::FailingCommand:
                s = {PIXORA_SIM_FAULT_COMMAND, 0};
                break;
            case Fault::ShortReply:
                s = {PIXORA_SIM_FAULT_SHORT_REPLY, 10};
                break;
            case Fault::ShortFrame:
                s = {PIXORA_SIM_FAULT_SHORT_FRAME, 1000};
                break;
            case Fault::Stall:
                s = {PIXORA_SIM_FAULT_STALL, 0};
                break;
            case Fault::Vanish:
                s = {PIXORA_SIM_FAULT_VANISH, 1};
                break;
        }
        ASSERT_EQ(PixoraSim_SetFault(0, s.kind, s.argument), 1);
    }

    std::vector<int32_t> PopAll() {
        std::vector<int32_t> codes;
        for (int32_t c = Pixora_GetLastError(camera_); c != 0; c = Pixora_GetLastError(camera_))
            codes.insert(codes.begin(), c);
        return codes;
    }

    static std::vector<intptr_t> Drain(PIXORA_HWND window) {
        std::vector<intptr_t> codes;
        PixoraMessage msg{};
        while (PixoraMsg_Get(window, &msg, 0) == 1)
            codes.push_back(msg.lParam);
        return codes;
    }

    // One frame message into `seen`; false when none came in time.
    bool TakeFrameMessage(Observed& seen, int32_t waitMs) {
        PixoraMessage msg{};
        if (PixoraMsg_Get(frames_, &msg, waitMs) != 1)
            return false;
        EXPECT_EQ(msg.message, static_cast<uint32_t>(PIXORA_WM_FRAME));
        if (msg.wParam == 0) {
            seen.frameErrors.push_back(msg.lParam);
            return true;
        }
        ++seen.goodFrames;
        const auto* info = reinterpret_cast<const PixoraFrameInfo*>(msg.wParam);
        const StoredFormat format;
        seen.recordsValid = seen.recordsValid && info->size == 24 && info->width == format.width &&
                            info->height == format.height && info->bitsPerPixel == bits() &&
                            info->reserved == 0 && msg.lParam == 0;
        return true;
    }

    int32_t Shot() {
        return Bounded("Pixora_SnapShot",
                       [this] { return Pixora_SnapShot(camera_, buffer_.data(), bufferSize_, 1); });
    }

    int32_t Stop() {
        return Bounded("Pixora_StopPreview", [this] { return Pixora_StopPreview(camera_); });
    }

    Observed Run() {
        Observed seen;
        switch (path()) {
            case Path::Snapshot:
                for (int i = 0; i < kShots; ++i)
                    seen.results.push_back(Shot());
                break;
            case Path::CaptureSnapshot:
                seen.results.push_back(
                    Bounded("Pixora_Capture", [this] { return Pixora_Capture(camera_); }));
                for (int i = 0; i < kShots; ++i)
                    seen.results.push_back(Shot());
                seen.stopResult = Stop();
                break;
            case Path::CallbackPreview:
                seen.results.push_back(Bounded("Pixora_CallBackPreview", [this] {
                    return Pixora_CallBackPreview(camera_, frames_, buffer_.data(), bufferSize_, 1);
                }));
                // Frames until enough arrived, the stream reported its end, or all went quiet.
                while (seen.results[0] == 1 && seen.goodFrames < kWantedFrames &&
                       seen.frameErrors.empty() && TakeFrameMessage(seen, kMessageWaitMs)) {
                }
                seen.stopResult = Stop();
                // Frames delivered before the stop returned; none may follow it.
                while (TakeFrameMessage(seen, 0)) {
                }
                seen.goodFrames = std::min(seen.goodFrames, kWantedFrames);
                break;
            case Path::Trigger:
                seen.results.push_back(Bounded("Pixora_Trigger", [this] {
                    return Pixora_Trigger(camera_, frames_, buffer_.data(), bufferSize_, 1);
                }));
                for (int pulse = 0; pulse < kPulses && seen.results[0] == 1; ++pulse) {
                    PixoraSim_Trigger(0);
                    // A pulse that must bring a frame gets time; one that must not gets the
                    // driver time-out and a little more to show a frame it should not.
                    TakeFrameMessage(seen,
                                     pulse < Expect().maxFrames ? kMessageWaitMs : kQuietWaitMs);
                }
                seen.stopResult = Stop();
                while (TakeFrameMessage(seen, 0)) {
                }
                break;
        }
        seen.errors = PopAll();
        seen.errorMessages = Drain(errors_);
        return seen;
    }

    // The documented outcome of this path under this fault.
    Expected Expect() const {
        Expected e;
        const bool streaming = path() == Path::CallbackPreview || path() == Path::Trigger;
        // How the single-frame and streaming transfers fare under the fault.
        enum class Transfer { Works, NoCamera, Fails, FirstOnly };
        Transfer transfer = Transfer::Works;
        switch (fault()) {
            case Fault::None:
            case Fault::ShortReply:  // only the clock query reads replies; 0 is the default
                transfer = Transfer::Works;
                break;
            case Fault::AbsentAtOpen:
                transfer = Transfer::NoCamera;
                break;
            case Fault::FailingCommand:
                // The sample width never reaches the camera: 10-bit frames come half size.
                transfer = tenBit() ? Transfer::Fails : Transfer::Works;
                break;
            case Fault::Unplugged:
            case Fault::OpenFailure:
            case Fault::ShortFrame:
            case Fault::Stall:
                transfer = Transfer::Fails;
                break;
            case Fault::Vanish:
                transfer = Transfer::FirstOnly;
                break;
        }

        if (transfer == Transfer::NoCamera) {
            // Stream preparation finds no camera at the open index: error 2 each time.
            const int calls = path() == Path::Snapshot          ? kShots
                              : path() == Path::CaptureSnapshot ? 1 + kShots
                                                                : 1;
            e.results.assign(static_cast<size_t>(calls), 0);
            e.errors.assign(static_cast<size_t>(calls), 2);
            e.stopResult = path() == Path::Snapshot ? -1 : 1;
            return e;
        }

        if (!streaming) {
            if (path() == Path::CaptureSnapshot) {
                e.results.push_back(1);
                e.stopResult = 1;
            }
            // A failed single-frame transfer fails the snapshot without an error code.
            for (int i = 0; i < kShots; ++i) {
                const bool ok =
                    transfer == Transfer::Works || (transfer == Transfer::FirstOnly && i == 0);
                e.results.push_back(ok ? 1 : 0);
            }
            return e;
        }

        if (path() == Path::CallbackPreview) {
            e.results = {1};
            if (transfer == Transfer::Works) {
                e.minFrames = e.maxFrames = kWantedFrames;
                e.stopResult = 1;
                return e;
            }
            // The stream ends: one frame message with 13, then stopping reports how the
            // device's stream ended.
            e.maxFrames = transfer == Transfer::FirstOnly ? 1 : 0;
            e.frameErrors = {13};
            e.errors = {13, 6};
            e.stopResult = 0;
            return e;
        }

        // Trigger.
        if (fault() == Fault::Unplugged || fault() == Fault::OpenFailure ||
            (fault() == Fault::FailingCommand)) {
            // The camera cannot be switched to trigger mode: refused, nothing runs.
            e.results = {0};
            e.errors = {6};
            e.stopResult = 1;
            return e;
        }
        e.results = {1};
        e.stopResult = 1;
        e.minFrames = e.maxFrames = transfer == Transfer::Works       ? kPulses
                                    : transfer == Transfer::FirstOnly ? 1
                                                                      : 0;
        return e;
    }

    ScopedRegistry registry_;
    PIXORA_HWND errors_ = nullptr;
    PIXORA_HWND frames_ = nullptr;
    PIXORA_HANDLE camera_ = nullptr;
    std::vector<uint8_t> buffer_;
    int32_t bufferSize_ = 0;
};

TEST_P(FaultMatrix, DocumentedOutcome) {
    const Observed seen = Run();
    const Expected want = Expect();
    SCOPED_TRACE(seen.Describe());
    EXPECT_EQ(seen.results, want.results);
    EXPECT_EQ(seen.stopResult, want.stopResult);
    EXPECT_GE(seen.goodFrames, want.minFrames);
    EXPECT_LE(seen.goodFrames, want.maxFrames);
    EXPECT_TRUE(seen.recordsValid);
    EXPECT_EQ(seen.frameErrors, want.frameErrors);
    EXPECT_EQ(seen.errors, want.errors);
    // Every recorded code was also posted to the error window, in order.
    EXPECT_EQ(seen.errorMessages, std::vector<intptr_t>(want.errors.begin(), want.errors.end()));
}

// After the fault clears, the same session captures again on the same path: no fault leaves
// it wedged. (A camera that was absent when the session opened stays unknown to it.)
TEST_P(FaultMatrix, SessionRecoversOnceTheFaultClears) {
    Run();
    ASSERT_EQ(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_NONE, 0), 1);
    PopAll();
    Drain(errors_);
    const int32_t expected = fault() == Fault::AbsentAtOpen ? 0 : 1;
    Observed seen;
    switch (path()) {
        case Path::Snapshot:
            EXPECT_EQ(Shot(), expected);
            break;
        case Path::CaptureSnapshot:
            EXPECT_EQ(Pixora_Capture(camera_), expected);
            EXPECT_EQ(Shot(), expected);
            EXPECT_EQ(Stop(), 1);
            break;
        case Path::CallbackPreview:
            ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, buffer_.data(), bufferSize_, 1),
                      expected);
            if (expected == 1) {
                ASSERT_TRUE(TakeFrameMessage(seen, kMessageWaitMs));
                EXPECT_EQ(seen.goodFrames, 1);
            }
            EXPECT_EQ(Stop(), 1);
            break;
        case Path::Trigger:
            ASSERT_EQ(Pixora_Trigger(camera_, frames_, buffer_.data(), bufferSize_, 1), expected);
            if (expected == 1) {
                ASSERT_EQ(PixoraSim_Trigger(0), 1);
                ASSERT_TRUE(TakeFrameMessage(seen, kMessageWaitMs));
                EXPECT_EQ(seen.goodFrames, 1);
            }
            EXPECT_EQ(Stop(), 1);
            break;
    }
    while (TakeFrameMessage(seen, 0)) {
    }
    EXPECT_TRUE(seen.frameErrors.empty());
    EXPECT_TRUE(seen.recordsValid);
    const std::vector<int32_t> codes = PopAll();
    if (expected == 1) {
        EXPECT_TRUE(codes.empty());
    }
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    return std::string(PathName(std::get<0>(info.param))) + "_" +
           std::to_string(std::get<1>(info.param) == 48 ? 10 : 8) + "bit_" +
           FaultName(std::get<2>(info.param));
}

INSTANTIATE_TEST_SUITE_P(AllPaths, FaultMatrix,
                         ::testing::Combine(::testing::Values(Path::Snapshot, Path::CaptureSnapshot,
                                                              Path::CallbackPreview, Path::Trigger),
                                            ::testing::Values(24, 48),
                                            ::testing::Values(Fault::None, Fault::AbsentAtOpen,
                                                              Fault::Unplugged, Fault::OpenFailure,
                                                              Fault::FailingCommand,
                                                              Fault::ShortReply, Fault::ShortFrame,
                                                              Fault::Stall, Fault::Vanish)),
                         CaseName);

}  // namespace
}  // namespace pixora::test
