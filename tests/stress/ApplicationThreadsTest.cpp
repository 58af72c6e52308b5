// Application threads on several handles at once, each thread a random sequence of the
// exports and extensions (captures of every kind, stops, copies, saves, waits, settings,
// dialogs played by the headless host), while the virtual cameras are given faults,
// unplugged and pulsed, and handles are released and opened again under the threads' feet.
// Bounded in time (PIXORA_STRESS_SECONDS, 20 by default). It fails on a hang (the watchdog
// aborts with every thread's stack), on a -1 from a wait on a handle that was not released,
// on a result outside what a call may return, and when the frames of a handle do not add up
// to what its camera sent; under the sanitizers, on any report. The sequences come from one
// seed, printed with every failure: PIXORA_STRESS_SEED=N runs them again.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "PixoraExtensions.h"
#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"
#include "ScopedRegistry.h"
#include "StoredSettings.h"
#include "TempDir.h"
#include "Watchdog.h"
#include "dialogs/host/DialogHosts.h"
#include "dialogs/host/HeadlessDialogHost.h"
#include "dialogs/host/HeadlessWindow.h"

namespace pixora::test {
namespace {

constexpr int kCameras = 3;  // one handle on each
constexpr int kThreads = 8;
constexpr int32_t kBrightnessTrackbar = 2001;
// Far above any call's length under the sanitizers (every camera time-out is at most
// 300 ms here), far below the suite's limit.
constexpr std::chrono::seconds kHangLimit{90};

uint64_t SeedFromEnvironment() {
    if (const char* seed = std::getenv("PIXORA_STRESS_SEED"); seed != nullptr && *seed != '\0')
        return std::strtoull(seed, nullptr, 10);
    return (uint64_t{std::random_device{}()} << 32) | std::random_device{}();
}

double SecondsFromEnvironment() {
    if (const char* seconds = std::getenv("PIXORA_STRESS_SECONDS"); seconds != nullptr && *seconds)
        return std::strtod(seconds, nullptr);
    return 20;
}

uint64_t FramesSent(int camera) {
    PixoraSimStatus status{};
    status.size = sizeof status;
    PixoraSim_GetStatus(camera, &status);
    return static_cast<uint64_t>(status.framesSent) + static_cast<uint64_t>(status.framesShort);
}

// One camera and the handle the threads use on it; the handle is replaced now and then.
struct Slot {
    std::atomic<PIXORA_HANDLE> handle{nullptr};
    // Held while the handle is replaced and while the camera's faults change.
    std::mutex camera;
    uint64_t sentBefore = 0;  // the camera's frames when the handle was opened (camera)
    std::vector<std::pair<int32_t, std::chrono::steady_clock::time_point>> faults;  // (camera)
};

// What one application thread owns. The target is handed to the workers and so lives
// until every handle is released; the copy is for the thread's own calls.
struct Caller {
    PIXORA_HWND window = nullptr;
    std::vector<uint8_t> target;
    std::vector<uint8_t> copy;
};

class ApplicationThreads : public ::testing::Test {
protected:
    void SetUp() override {
        seed_ = SeedFromEnvironment();
        seconds_ = SecondsFromEnvironment();
        replay_ = "Replay with PIXORA_STRESS_SEED=" + std::to_string(seed_);
        RecordProperty("seed", std::to_string(seed_));
        registry_.Write(SettingsText(StoredFormat{}));
        PixoraSim_Reset();
        ASSERT_EQ(PixoraSim_Configure("cameras=0,1,2 fps=200 scene=moving maxwait=300"), 1);
        host_.SetScript([](HeadlessDialog& dialog) {
            if (HeadlessWindow* page = dialog.Page(0))
                page->Slide(kBrightnessTrackbar, 40);
            dialog.Cancel();
        });
        SetDialogTestHost(&host_);
        for (int c = 0; c < kCameras; ++c)
            ASSERT_TRUE(OpenHandle(c)) << "camera " << c;
        // Whole rows of the largest colour mode at the stored window.
        const size_t bytes = static_cast<size_t>(StrideOf(StoredFormat{}.width, 64)) *
                             static_cast<size_t>(StoredFormat{}.height);
        callers_.resize(kThreads);
        for (Caller& caller : callers_) {
            caller.window = PixoraMsg_CreateWindow();
            caller.target.assign(bytes, 0);
            caller.copy.assign(bytes, 0);
        }
    }

