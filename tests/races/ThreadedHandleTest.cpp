// Application threads racing on one handle: captures of every kind, colour-mode changes,
// dialogs played by the headless host, and a release from yet another thread while they
// run. Meant for the thread sanitizer as much as for its own checks: every call returns, a
// session never has more than one transfer waiting on its camera, and once the release has
// returned nothing writes to a caller's buffer or posts to a caller's window.
#include <atomic>
#include <random>
#include <thread>

#include "RaceFixture.h"
#include "SoakSupport.h"
#include "dialogs/DialogTemplates.h"
#include "dialogs/host/DialogHosts.h"
#include "dialogs/host/HeadlessDialogHost.h"
#include "dialogs/host/HeadlessWindow.h"

namespace pixora::test {
namespace {

constexpr int32_t kBrightnessTrackbar = 2001;

// What one application thread owns: the target it gives the workers, and a buffer for its
// own copies (never handed to a worker, so the two never meet).
struct Caller {
    PIXORA_HWND window = nullptr;
    std::vector<uint8_t> target;
    std::vector<uint8_t> copy;
};

class ThreadedHandle : public RaceTest {
protected:
    void SetUp() override {
        RaceTest::SetUp();
        host_.SetScript([](HeadlessDialog& dialog) {
            if (HeadlessWindow* page = dialog.Page(0))
                page->Slide(kBrightnessTrackbar, 40);
            dialog.Cancel();
        });
        SetDialogTestHost(&host_);
    }
    void TearDown() override {
        SetDialogTestHost(nullptr);
        RaceTest::TearDown();
    }

    // One random call of an application thread.
    static void RandomCall(PIXORA_HANDLE camera, Caller& me, std::mt19937& random) {
        const auto size = [](const std::vector<uint8_t>& b) {
            return static_cast<int32_t>(b.size());
        };
        switch (random() % 14) {
            case 0:
                Pixora_SnapShot(camera, me.copy.data(), size(me.copy), 1);
                break;
            case 1:
                Pixora_Capture(camera);
                break;
            case 2:
                Pixora_CallBackPreview(camera, me.window, me.target.data(), size(me.target), 1);
                break;
            case 3:
                Pixora_Trigger(camera, me.window, me.target.data(), size(me.target), 0);
                break;
            case 4:
                Pixora_Preview(camera);
                break;
            case 5:
                Pixora_StopPreview(camera);
                break;
            case 6:
                Pixora_StartPreview(camera);
                break;
            case 7:
                Pixora_GetImage(camera, me.copy.data(), size(me.copy), 1);
                break;
            case 8: {
                static constexpr int32_t kModes[] = {8, 16, 24, 32, 48, 64};
                Pixora_SetColorMode(camera, kModes[random() % 6]);
                break;
            }
            case 9:
                PixoraSim_Trigger(0);
                break;
            case 10:
                Pixora_SetImageDlg(camera, nullptr);
                break;
            case 11:
                Pixora_SetAnalogDlg(camera, nullptr);
                break;
            case 12:
                Pixora_SetBrightness(camera, static_cast<int32_t>(random() % 100));
                break;
            default:
                Pixora_Close(camera);
                break;
        }
        PixoraMessage msg{};
        while (PixoraMsg_Get(me.window, &msg, 0) == 1) {
        }
    }

    HeadlessDialogHost host_;
};

TEST_F(ThreadedHandle, ThreadsRacingOnOneHandleThenAReleaseFromAnother) {
    const int rounds = SoakCount(3, 30);
    const int millisecondsPerRound = SoakCount(700, 2000);
    const int baseline = BaselineThreadCount();
    for (int round = 0; round < rounds; ++round) {
        PIXORA_HANDLE camera = Open();
        ASSERT_EQ(Pixora_SetWaitTime(camera, 1), 1);
        std::vector<Caller> callers(3);
        for (Caller& c : callers) {
            c.window = PixoraMsg_CreateWindow();
            c.target = std::vector<uint8_t>(static_cast<size_t>(StrideOf(format_.width, 64)) *
                                            format_.height);
            c.copy = c.target;
        }
        std::atomic<bool> released{false};
        std::atomic<int> maxReads{0};
        std::atomic<int> maxHandles{0};
        std::vector<std::thread> threads;
        for (size_t i = 0; i < callers.size(); ++i) {
            threads.emplace_back([&, i] {
                std::mt19937 random(static_cast<uint32_t>(round * 31 + i));
                while (!released.load())
                    RandomCall(camera, callers[i], random);
            });
        }
        std::thread watcher([&] {
            while (!released.load()) {
                const PixoraSimStatus status = Status();
                maxReads.store(std::max(maxReads.load(), status.readsWaiting));
                maxHandles.store(std::max(maxHandles.load(), status.openHandles));
                Pause(1);
            }
        });

        Pause(millisecondsPerRound);
        ASSERT_EQ(Bounded("Pixora_Release", [&] { return Pixora_Release(camera); }), 1);
        // From here on nothing of the session may touch a caller's buffer or window.
        const PixoraSimStatus afterRelease = Status();
        for (Caller& c : callers) {
            Drain(c.window);
            std::fill(c.target.begin(), c.target.end(), kUntouched);
        }
        Pause(100);
        released.store(true);
        for (std::thread& t : threads)
            Bounded("an application thread", [&t] { t.join(); });
        watcher.join();

        EXPECT_EQ(afterRelease.openHandles, 0) << "round " << round;
        EXPECT_EQ(afterRelease.readsWaiting, 0) << "round " << round;
        for (Caller& c : callers) {
            EXPECT_TRUE(Untouched(c.target)) << "round " << round;
            EXPECT_EQ(PixoraMsg_Pending(c.window), 0) << "round " << round;
            PixoraMsg_DestroyWindow(c.window);
        }
        // One transfer and one command at a time at most, whoever started them.
        EXPECT_LE(maxReads.load(), 1) << "round " << round;
        EXPECT_LE(maxHandles.load(), 2) << "round " << round;
        EXPECT_EQ(ThreadCount(), baseline) << "round " << round;
        if (HasFailure())
            break;
    }
}

}  // namespace
}  // namespace pixora::test
