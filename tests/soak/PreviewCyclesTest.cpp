// Callback preview started and stopped again and again, the colour mode changing between
// runs (and once in a while during one): every run delivers frames of its own mode, nothing
// is reported as an error, and the process ends with the threads and memory it started with.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "BoundedCall.h"
#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"
#include "ScopedRegistry.h"
#include "SoakSupport.h"
#include "StoredSettings.h"

namespace pixora::test {
namespace {

constexpr int32_t kModes[] = {8, 16, 24, 32, 48, 64};
constexpr int32_t kFrameWaitMs = 5000;

class PreviewCycles : public ::testing::Test {
protected:
    void SetUp() override {
        PixoraSim_Reset();
        ASSERT_EQ(PixoraSim_Configure("cameras=0 fps=0 scene=moving maxwait=300"), 1);
        registry_.Write(SettingsText(format_));
        errors_ = PixoraMsg_CreateWindow();
        frames_ = PixoraMsg_CreateWindow();
        camera_ = Pixora_Initialize(errors_);
        ASSERT_NE(camera_, nullptr);
        ASSERT_EQ(Pixora_GetLastError(camera_), 0);
        // Room for the widest mode.
        buffer_.assign(static_cast<size_t>(StrideOf(format_.width, 64)) * format_.height, 0);
    }

    void TearDown() override {
        if (camera_ != nullptr) {
            EXPECT_EQ(Pixora_Release(camera_), 1);
        }
        PixoraMsg_DestroyWindow(errors_);
        PixoraMsg_DestroyWindow(frames_);
        PixoraSim_Reset();
    }

    // The next frame message; its record must carry `bits`. False when none came.
    bool ExpectFrame(int32_t bits) {
        PixoraMessage msg{};
        if (PixoraMsg_Get(frames_, &msg, kFrameWaitMs) != 1)
            return false;
        EXPECT_NE(msg.wParam, 0u) << "frame error " << msg.lParam;
        if (msg.wParam == 0)
            return false;
        const auto* info = reinterpret_cast<const PixoraFrameInfo*>(msg.wParam);
        EXPECT_EQ(info->bitsPerPixel, bits);
        EXPECT_EQ(info->width, format_.width);
        EXPECT_EQ(info->height, format_.height);
        return true;
    }

    // Frames still queued after a stop; each must carry `bits`. A record lives in its session,
    // so after a release only the messages are counted.
    int DrainFrames(int32_t bits, bool sessionAlive = true) {
        int count = 0;
        PixoraMessage msg{};
        while (PixoraMsg_Get(frames_, &msg, 0) == 1) {
            EXPECT_NE(msg.wParam, 0u) << "frame error " << msg.lParam;
            if (msg.wParam != 0 && sessionAlive) {
                EXPECT_EQ(reinterpret_cast<const PixoraFrameInfo*>(msg.wParam)->bitsPerPixel, bits);
            }
            ++count;
        }
        return count;
    }

    StoredFormat format_;
    ScopedRegistry registry_;
    PIXORA_HWND errors_ = nullptr;
    PIXORA_HWND frames_ = nullptr;
    PIXORA_HANDLE camera_ = nullptr;
    std::vector<uint8_t> buffer_;
};

TEST_F(PreviewCycles, StartStopWithModeChangesLeavesNothingBehind) {
    const int cycles = SoakCount(120, 2000);
    const int threadsBefore = BaselineThreadCount();
    int64_t residentAfterWarmUp = 0;
    int64_t frames = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        const int32_t bits = kModes[cycle % 6];
        ASSERT_EQ(Pixora_SetColorMode(camera_, bits), 1);
        const auto size = static_cast<int32_t>(buffer_.size());
        ASSERT_EQ(Bounded("Pixora_CallBackPreview",
                          [&] {
                              return Pixora_CallBackPreview(camera_, frames_, buffer_.data(), size,
                                                            cycle & 1);
                          }),
                  1)
            << "cycle " << cycle;
        ASSERT_TRUE(ExpectFrame(bits)) << "cycle " << cycle;
        ++frames;
        if (cycle % 10 == 5) {
            // A new mode while streaming takes effect at the next start; frames of this run
            // keep the mode their images were made for.
            ASSERT_EQ(Pixora_SetColorMode(camera_, kModes[(cycle + 1) % 6]), 1);
            ASSERT_TRUE(ExpectFrame(bits)) << "cycle " << cycle;
            ++frames;
        }
        ASSERT_EQ(Bounded("Pixora_StopPreview", [&] { return Pixora_StopPreview(camera_); }), 1)
            << "cycle " << cycle;
        frames += DrainFrames(bits);
        ASSERT_EQ(Pixora_GetLastError(camera_), 0) << "cycle " << cycle;
        if (cycle == cycles / 10)
            residentAfterWarmUp = ResidentKiB();
    }
    const int threadsAfter = ThreadCount();
    const int64_t residentAfter = ResidentKiB();
    EXPECT_EQ(threadsAfter, threadsBefore);
    EXPECT_EQ(PixoraMsg_Pending(errors_), 0);
    if (kResidentMemoryMeaningful) {
        // Each run allocates and frees several megabytes of frame slots and images: a leak of
        // one run's worth would show many times over.
        EXPECT_LT(residentAfter - residentAfterWarmUp, 64 * 1024);
    }
    PixoraSimStatus status{};
    status.size = sizeof status;
    ASSERT_EQ(PixoraSim_GetStatus(0, &status), 1);
    EXPECT_EQ(status.openHandles, 0);
    EXPECT_EQ(status.readsWaiting, 0);
    Report("preview start/stop",
           "cycles " + std::to_string(cycles) + ", frames " + std::to_string(frames) +
               ", camera frames " + std::to_string(PixoraSim_FramesSent(0)) + ", peak RSS " +
               std::to_string(PeakResidentKiB() / 1024) + " MiB, RSS growth after warm-up " +
               std::to_string((residentAfter - residentAfterWarmUp) / 1024) +
               " MiB, threads left " + std::to_string(threadsAfter - threadsBefore));
    RecordProperty("cycles", cycles);
    RecordProperty("frames", std::to_string(frames));
    RecordProperty("threads_left", threadsAfter - threadsBefore);
}

// Opening and releasing whole sessions, each streaming briefly, also returns everything.
TEST_F(PreviewCycles, SessionsOpenedAndReleasedLeaveNothingBehind) {
    const int sessions = SoakCount(8, 300);
    const int threadsBefore = BaselineThreadCount();
    for (int i = 0; i < sessions; ++i) {
        PIXORA_HANDLE extra = Pixora_Initialize(errors_);
        ASSERT_NE(extra, nullptr);
        ASSERT_EQ(Pixora_SetColorMode(extra, kModes[i % 6]), 1);
        ASSERT_EQ(Pixora_CallBackPreview(extra, frames_, nullptr, 0, 1), 1) << i;
        ASSERT_TRUE(ExpectFrame(kModes[i % 6])) << i;
        // Released while streaming: the release stops the worker and the stream itself.
        ASSERT_EQ(Bounded("Pixora_Release", [&] { return Pixora_Release(extra); }), 1);
        DrainFrames(kModes[i % 6], false);
    }
    EXPECT_EQ(ThreadCount(), threadsBefore);
    EXPECT_EQ(PixoraMsg_Pending(errors_), 0);
    Report("session open/release", "sessions " + std::to_string(sessions) + ", threads left " +
                                       std::to_string(ThreadCount() - threadsBefore));
}

}  // namespace
}  // namespace pixora::test
