// The frame queue under many threads at once: takers that hold and give back frames while
// another thread closes and opens streams, changes settings and releases the camera. Every
// taken frame stays whole while held, every return is taken once, and nothing waits past
// the end.
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "PixoraExtensions.h"
#include "RaceFixture.h"

namespace pixora::test {
namespace {

class FrameQueueRace : public RaceTest {};

// A taken frame with the bytes it began and ended with when it was taken.
struct Held {
    PixoraStreamFrame frame;
    uint8_t first;
    uint8_t last;
    bool Whole() const {
        const auto* pixels = static_cast<const uint8_t*>(frame.pixels.data);
        return pixels[0] == first && pixels[frame.bytes - 1] == last;
    }
};

// A taker's loop: take with a short time-out, check that the frame's first and last bytes
// do not change while it is held, hand some over to the next taker's shelf, give back the
// rest; until the handle is gone.
void Taker(PIXORA_HANDLE camera, std::atomic<bool>& done, std::mutex& shelfMutex,
           std::vector<Held>& shelf, std::atomic<int>& taken, std::atomic<int>& torn) {
    while (!done.load()) {
        PixoraStreamFrame frame{};
        frame.size = sizeof frame;
        const int32_t result = PixoraEx_TakeFrame(camera, &frame, 20);
        if (result == PIXORA_TAKE_NO_CAMERA)
            break;
        if (result == PIXORA_TAKE_STOPPED || result == PIXORA_TAKE_FAILED) {
            // Between two streams, or after a failed one, a take returns at once: wait for the
            // next as a program would.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (result != PIXORA_TAKE_FRAME)
            continue;
        ++taken;
        const auto* pixels = static_cast<const uint8_t*>(frame.pixels.data);
        const Held held{frame, pixels[0], pixels[frame.bytes - 1]};
        std::this_thread::yield();
        std::lock_guard lock(shelfMutex);
        shelf.push_back(held);
        if (shelf.size() > 2) {
            // Often given back by another thread than the one that took it.
            if (!shelf.front().Whole())
                ++torn;
            EXPECT_EQ(PixoraEx_ReturnFrame(&shelf.front().frame), 1);
            shelf.erase(shelf.begin());
        }
    }
}

TEST_F(FrameQueueRace, TakersReturnersClosesOpensSettersAndAReleaseAllAtOnce) {
    ASSERT_EQ(PixoraSim_SetScene(0, PIXORA_SIM_SCENE_MOVING), 1);
    PIXORA_HANDLE camera = Open();
    std::atomic<bool> done{false};
    std::atomic<int> taken{0};
    std::atomic<int> torn{0};
    std::mutex shelfMutex;
    std::vector<Held> shelf;
    std::vector<std::thread> takers;
    for (int i = 0; i < 3; ++i) {
        takers.emplace_back([&] { Taker(camera, done, shelfMutex, shelf, taken, torn); });
    }
    for (int round = 0; round < 12; ++round) {
        PixoraStreamOptions options{};
        options.size = sizeof options;
        options.buffers = 1 + round % 4;
        options.raw = round % 2;
        options.triggered = round % 3 == 2 ? 1 : 0;
        options.dropPolicy = round % 2 ? PIXORA_DROP_OLDEST : PIXORA_DROP_NEWEST;
        ASSERT_EQ(Pixora_SetColorMode(camera, round % 2 ? 48 : 24), 1);
        ASSERT_EQ(PixoraEx_OpenStream(camera, &options), 1) << "round " << round;
        // Until the takers have had a frame of this stream (a bound against hangs), with a
        // setting changed and the status read meanwhile.
        const int before = taken.load();
        const auto start = std::chrono::steady_clock::now();
        Bounded("frames of the stream", [&] {
            for (int step = 0; taken.load() == before || step < 3; ++step) {
                PixoraStreamStatus status{};
                status.size = sizeof status;
                EXPECT_EQ(PixoraEx_GetStreamStatus(camera, &status), 1);
                if (status.state == PIXORA_STREAM_FAILED) {
                    // Nothing here should fail the camera; a failure is reported, not waited on.
                    char detail[512] = {};
                    PixoraEx_GetFailureDetail(camera, detail, sizeof detail);
                    ADD_FAILURE() << "round " << round << " failed at step " << step << ": "
                                  << detail;
                    break;
                }
                if (MillisecondsSince(start) > 15000) {
                    // Stuck without a failure: what the queue and the camera were doing.
                    const PixoraSimStatus sim = Status();
                    ADD_FAILURE() << "round " << round << ": no frame taken in 15 s; queued "
                                  << status.queued << ", held " << status.held << ", state "
                                  << status.state << "; camera sent " << sim.framesSent
                                  << ", failed " << sim.framesFailed << ", reads waiting "
                                  << sim.readsWaiting << ", pulses pending " << sim.pendingTriggers
                                  << ", trigger mode " << sim.triggerMode;
                    break;
                }
                if (options.triggered)
                    PixoraSim_Trigger(0);
                if (step == 2)
                    Pixora_SetExposureTime(camera, 32 + round);
                Pause(1);
            }
            return 0;
        });
        EXPECT_EQ(Bounded("PixoraEx_CloseStream", [&] { return PixoraEx_CloseStream(camera); }), 1);
    }
    // The last stream ends with the release, takers waiting in it.
    PixoraStreamOptions options{};
    options.size = sizeof options;
    options.triggered = 1;
    ASSERT_EQ(PixoraEx_OpenStream(camera, &options), 1);
    Pause(10);
    EXPECT_EQ(Bounded("Pixora_Release", [&] { return Pixora_Release(camera); }), 1);
    done = true;
    for (std::thread& t : takers)
        t.join();
    EXPECT_GT(taken.load(), 0);
    EXPECT_EQ(torn.load(), 0);
    // Frames held past the release are still the application's, and given back now.
    for (const Held& held : shelf) {
        EXPECT_TRUE(held.Whole());
        EXPECT_EQ(PixoraEx_ReturnFrame(&held.frame), 1);
    }
}

}  // namespace
}  // namespace pixora::test
