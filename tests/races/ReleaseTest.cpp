// Handles and their release under several application threads: two threads initialising at
// once, a release while another thread's call waits on the session, frame records read after
// release, and release of a session that has no device.
#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>

#include "RaceFixture.h"
#include "api/PixoraHandleList.h"
#include "session/CameraSession.h"

namespace pixora::test {
namespace {

using Release = RaceTest;

// Two new threads start their generators alike and share the tick count: without one locked
// step from choosing the value to linking it, both receive the same handle in about one
// round of four.
TEST_F(Release, TwoThreadsInitialisingTogetherNeverShareAHandle) {
    constexpr int kRounds = 40;
    for (int round = 0; round < kRounds; ++round) {
        std::atomic<int> ready{0};
        PIXORA_HANDLE handles[2] = {};
        auto initialise = [&](int which) {
            ready.fetch_add(1);
            while (ready.load() < 2) {
            }
            handles[which] = Pixora_Initialize(nullptr);
        };
        std::thread first(initialise, 0);
        std::thread second(initialise, 1);
        first.join();
        second.join();
        ASSERT_NE(handles[0], nullptr);
        EXPECT_NE(handles[0], handles[1]) << "round " << round;
        EXPECT_EQ(Pixora_Release(handles[0]), 1);
        EXPECT_EQ(Pixora_Release(handles[1]), 1);
        if (handles[0] == handles[1])
            break;
    }
}

// A call waiting on the session holds it too; the release must not leave the teardown to
// that call: when Pixora_Release returns, the worker has ended, the camera is closed, the
// caller's buffer is no longer written and nothing more is posted.
TEST_F(Release, ReleaseEndsEverythingWhileAnotherThreadsCallWaits) {
    constexpr int kRounds = 20;
    for (int round = 0; round < kRounds; ++round) {
        PIXORA_HANDLE camera = Open();
        std::vector<uint8_t> buffer = FrameBuffer();
        ASSERT_EQ(Pixora_SetWaitTime(camera, 1), 1);
        ASSERT_EQ(Pixora_CallBackPreview(camera, frames_, buffer.data(),
                                         static_cast<int32_t>(buffer.size()), 1),
                  1);
        PixoraMessage msg{};
        ASSERT_EQ(PixoraMsg_Get(frames_, &msg, 5000), 1);

        // Each of these holds the call lock for 120 ms; the next one is already waiting
        // when the release gets its turn.
        std::atomic<bool> stop{false};
        std::thread waiter([&] {
            while (!stop.load()) {
                int32_t ok = 0;
                Pixora_GetExposureTime(camera, &ok);
            }
        });
        Pause(30);
        ASSERT_EQ(Bounded("Pixora_Release", [&] { return Pixora_Release(camera); }), 1);
        const PixoraSimStatus status = Status();
        Drain(frames_);
        std::memset(buffer.data(), kUntouched, buffer.size());
        Pause(150);
        stop.store(true);
        waiter.join();

        EXPECT_EQ(status.openHandles, 0) << "round " << round;
        EXPECT_EQ(status.readsWaiting, 0) << "round " << round;
        EXPECT_TRUE(Untouched(buffer)) << "round " << round;
        EXPECT_EQ(PixoraMsg_Pending(frames_), 0) << "round " << round;
        // The waiting calls found the handle gone.
        int32_t ok = 1;
        EXPECT_EQ(Pixora_GetExposureTime(camera, &ok), 0);
        if (HasFailure())
            break;
    }
}

// The address in a frame message points at a record the application may read whenever it
// takes the message, also after releasing the camera.
TEST_F(Release, AFrameRecordStaysReadableAfterRelease) {
    PIXORA_HANDLE camera = Open();
    ASSERT_EQ(Pixora_CallBackPreview(camera, frames_, nullptr, 0, 1), 1);
    PixoraMessage msg{};
    ASSERT_EQ(PixoraMsg_Get(frames_, &msg, 5000), 1);
    ASSERT_NE(msg.wParam, 0u);
    ASSERT_EQ(Pixora_Release(camera), 1);
    // Memory of the released session's size given out again and scribbled over.
    std::vector<std::unique_ptr<uint8_t[]>> churn;
    for (size_t size = 64; size <= 256 * 1024; size += size / 4) {
        churn.emplace_back(new uint8_t[size]);
        std::memset(churn.back().get(), 0xEE, size);
    }
    const auto* record = reinterpret_cast<const PixoraFrameInfo*>(msg.wParam);
    EXPECT_EQ(record->size, 24);
    EXPECT_EQ(record->width, format_.width);
    EXPECT_EQ(record->height, format_.height);
    EXPECT_EQ(record->bitsPerPixel, 24);
    EXPECT_EQ(record->reserved, 0);
}

// A session whose initialisation could not make its device: closing and releasing it report
// that there is no device, as stopping always does.
TEST_F(Release, CloseAndReleaseWithoutADeviceRecordNoDevice) {
    auto session = std::make_shared<CameraSession>();
    const uint32_t handle = 0x7E570001u;
    HandleList().Insert(handle, session);
    auto* camera = reinterpret_cast<PIXORA_HANDLE>(static_cast<uintptr_t>(handle));
    EXPECT_EQ(Pixora_Close(camera), 1);
    EXPECT_EQ(PopAll(camera), std::vector<int32_t>{PIXORA_ERR_NO_DEVICE});
    EXPECT_EQ(Pixora_Release(camera), 1);
    EXPECT_EQ(session->PopError(), PIXORA_ERR_NO_DEVICE);
    EXPECT_EQ(session->PopError(), 0);
}

}  // namespace
}  // namespace pixora::test
