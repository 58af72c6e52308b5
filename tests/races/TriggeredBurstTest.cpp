// A triggered frame queue against a consumer that holds every buffer and gives them back late,
// across the driver's time-outs: pulses sent whenever the camera waits for one, others while
// no read waits. Every pulse's frame is taken or counted as dropped, and the camera always
// goes back to waiting for the next pulse.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <thread>
#include <vector>

#include "PixoraExtensions.h"
#include "RaceFixture.h"

namespace pixora::test {
namespace {

constexpr int32_t kPulses = 16;
// Far beyond any time-out configured here: a camera that waits for no pulse this long stalls.
constexpr auto kStallBound = std::chrono::seconds(10);

struct BurstCase {
    int32_t buffers;
    int32_t dropPolicy;
    int32_t raw;
};

void PrintTo(const BurstCase& c, std::ostream* out) {
    *out << c.buffers << " buffers, drop "
         << (c.dropPolicy == PIXORA_DROP_OLDEST ? "oldest" : "newest")
         << (c.raw != 0 ? ", raw" : "");
}

class TriggeredBurst : public RaceTest, public ::testing::WithParamInterface<BurstCase> {
protected:
    void SetUp() override {
        // The full window: frames as slow to process as a real application's.
        format_.width = 1360;
        format_.height = 1024;
        RaceTest::SetUp();
        // The driver's time-out comes every 50 ms: many of them pass while buffers are held.
        ASSERT_EQ(PixoraSim_Configure("maxwait=50"), 1);
    }

    // Waits until a read of the camera waits for a pulse; false after kStallBound. Decided on
    // the reading that ends the wait: a read seen waiting may take a pulse sent earlier at
    // once and then not wait while its frame goes out.
    static bool AwaitReadWaiting() {
        const auto start = std::chrono::steady_clock::now();
        while (Status().readsWaiting == 0) {
            if (std::chrono::steady_clock::now() - start > kStallBound)
                return false;
            Pause(1);
        }
        return true;
    }
};

// The consumer: takes every frame, holds them until all buffers are held (or nothing more
// comes for a while), keeps them past a few driver time-outs, then gives them all back.
struct SlowConsumer {
    PIXORA_HANDLE camera;
    int32_t buffers;
    std::atomic<bool> done{false};
    std::mutex mutex;
    std::vector<PixoraStreamMeta> taken;
    std::thread thread;

    // Also when an assertion ends the test early.
    ~SlowConsumer() { Stop(); }

    void Stop() {
        done.store(true);
        if (thread.joinable())
            thread.join();
    }

    void Run() {
        std::vector<PixoraStreamFrame> held;
        while (!done.load()) {
            PixoraStreamFrame frame{};
            frame.size = sizeof frame;
            const int32_t result = PixoraEx_TakeFrame(camera, &frame, 30);
            if (result == PIXORA_TAKE_FRAME) {
                std::lock_guard lock(mutex);
                taken.push_back(frame.meta);
                held.push_back(frame);
            } else if (result != PIXORA_TAKE_TIMEOUT) {
                break;
            }
            if (static_cast<int32_t>(held.size()) == buffers ||
                (result == PIXORA_TAKE_TIMEOUT && !held.empty())) {
                std::this_thread::sleep_for(std::chrono::milliseconds(120));
                for (const PixoraStreamFrame& h : held)
                    EXPECT_EQ(PixoraEx_ReturnFrame(&h), 1);
                held.clear();
            }
        }
        for (const PixoraStreamFrame& h : held)
            EXPECT_EQ(PixoraEx_ReturnFrame(&h), 1);
    }

