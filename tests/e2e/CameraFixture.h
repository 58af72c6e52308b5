// A camera opened through the public interface against a freshly reset virtual camera,
// with its own settings file and error window.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"
#include "ScopedRegistry.h"

namespace pixora::test {

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        PixoraSim_Reset();
        // Quick frames and time-outs bounded for tests.
        ASSERT_EQ(PixoraSim_Configure("cameras=0 fps=0 scene=bars maxwait=300"), 1);
        errors_ = PixoraMsg_CreateWindow();
        frames_ = PixoraMsg_CreateWindow();
        camera_ = Pixora_Initialize(errors_);
        ASSERT_NE(camera_, nullptr);
        DrainErrors();
    }

    void TearDown() override {
        if (camera_ != nullptr) {
            EXPECT_EQ(Pixora_Release(camera_), 1);
        }
        PixoraMsg_DestroyWindow(errors_);
        PixoraMsg_DestroyWindow(frames_);
        PixoraSim_Reset();
    }

    // Every code on the error stack, oldest first; also empties the error window.
    std::vector<int32_t> DrainErrors() {
        std::vector<int32_t> codes;
        for (int32_t c = Pixora_GetLastError(camera_); c != 0; c = Pixora_GetLastError(camera_)) {
            codes.insert(codes.begin(), c);
        }
        PixoraMessage msg{};
        while (PixoraMsg_Get(errors_, &msg, 0) == 1) {
        }
        return codes;
    }

    // Waits for the next message to the frame window; false on time-out. The bound is
    // generous because a passing wait returns at once, and under Valgrind the first
    // full-size colour frame alone takes several seconds.
    bool NextFrameMessage(PixoraMessage* msg, int32_t timeoutMs = 30000) {
        return PixoraMsg_Get(frames_, msg, timeoutMs) == 1;
    }

    // A caller's buffer for a preview. The worker writes into it until the camera is
    // released in TearDown, so it belongs to the fixture: a test that ends early on a
    // failed assertion must not leave the worker writing into freed memory.
    std::vector<uint8_t>& CallerBuffer(size_t bytes) {
        callerBuffer_.assign(bytes, 0);
        return callerBuffer_;
    }

public:
    static int32_t Stride(int32_t width, int32_t bits) { return (width * bits / 8 + 3) & ~3; }

protected:
    ScopedRegistry registry_;
    PIXORA_HWND errors_ = nullptr;
    PIXORA_HWND frames_ = nullptr;
    PIXORA_HANDLE camera_ = nullptr;

private:
    std::vector<uint8_t> callerBuffer_;
};

}  // namespace pixora::test
