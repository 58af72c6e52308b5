// Sessions opened through the exports against a freshly reset virtual camera, with a small
// capture window so that many captures stay cheap under the sanitizers, and the checks the
// thread and state suites share: what the camera has open, what a buffer and a window
// received after a point in time.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "BoundedCall.h"
#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"
#include "ScopedRegistry.h"
#include "StoredSettings.h"

namespace pixora::test {

inline constexpr uint8_t kUntouched = 0xA5;

class RaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        PixoraSim_Reset();
        ASSERT_EQ(PixoraSim_Configure("cameras=0 fps=0 scene=bars maxwait=300"), 1);
        registry_.Write(SettingsText(format_));
        errors_ = PixoraMsg_CreateWindow();
        frames_ = PixoraMsg_CreateWindow();
    }

    void TearDown() override {
        PixoraMsg_DestroyWindow(errors_);
        PixoraMsg_DestroyWindow(frames_);
        PixoraSim_Reset();
    }

    // A session with the fixture's error window and no error left on its stack.
    PIXORA_HANDLE Open() {
        PIXORA_HANDLE camera = Pixora_Initialize(errors_);
        EXPECT_NE(camera, nullptr);
        PopAll(camera);
        return camera;
    }

    // Every code on the stack, oldest first.
    static std::vector<int32_t> PopAll(PIXORA_HANDLE camera) {
        std::vector<int32_t> codes;
        for (int32_t c = Pixora_GetLastError(camera); c != 0; c = Pixora_GetLastError(camera))
            codes.insert(codes.begin(), c);
        return codes;
    }

    static PixoraSimStatus Status(int32_t index = 0) {
        PixoraSimStatus status{};
        status.size = sizeof status;
        EXPECT_EQ(PixoraSim_GetStatus(index, &status), 1);
        return status;
    }

    // Messages waiting in `window`, taken out.
    static std::vector<PixoraMessage> Drain(PIXORA_HWND window) {
        std::vector<PixoraMessage> messages;
        PixoraMessage msg{};
        while (PixoraMsg_Get(window, &msg, 0) == 1)
            messages.push_back(msg);
        return messages;
    }

    // A caller's buffer for one frame of the stored window at `bits` per pixel.
    std::vector<uint8_t> FrameBuffer(int32_t bits = 24) const {
        return std::vector<uint8_t>(
            static_cast<size_t>(StrideOf(format_.width, bits)) * format_.height, kUntouched);
    }

    static bool Untouched(const std::vector<uint8_t>& buffer) {
        for (uint8_t b : buffer) {
            if (b != kUntouched)
                return false;
        }
        return true;
    }

    static void Pause(int milliseconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

    static int64_t MillisecondsSince(std::chrono::steady_clock::time_point start) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start)
            .count();
    }

    StoredFormat format_;
    ScopedRegistry registry_;
    PIXORA_HWND errors_ = nullptr;
    PIXORA_HWND frames_ = nullptr;
};

}  // namespace pixora::test