    size_t Taken() {
        std::lock_guard lock(mutex);
        return taken.size();
    }
};

TEST_P(TriggeredBurst, EveryPulsesFrameIsTakenOrCountedAndTheCameraKeepsWaitingForPulses) {
    const BurstCase param = GetParam();
    PIXORA_HANDLE camera = Open();
    ASSERT_NE(camera, nullptr);
    PixoraStreamOptions options{};
    options.size = sizeof options;
    options.buffers = param.buffers;
    options.triggered = 1;
    options.raw = param.raw;
    options.dropPolicy = param.dropPolicy;
    ASSERT_EQ(PixoraEx_OpenStream(camera, &options), 1);

    SlowConsumer consumer{camera, param.buffers};
    consumer.thread = std::thread([&] { consumer.Run(); });
    const uint64_t sentBefore = Status().framesSent;
    int32_t pulses = 0;
    for (int32_t i = 0; i < kPulses; ++i) {
        ASSERT_TRUE(AwaitReadWaiting()) << "the camera waits for no pulse after " << pulses
                                        << " pulses, " << consumer.Taken() << " frames taken";
        ASSERT_EQ(PixoraSim_Trigger(0), 1);
        ++pulses;
        if (i % 3 == 2) {
            // At once, while the read that took the last pulse is still on its way back:
            // the camera keeps the pulse for the next read.
            ASSERT_EQ(PixoraSim_Trigger(0), 1);
            ++pulses;
        }
        if (i % 5 == 4)
            Pause(120);  // a pause on the line longer than the driver's time-out
    }

    // Every pulse's frame leaves the camera and is taken, or dropped and counted.
    const auto dealtWith = [&] {
        PixoraFrameCounts counts{};
        counts.size = sizeof counts;
        EXPECT_EQ(PixoraEx_GetFrameCounts(camera, &counts), 1);
        return counts.delivered + counts.dropped + counts.failed;
    };
    const auto start = std::chrono::steady_clock::now();
    while (Status().framesSent - sentBefore < static_cast<uint64_t>(pulses) ||
           dealtWith() < static_cast<uint64_t>(pulses)) {
        ASSERT_LT(std::chrono::steady_clock::now() - start, kStallBound)
            << Status().framesSent - sentBefore << " frames sent, " << dealtWith()
            << " taken or dropped of " << pulses << " pulses";
        Pause(1);
    }
    EXPECT_EQ(Status().framesSent - sentBefore, static_cast<uint64_t>(pulses));
    EXPECT_EQ(dealtWith(), static_cast<uint64_t>(pulses));
    // After the burst, and after the time-outs that pass while nothing comes, the camera
    // still waits for pulses.
    Pause(150);
    EXPECT_TRUE(AwaitReadWaiting()) << "the camera waits for no pulse after the burst";
    PixoraStreamStatus status{};
    status.size = sizeof status;
    ASSERT_EQ(PixoraEx_GetStreamStatus(camera, &status), 1);
    EXPECT_EQ(status.state, PIXORA_STREAM_RUNNING);

    consumer.Stop();
    // In the camera's order, each frame's gap being the frames dropped before it.
    uint64_t previous = 0;
    uint64_t gaps = 0;
    for (const PixoraStreamMeta& meta : consumer.taken) {
        EXPECT_GT(meta.sequence, previous);
        gaps += static_cast<uint64_t>(meta.dropped);
        previous = meta.sequence;
    }
    EXPECT_EQ(gaps + consumer.taken.size(), previous);
    ASSERT_EQ(PixoraEx_CloseStream(camera), 1);
    PixoraFrameCounts counts{};
    counts.size = sizeof counts;
    ASSERT_EQ(PixoraEx_GetFrameCounts(camera, &counts), 1);
    EXPECT_EQ(counts.failed, 0u);
    EXPECT_EQ(counts.delivered, consumer.taken.size());
    EXPECT_EQ(counts.delivered + counts.dropped, Status().framesSent);
    EXPECT_EQ(PopAll(camera), std::vector<int32_t>{});
    EXPECT_EQ(Pixora_Release(camera), 1);
}

INSTANTIATE_TEST_SUITE_P(Buffers, TriggeredBurst,
                         ::testing::Values(BurstCase{2, PIXORA_DROP_NEWEST, 0},
                                           BurstCase{8, PIXORA_DROP_OLDEST, 0},
                                           BurstCase{2, PIXORA_DROP_OLDEST, 1}));

}  // namespace
}  // namespace pixora::test