    void TearDown() override {
        for (Slot& slot : slots_) {
            if (PIXORA_HANDLE h = slot.handle.exchange(nullptr))
                Pixora_Release(h);
        }
        for (Caller& caller : callers_)
            PixoraMsg_DestroyWindow(caller.window);
        SetDialogTestHost(nullptr);
        PixoraSim_Reset();
    }

    // A new handle on `camera`, published for the threads once it is on its camera.
    bool OpenHandle(int camera) {
        PIXORA_HANDLE handle = Pixora_Initialize(nullptr);
        if (handle == nullptr || Pixora_SetDeviceNumber(handle, camera) != 1)
            return false;
        while (Pixora_GetLastError(handle) != 0) {
        }
        slots_[camera].sentBefore = FramesSent(camera);
        slots_[camera].handle.store(handle);
        return true;
    }

    void Violation(const std::string& what) {
        std::lock_guard lock(violationsMutex_);
        if (violations_.size() < 20)
            violations_.push_back(what);
    }

    bool WasReleased(PIXORA_HANDLE handle) {
        std::lock_guard lock(releasedMutex_);
        return released_.count(handle) != 0;
    }

    // One random call of an application thread on `h` (which may have been released).
    void RandomCall(PIXORA_HANDLE h, Caller& me, std::mt19937_64& random, ThreadActivity& activity,
                    const std::string& scratch) {
        const auto size = [](const std::vector<uint8_t>& b) {
            return static_cast<int32_t>(b.size());
        };
        const auto call = [&](const char* name, auto&& body) {
            Watchdog::Begin(activity, name);
            body();
            Watchdog::End(activity);
        };
        switch (random() % 24) {
            case 0:
                call("Pixora_SnapShot",
                     [&] { Pixora_SnapShot(h, me.copy.data(), size(me.copy), 1); });
                break;
            case 1:
                call("Pixora_Capture", [&] { Pixora_Capture(h); });
                break;
            case 2:
                call("Pixora_CallBackPreview", [&] {
                    Pixora_CallBackPreview(h, me.window, me.target.data(), size(me.target), 1);
                });
                break;
            case 3:
                call("Pixora_Trigger",
                     [&] { Pixora_Trigger(h, me.window, me.target.data(), size(me.target), 0); });
                break;
            case 4:
                call("PixoraEx_StartTrigger", [&] { PixoraEx_StartTrigger(h); });
                break;
            case 5:
                call("Pixora_Preview", [&] { Pixora_Preview(h); });
                break;
            case 6:
                call("Pixora_StartPreview", [&] { Pixora_StartPreview(h); });
                break;
            case 7:
                call("Pixora_StopPreview", [&] { Pixora_StopPreview(h); });
                break;
            case 8:
                call("Pixora_Close", [&] { Pixora_Close(h); });
                break;
            case 9:
                call("Pixora_GetImage",
                     [&] { Pixora_GetImage(h, me.copy.data(), size(me.copy), 1); });
                break;
            case 10:
                call("PixoraEx_GetFrame", [&] {
                    PixoraFrameMeta meta{};
                    meta.size = sizeof meta;
                    PixoraEx_GetFrame(h, me.copy.data(), size(me.copy), 0, &meta);
                });
                break;
            case 11:
            case 12: {
                // -1 waits without limit; a thread of the test must not, so -2 (refused).
                static constexpr int32_t kTimeouts[] = {0, 5, 20, 60, -2};
                const int32_t timeout = kTimeouts[random() % 5];
                const uint64_t after = random() % 3 == 0 ? 0 : UINT64_MAX / 2;
                int32_t waited = 0;
                call("PixoraEx_WaitFrame", [&] { waited = PixoraEx_WaitFrame(h, after, timeout); });
                if (waited == -1 && !WasReleased(h))
                    Violation("PixoraEx_WaitFrame gave -1 on a handle that was not released");
                if (waited < -1 || waited > 1 || (timeout == -2 && waited == 1))
                    Violation("PixoraEx_WaitFrame gave " + std::to_string(waited));
                break;
            }
            case 13:
                call("PixoraEx_GetFrameCounts", [&] {
                    PixoraFrameCounts counts{};
                    counts.size = sizeof counts;
                    PixoraEx_GetFrameCounts(h, &counts);
                });
                break;
            case 14: {
                int32_t state = 0;
                call("PixoraEx_GetCaptureState", [&] { state = PixoraEx_GetCaptureState(h); });
                if (state < -1 || state > 3)
                    Violation("PixoraEx_GetCaptureState gave " + std::to_string(state));
                break;
            }
            case 15: {
                static constexpr int32_t kBits[] = {8, 16, 24, 32, 48, 64};
                call("Pixora_SetColorMode", [&] { Pixora_SetColorMode(h, kBits[random() % 6]); });
                break;
            }
            case 16:
                call("Pixora_SetWaitTime",
                     [&] { Pixora_SetWaitTime(h, static_cast<int32_t>(random() % 6)); });
                break;
            case 17: {
                const auto index = static_cast<int32_t>(1 + random() % 27);
                const auto value = static_cast<int32_t>(random() % 300) - 50;
                call("Pixora_SetFilterValue", [&] { Pixora_SetFilterValue(h, index, value); });
                call("Pixora_GetFilterValue", [&] {
                    int32_t ok = 0;
                    Pixora_GetFilterValue(h, index, &ok);
                });
                break;
            }
            case 18:
                call("Pixora_GetCameraInfo", [&] {
                    PixoraCameraInfo info{};
                    info.size = sizeof info;
                    Pixora_GetCameraInfo(h, &info);
                });
                break;
            case 19:
                call("Pixora_GetLastError", [&] { Pixora_GetLastError(h); });
                call("PixoraEx_GetFailureDetail", [&] {
                    char text[256];
                    PixoraEx_GetFailureDetail(h, text, sizeof text);
                });
                break;
            case 20: {
                const auto format = static_cast<int32_t>(random() % 8);  // 7: no such format
                const std::string file = scratch + "/" + std::to_string(random() % 4);
                call("Pixora_SaveImage", [&] { Pixora_SaveImage(h, file.c_str(), format); });
                break;
            }
            case 21:
                call("Pixora_SetPreviewWindow",
                     [&] { Pixora_SetPreviewWindow(h, nullptr, 0, 0, 80, 60); });
                break;
            case 22: {
                const auto which = random() % 3;
                call("a dialog", [&] {
                    if (which == 0)
                        Pixora_SetImageDlg(h, nullptr);
                    else if (which == 1)
                        Pixora_SetAnalogDlg(h, nullptr);
                    else
                        Pixora_SetCameraDlg(h, nullptr);
                });
                break;
            }
            default:
                call("Pixora_SetAutoIris",
                     [&] { Pixora_SetAutoIris(h, static_cast<int32_t>(random() % 2)); });
                call("Pixora_SetMirrorV",
                     [&] { Pixora_SetMirrorV(h, static_cast<int32_t>(random() % 2)); });
                break;
        }
    }

