// Stopping never waits for the camera: an armed trigger read or a stalled stream read is
// cancelled, so the stop returns long before the driver's 3000 ms transfer time-out.
#include "RaceFixture.h"

namespace pixora::test {
namespace {

class PromptStop : public RaceTest {
protected:
    void SetUp() override {
        RaceTest::SetUp();
        // The library's own time-outs, not the suites' short bound.
        ASSERT_EQ(PixoraSim_Configure("maxwait=0"), 1);
        camera_ = Open();
    }
    void TearDown() override {
        EXPECT_EQ(Bounded("Pixora_Release", [this] { return Pixora_Release(camera_); }), 1);
        RaceTest::TearDown();
    }
    // Milliseconds `call` took.
    template <typename Call>
    static int64_t Timed(Call&& call) {
        const auto start = std::chrono::steady_clock::now();
        call();
        return MillisecondsSince(start);
    }
    // The camera's waiting frame reads once one waits, read once (a read that times out is
    // re-armed, so two reads in a row may see it between the two); 0 after 5 s without one.
    static int32_t ReadsWaitingSoon() {
        int32_t waiting = 0;
        for (int i = 0; i < 5000 && (waiting = Status().readsWaiting) == 0; ++i)
            Pause(1);
        return waiting;
    }
    PIXORA_HANDLE camera_ = nullptr;
};

// Far below the 3000 ms the driver waits for a trigger or a frame, far above a stop's work.
constexpr int64_t kPromptMs = 1000;

TEST_F(PromptStop, LeavingTriggerModeDoesNotWaitForAPulse) {
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(Pixora_Trigger(camera_, frames_, nullptr, 0, 1), 1);
        ASSERT_EQ(ReadsWaitingSoon(), 1);
        int32_t stopped = 0;
        EXPECT_LT(Timed([&] { stopped = Pixora_StopPreview(camera_); }), kPromptMs);
        EXPECT_EQ(stopped, 1);
        EXPECT_EQ(Status().readsWaiting, 0);
        EXPECT_EQ(Status().openHandles, 0);
    }
    EXPECT_TRUE(PopAll(camera_).empty());
}

TEST_F(PromptStop, ReleasingInTriggerModeDoesNotWaitForAPulse) {
    ASSERT_EQ(Pixora_Trigger(camera_, frames_, nullptr, 0, 1), 1);
    Pause(50);
    PIXORA_HANDLE released = camera_;
    EXPECT_LT(Timed([&] { EXPECT_EQ(Pixora_Release(released), 1); }), kPromptMs);
    camera_ = Open();
}

TEST_F(PromptStop, StoppingAStalledStreamDoesNotWaitForTheTimeOut) {
    ASSERT_EQ(Pixora_SetWaitTime(camera_, 1), 1);
    ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, nullptr, 0, 1), 1);
    PixoraMessage msg{};
    ASSERT_EQ(PixoraMsg_Get(frames_, &msg, 5000), 1);
    ASSERT_EQ(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_STALL, 0), 1);
    ASSERT_EQ(ReadsWaitingSoon(), 1);
    int32_t stopped = 0;
    EXPECT_LT(Timed([&] { stopped = Pixora_StopPreview(camera_); }), kPromptMs);
    // The read the stop cancelled is no failure of the stream.
    EXPECT_EQ(stopped, 1);
    EXPECT_TRUE(PopAll(camera_).empty());
}

}  // namespace
}  // namespace pixora::test
