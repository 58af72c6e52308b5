// Several hosts at once: streams on some cameras while commands, pulses, faults and
// configuration changes arrive from other threads. Run under the thread sanitizer too.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "WireClient.h"
#include "simulator/VirtualCameraBus.h"

namespace pixora {
namespace {

using test::kFullFrame8;
using test::MakeBlock;
using test::WireClient;

constexpr int kCameras = 3;
constexpr int kFramesPerCamera = 12;

TEST(Concurrency, StreamsOnSeveralCamerasWhileCommandsArrive) {
    VirtualCameraBus bus("fps=0 cameras=0,1,2 scene=moving");
    std::atomic<int> failures{0};
    std::vector<std::thread> streams;
    for (int index = 0; index < kCameras; ++index) {
        streams.emplace_back([&, index] {
            WireClient host(bus, index);
            std::vector<uint8_t> frame;
            uint32_t lastStamp = 0;
            for (int f = 0; f < kFramesPerCamera; ++f) {
                uint32_t returned = 0;
                if (!host.Send(MakeBlock(2), wire::kCodePipeFirst) ||
                    !host.ReadFrame(frame, kFullFrame8, &returned) || returned != kFullFrame8 ||
                    FrameStamp(frame.data()) <= lastStamp) {
                    ++failures;
                }
                lastStamp = FrameStamp(frame.data());
            }
        });
    }
    std::thread commands([&] {
        for (int round = 0; round < 40; ++round) {
            for (int index = 0; index < kCameras; ++index) {
                WireClient host(bus, index);  // a handle per command, as the device layer does
                if (!host.SetGainAndExposure(static_cast<uint32_t>(round * 20),
                                             static_cast<uint32_t>(64 + round))) {
                    ++failures;
                }
            }
        }
    });
    for (auto& t : streams) {
        t.join();
    }
    commands.join();
    EXPECT_EQ(failures.load(), 0);
    for (int index = 0; index < kCameras; ++index) {
        const CameraStatus s = *bus.Status(index);
        EXPECT_EQ(s.counters.framesSent, static_cast<uint64_t>(kFramesPerCamera));
        EXPECT_EQ(s.gain, 39u * 20u);
        EXPECT_EQ(bus.OpenHandles(index), 0);
    }
}

TEST(Concurrency, OpensFromManyThreadsGetDistinctHandles) {
    VirtualCameraBus bus("fps=0");
    constexpr int kThreads = 4;
    constexpr int kOpens = 50;
    std::vector<std::vector<DriverHandle>> opened(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kOpens; ++i) {
                opened[static_cast<size_t>(t)].push_back(bus.Open(test::DevicePath(0).c_str()));
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    std::set<DriverHandle> distinct;
    for (const auto& list : opened) {
        for (DriverHandle h : list) {
            ASSERT_NE(h, nullptr);
            distinct.insert(h);
        }
    }
    EXPECT_EQ(distinct.size(), static_cast<size_t>(kThreads * kOpens));
    EXPECT_EQ(bus.OpenHandles(0), kThreads * kOpens);
    for (DriverHandle h : distinct) {
        bus.Close(h);
    }
    EXPECT_EQ(bus.OpenHandles(0), 0);
}

// Everything at once; every read must end (by frame, time-out or abort) and nothing may
// crash. What each read returns depends on the interleaving, so only the ending is checked.
TEST(Concurrency, ChaosEndsCleanly) {
    VirtualCameraBus bus("fps=0 cameras=0,1 maxwait=20");
    std::atomic<bool> stop{false};
    std::atomic<int> readsEnded{0};
    std::vector<std::thread> threads;
    for (int index = 0; index < 2; ++index) {
        threads.emplace_back([&, index] {
            std::vector<uint8_t> frame;
            while (!stop.load()) {
                WireClient host(bus, index);
                uint32_t returned = 0;
                host.ReadFrame(frame, kFullFrame8, &returned);
                ++readsEnded;
            }
        });
    }
    threads.emplace_back([&] {
        int n = 0;
        while (!stop.load()) {
            WireClient host(bus, n % 2);
            host.Send(MakeBlock(40, {static_cast<uint8_t>(n % 3 == 0)}));
            host.Send(MakeBlock(10, {static_cast<uint8_t>(n % 2)}));
            bus.Trigger(n % 2);
            ++n;
        }
    });
    threads.emplace_back([&] {
        int n = 0;
        while (!stop.load()) {
            bus.SetFault(n % 2, static_cast<FaultKind>(1 + n % 8), n % 4);
            bus.SetFault(n % 2, FaultKind::None, 0);
            if (n % 50 == 0) {
                bus.SetCameras(n % 100 == 0 ? 0b01 : 0b11);
            }
            ++n;
            std::this_thread::yield();
        }
    });
    while (readsEnded.load() < 200) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    stop.store(true);
    for (auto& t : threads) {
        t.join();
    }
    bus.Reset();
    WireClient host(bus, 0);
    std::vector<uint8_t> frame;
    uint32_t returned = 0;
    EXPECT_TRUE(host.ReadFrame(frame, kFullFrame8, &returned));
}

}  // namespace
}  // namespace pixora