    // Faults, unplugs and pulses on random cameras, each fault switched off again soon.
    void FaultLoop(std::mt19937_64& random, ThreadActivity& activity) {
        using Clock = std::chrono::steady_clock;
        static constexpr int32_t kFaults[] = {PIXORA_SIM_FAULT_SHORT_FRAME, PIXORA_SIM_FAULT_STALL,
                                              PIXORA_SIM_FAULT_ABSENT, PIXORA_SIM_FAULT_VANISH,
                                              PIXORA_SIM_FAULT_OPEN};
        while (!stop_.load()) {
            Watchdog::Begin(activity, "faults and pulses");
            const auto camera = static_cast<int>(random() % kCameras);
            Slot& slot = slots_[camera];
            {
                std::lock_guard lock(slot.camera);
                const Clock::time_point now = Clock::now();
                for (auto it = slot.faults.begin(); it != slot.faults.end();) {
                    if (it->second <= now) {
                        PixoraSim_SetFault(camera, it->first, -1);
                        it = slot.faults.erase(it);
                    } else {
                        ++it;
                    }
                }
                if (random() % 4 == 0) {
                    const int32_t fault = kFaults[random() % 5];
                    const int32_t argument =
                        fault == PIXORA_SIM_FAULT_SHORT_FRAME ? 100
                        : fault == PIXORA_SIM_FAULT_VANISH    ? static_cast<int32_t>(random() % 4)
                        : fault == PIXORA_SIM_FAULT_OPEN ? static_cast<int32_t>(1 + random() % 2)
                                                         : 1;
                    PixoraSim_SetFault(camera, fault, argument);
                    slot.faults.emplace_back(fault,
                                             now + std::chrono::milliseconds(20 + random() % 200));
                }
            }
            PixoraSim_Trigger(camera);
            Watchdog::End(activity);
            std::this_thread::sleep_for(std::chrono::milliseconds(2 + random() % 15));
        }
    }

