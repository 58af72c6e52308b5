// The getters that read only what needs no waiting answer while another thread's call holds
// the camera: here a snapshot waiting for a frame that a stalled transfer holds back. Before,
// they queued behind it (and behind every call that came after it).
#include <atomic>
#include <thread>

#include "PixoraExtensions.h"
#include "RaceFixture.h"

namespace pixora::test {
namespace {

using GetterWait = RaceTest;

TEST_F(GetterWait, GettersAnswerWhileAnotherThreadsSnapshotWaitsForItsFrame) {
    // The stalled read ends only at the driver's time-out: two seconds.
    ASSERT_EQ(PixoraSim_Configure("maxwait=0 timeout=2000"), 1);
    PIXORA_HANDLE camera = Open();
    ASSERT_EQ(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_STALL, 1), 1);
    std::atomic<bool> snapped{false};
    std::thread snapper([&] {
        Pixora_SnapShot(camera, nullptr, 0, 1);
        snapped = true;
    });
    while (Status().readsWaiting < 1 && !snapped.load())
        std::this_thread::yield();
    ASSERT_FALSE(snapped.load()) << "the snapshot did not wait for its frame";

    EXPECT_EQ(PixoraEx_GetCaptureState(camera), 0);
    EXPECT_EQ(Pixora_GetColorMode(camera), 24);
    EXPECT_EQ(Pixora_GetWaitTime(camera), 0);
    PixoraCameraInfo info{};
    info.size = sizeof info;
    EXPECT_EQ(Pixora_GetCameraInfo(camera, &info), 1);
    EXPECT_EQ(info.exposureMax, 1068);
    EXPECT_EQ(Pixora_GetLastError(camera), 0);
    char detail[64];
    EXPECT_EQ(PixoraEx_GetFailureDetail(camera, detail, sizeof detail), 0);
    // The snapshot's read still waits for its frame: no getter waited for it to end.
    EXPECT_GE(Status().readsWaiting, 1) << "a getter waited for the snapshot";

    snapper.join();
    ASSERT_EQ(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_STALL, -1), 1);
    EXPECT_EQ(Pixora_Release(camera), 1);
}

}  // namespace
}  // namespace pixora::test
