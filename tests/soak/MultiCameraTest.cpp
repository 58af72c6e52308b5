// Eight cameras streaming at once in one process, one session each: every session's frames
// go to its own message window, no frame record or picture crosses from one session to
// another, and releasing them all leaves no handle, read or thread behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <numeric>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "BoundedCall.h"
#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"
#include "ScopedRegistry.h"
#include "SoakSupport.h"
#include "StoredSettings.h"

namespace pixora::test {
namespace {

constexpr int kCameras = 8;
constexpr int32_t kBits = 24;

struct Stream {
    PIXORA_HANDLE camera = nullptr;
    PIXORA_HWND errors = nullptr;
    PIXORA_HWND frames = nullptr;
    std::vector<uint8_t> buffer;
    std::set<uintptr_t> records;  // addresses of the frame records posted to this window
    int64_t goodFrames = 0;
    int64_t frameErrors = 0;
    std::string errorCodes;  // the codes the failed frames carried, for the failure message
};

class MultiCamera : public ::testing::Test {
protected:
    void SetUp() override {
        PixoraSim_Reset();
        // Sixteen threads share the machine with the other suites: a bound on the time-outs
        // that a busy machine never reaches, and still no hang if a stream stalls.
        ASSERT_EQ(PixoraSim_Configure("cameras=0,1,2,3,4,5,6,7 fps=60 scene=bars maxwait=2000"), 1);
        registry_.Write(SettingsText(format_));
        threadsBefore_ = BaselineThreadCount();
    }

    void TearDown() override {
        for (Stream& s : streams_) {
            if (s.camera != nullptr) {
                EXPECT_EQ(Pixora_Release(s.camera), 1);
            }
            PixoraMsg_DestroyWindow(s.errors);
            PixoraMsg_DestroyWindow(s.frames);
        }
        PixoraSim_Reset();
    }

    // Takes what is waiting in every frame window.
    void Collect() {
        for (Stream& s : streams_) {
            PixoraMessage msg{};
            while (PixoraMsg_Get(s.frames, &msg, 0) == 1) {
                EXPECT_EQ(msg.message, static_cast<uint32_t>(PIXORA_WM_FRAME));
                if (msg.wParam == 0) {
                    ++s.frameErrors;
                    s.errorCodes += std::to_string(static_cast<int64_t>(msg.lParam)) + " ";
                    continue;
                }
                ++s.goodFrames;
                s.records.insert(msg.wParam);
            }
        }
    }