    // Releases a random handle while the threads use it and opens a new one on its camera.
    void ReleaseLoop(std::mt19937_64& random, ThreadActivity& activity) {
        while (!stop_.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300 + random() % 1200));
            if (stop_.load())
                break;
            const auto camera = static_cast<int>(random() % kCameras);
            Slot& slot = slots_[camera];
            std::lock_guard lock(slot.camera);
            Watchdog::Begin(activity, "Pixora_Release and Pixora_Initialize");
            PIXORA_HANDLE old = slot.handle.load();
            {
                std::lock_guard released(releasedMutex_);
                released_.insert(old);
            }
            if (Pixora_Release(old) != 1)
                Violation("Pixora_Release of a live handle failed");
            // The new handle must reach its camera: no fault stands in its way.
            PixoraSim_SetFault(camera, PIXORA_SIM_FAULT_NONE, 0);
            slot.faults.clear();
            if (!OpenHandle(camera))
                Violation("no new handle on camera " + std::to_string(camera));
            Watchdog::End(activity);
        }
    }

    uint64_t seed_ = 0;
    double seconds_ = 0;
    std::string replay_;
    ScopedRegistry registry_;
    HeadlessDialogHost host_;
    Slot slots_[kCameras];
    std::vector<Caller> callers_;
    std::atomic<bool> stop_{false};
    std::mutex releasedMutex_;
    std::set<PIXORA_HANDLE> released_;
    std::mutex violationsMutex_;
    std::vector<std::string> violations_;
};

TEST_F(ApplicationThreads, RandomCallsFaultsAndReleasesNeitherHangNorRaceAndEveryFrameIsCounted) {
    SCOPED_TRACE(replay_);
    TempDir scratch;
    // The application threads, the fault thread and the release thread.
    std::vector<ThreadActivity> activities(kThreads + 2);
    {
        Watchdog watchdog(activities, kHangLimit, replay_);
        const auto deadline = std::chrono::steady_clock::now() +
                              std::chrono::milliseconds(static_cast<int64_t>(seconds_ * 1000));
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                std::mt19937_64 random(seed_ + static_cast<uint64_t>(t));
                while (std::chrono::steady_clock::now() < deadline) {
                    const auto camera = static_cast<int>(random() % kCameras);
                    RandomCall(slots_[camera].handle.load(), callers_[static_cast<size_t>(t)],
                               random, activities[static_cast<size_t>(t)], scratch.Path().string());
                }
            });
        }
        std::thread faults([&] {
            std::mt19937_64 random(seed_ + kThreads);
            FaultLoop(random, activities[kThreads]);
        });
        std::thread releases([&] {
            std::mt19937_64 random(seed_ + kThreads + 1);
            ReleaseLoop(random, activities[kThreads + 1]);
        });
        for (std::thread& thread : threads)
            thread.join();
        stop_.store(true);
        faults.join();
        releases.join();

        // Nothing runs any more: every frame each camera sent to its present handle is
        // delivered, dropped or failed.
        for (int c = 0; c < kCameras; ++c) {
            PixoraSim_SetFault(c, PIXORA_SIM_FAULT_NONE, 0);
            PIXORA_HANDLE h = slots_[c].handle.load();
            // It may fail (error 6) on a camera the faults left unable to stop its stream;
            // the worker and the stream have ended all the same.
            Watchdog::Begin(activities[0], "the final Pixora_StopPreview");
            Pixora_StopPreview(h);
            Watchdog::End(activities[0]);
            PixoraFrameCounts counts{};
            counts.size = sizeof counts;
            ASSERT_EQ(PixoraEx_GetFrameCounts(h, &counts), 1);
            EXPECT_EQ(counts.delivered + counts.dropped + counts.failed,
                      FramesSent(c) - slots_[c].sentBefore)
                << "camera " << c << ": delivered " << counts.delivered << ", dropped "
                << counts.dropped << ", failed " << counts.failed;
        }
    }
    for (const std::string& violation : violations_)
        ADD_FAILURE() << violation;
    uint64_t calls = 0;
    for (const ThreadActivity& activity : activities)
        calls += activity.calls.load();
    RecordProperty("calls", std::to_string(calls));
    EXPECT_GT(calls, 0u);
}

}  // namespace
}  // namespace pixora::test
