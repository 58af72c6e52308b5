// Every capture mode started on every running mode and back, with frames flowing before and
// after each change: the result of each start is the one its state table gives, and the
// worker that keeps running through a change (a window-less preview gaining a window or a
// callback target, a trigger run started anew) never meets an object the application
// thread is still making. Meant for the thread sanitizer, which reports such a meeting.
#include <array>
#include <string>

#include "PixoraExtensions.h"
#include "RaceFixture.h"

namespace pixora::test {
namespace {

enum class Mode {
    StartPreview,
    Preview,
    CallBackPreview,
    Trigger,
    StartTrigger,
    Capture,
    SnapShot
};

constexpr std::array kModes = {Mode::StartPreview, Mode::Preview,      Mode::CallBackPreview,
                               Mode::Trigger,      Mode::StartTrigger, Mode::Capture,
                               Mode::SnapShot};

const char* NameOf(Mode mode) {
    switch (mode) {
        case Mode::StartPreview:
            return "StartPreview";
        case Mode::Preview:
            return "Preview";
        case Mode::CallBackPreview:
            return "CallBackPreview";
        case Mode::Trigger:
            return "Trigger";
        case Mode::StartTrigger:
            return "StartTrigger";
        case Mode::Capture:
            return "Capture";
        case Mode::SnapShot:
            return "SnapShot";
    }
    return "?";
}

constexpr int32_t kIdle = 0, kPreview = 1, kCapture = 2, kTrigger = 3;

// What starting `mode` in `state` gives, and the state after it, as the capture paths'
// state table says.
struct Outcome {
    int32_t result;
    int32_t state;
};

Outcome Expected(Mode mode, int32_t state) {
    switch (mode) {
        case Mode::StartPreview:
            return state == kIdle || state == kPreview ? Outcome{1, kPreview} : Outcome{0, state};
        case Mode::Preview:
        case Mode::CallBackPreview:
            // Refused over a capture or a trigger run, and the session closes.
            return state == kIdle || state == kPreview ? Outcome{1, kPreview} : Outcome{0, kIdle};
        case Mode::Trigger:
        case Mode::StartTrigger:
            return state == kIdle || state == kTrigger ? Outcome{1, kTrigger} : Outcome{0, state};
        case Mode::Capture:
            return state == kIdle || state == kCapture ? Outcome{1, kCapture} : Outcome{0, state};
        case Mode::SnapShot:
            return state == kIdle || state == kCapture ? Outcome{1, state} : Outcome{0, state};
    }
    return {0, state};
}

class ModeChange : public RaceTest {
protected:
    int32_t Start(Mode mode) {
        const auto size = static_cast<int32_t>(target_.size());
        switch (mode) {
            case Mode::StartPreview:
                return Pixora_StartPreview(camera_);
            case Mode::Preview:
                return Pixora_Preview(camera_);
            case Mode::CallBackPreview:
                return Pixora_CallBackPreview(camera_, frames_, target_.data(), size, 1);
            case Mode::Trigger:
                return Pixora_Trigger(camera_, frames_, target_.data(), size, 0);
            case Mode::StartTrigger:
                return PixoraEx_StartTrigger(camera_);
            case Mode::Capture:
                return Pixora_Capture(camera_);
            case Mode::SnapShot:
                return Pixora_SnapShot(camera_, snapshot_.data(), size, 1);
        }
        return 0;
    }

    // In a streaming state, a frame newer than any before goes through the worker (a pulse
    // first in trigger mode); the worker is then busy with the next ones.
    void ExpectFramesFlow(int32_t state, const std::string& step) {
        if (state != kPreview && state != kTrigger)
            return;
        PixoraFrameMeta meta{};
        meta.size = sizeof meta;
        const uint64_t last =
            PixoraEx_GetFrame(camera_, nullptr, 0, 1, &meta) == 1 ? meta.sequence : 0;
        if (state == kTrigger) {
            ASSERT_EQ(PixoraSim_Trigger(0), 1) << step;
        }
        EXPECT_EQ(Bounded("a frame after a mode change",
                          [&] { return PixoraEx_WaitFrame(camera_, last, 5000); }),
                  1)
            << step;
    }

    // Starts `mode` in the state the model says the session is in, checks the result and
    // the state, and lets frames flow.
    void StartAndCheck(Mode mode, int32_t& state, const std::string& step) {
        const Outcome want = Expected(mode, state);
        EXPECT_EQ(Bounded(NameOf(mode), [&] { return Start(mode); }), want.result) << step;
        EXPECT_EQ(PixoraEx_GetCaptureState(camera_), want.state) << step;
        state = want.state;
        ExpectFramesFlow(state, step);
    }

    PIXORA_HANDLE camera_ = nullptr;
    std::vector<uint8_t> target_;
    std::vector<uint8_t> snapshot_;
};

TEST_F(ModeChange, EveryModeStartsOnEveryRunningModeAndBack) {
    camera_ = Open();
    target_ = FrameBuffer();
    snapshot_ = FrameBuffer();
    for (Mode running : kModes) {
        if (running == Mode::SnapShot)
            continue;  // a snapshot leaves nothing running
        for (Mode next : kModes) {
            const std::string pair = std::string(NameOf(running)) + " then " + NameOf(next);
            ASSERT_EQ(Pixora_StopPreview(camera_), 1) << pair;
            int32_t state = kIdle;
            StartAndCheck(running, state, pair + ": the first");
            StartAndCheck(next, state, pair + ": the second");
            StartAndCheck(running, state, pair + ": the first again");
            Drain(frames_);
            PopAll(camera_);
        }
    }
    ASSERT_EQ(Pixora_StopPreview(camera_), 1);
    EXPECT_EQ(Pixora_Release(camera_), 1);
}

}  // namespace
}  // namespace pixora::test