    StoredFormat format_;
    ScopedRegistry registry_;
    std::array<Stream, kCameras> streams_;
    int threadsBefore_ = 0;
};

double Mean(const std::vector<uint8_t>& bytes) {
    return std::accumulate(bytes.begin(), bytes.end(), 0.0) / static_cast<double>(bytes.size());
}

TEST_F(MultiCamera, EightCamerasStreamIntoTheirOwnWindows) {
    const int64_t wanted = SoakCount(15, 3000);
    for (int i = 0; i < kCameras; ++i) {
        Stream& s = streams_[static_cast<size_t>(i)];
        s.errors = PixoraMsg_CreateWindow();
        s.frames = PixoraMsg_CreateWindow();
        s.camera = Pixora_Initialize(s.errors);
        ASSERT_NE(s.camera, nullptr);
        ASSERT_EQ(Pixora_SetDeviceNumber(s.camera, i), 1);
        ASSERT_EQ(Pixora_SetColorMode(s.camera, kBits), 1);
        ASSERT_EQ(Pixora_SetWaitTime(s.camera, 2), 1);
        // Each camera its own brightness, so a picture tells which camera it came from.
        ASSERT_EQ(Pixora_SetGlobalGain(s.camera, 150 + 110 * i), 1);
        s.buffer.assign(static_cast<size_t>(StrideOf(format_.width, kBits)) * format_.height, 0);
    }
    // Every new session sets up camera 0 before it selects its own, so all are opened and
    // placed before any streams.
    for (Stream& s : streams_) {
        ASSERT_EQ(Pixora_CallBackPreview(s.camera, s.frames, s.buffer.data(),
                                         static_cast<int32_t>(s.buffer.size()), 1),
                  1);
    }

    // Every camera has the one stream of its own session reading from it (each stream
    // worker opens its driver handle on its own thread, so give it the time to).
    for (int i = 0; i < kCameras; ++i) {
        PixoraSimStatus status{};
        status.size = sizeof status;
        const auto opened = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        do {
            ASSERT_EQ(PixoraSim_GetStatus(i, &status), 1);
            if (status.openHandles >= 1)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        } while (std::chrono::steady_clock::now() < opened);
        EXPECT_GE(status.openHandles, 1) << "camera " << i;
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    auto enough = [&] {
        return std::all_of(streams_.begin(), streams_.end(),
                           [&](const Stream& s) { return s.goodFrames >= wanted; });
    };
    while (!enough() && std::chrono::steady_clock::now() < deadline) {
        Collect();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(enough()) << "not every camera delivered " << wanted << " frames: " << [&] {
        std::string counts;
        for (const Stream& s : streams_) {
            counts += std::to_string(s.goodFrames) + "/" + std::to_string(s.frameErrors) + " ";
        }
        return counts;
    }();

    for (Stream& s : streams_)
        EXPECT_EQ(Bounded("Pixora_StopPreview", [&] { return Pixora_StopPreview(s.camera); }), 1);
    Collect();

    int64_t totalFrames = 0;
    std::set<uintptr_t> allRecords;
    for (int i = 0; i < kCameras; ++i) {
        const Stream& s = streams_[static_cast<size_t>(i)];
        SCOPED_TRACE("camera " + std::to_string(i));
        totalFrames += s.goodFrames;
        EXPECT_EQ(s.frameErrors, 0) << "codes " << s.errorCodes;
        EXPECT_EQ(PixoraMsg_Pending(s.errors), 0);
        EXPECT_EQ(Pixora_GetLastError(s.camera), 0);
        // No session delivers more frames than its own camera sent.
        EXPECT_LE(s.goodFrames, PixoraSim_FramesSent(i));
        // The records one window received are one session's small set of them, used in
        // turn, and no other window ever received one of them.
        ASSERT_FALSE(s.records.empty());
        EXPECT_EQ(s.records.size(), std::min<size_t>(64u, static_cast<size_t>(s.goodFrames)));
        for (uintptr_t record : s.records)
            EXPECT_TRUE(allRecords.insert(record).second) << "record shared between sessions";
        // Pictures grow brighter with the camera's gain: each buffer holds its own camera's.
        if (i > 0) {
            EXPECT_GT(Mean(s.buffer), Mean(streams_[static_cast<size_t>(i - 1)].buffer) + 1.0);
        }
    }

    for (Stream& s : streams_) {
        EXPECT_EQ(Bounded("Pixora_Release", [&] { return Pixora_Release(s.camera); }), 1);
        s.camera = nullptr;
    }
    int64_t cameraFrames = 0;
    for (int i = 0; i < kCameras; ++i) {
        PixoraSimStatus status{};
        status.size = sizeof status;
        ASSERT_EQ(PixoraSim_GetStatus(i, &status), 1);
        EXPECT_EQ(status.openHandles, 0) << "camera " << i;
        EXPECT_EQ(status.readsWaiting, 0) << "camera " << i;
        cameraFrames += status.framesSent;
    }
    const int threadsLeft = ThreadCount() - threadsBefore_;
    EXPECT_EQ(threadsLeft, 0);
    Report("eight cameras", "frames delivered " + std::to_string(totalFrames) +
                                ", frames sent by the cameras " + std::to_string(cameraFrames) +
                                ", peak RSS " + std::to_string(PeakResidentKiB() / 1024) +
                                " MiB, threads left " + std::to_string(threadsLeft));
    RecordProperty("frames", std::to_string(totalFrames));
}

}  // namespace
}  // namespace pixora::test
