// How long a trivial getter takes on a camera handle while other application threads
// stream, snap and save on the same handle: the 50th and 99th percentile and the longest of
// its calls (microseconds), beside the same getter on an idle handle. The last one takes the
// handle's call lock and so waits for the calls queued before it. Three threads keep
// the handle busy: one starts a callback preview, waits for a few frames and stops it; one
// takes snapshots (refused while the preview runs, taken between runs); one saves the
// newest picture as PNG. The camera is the virtual one at 30 frames a second, 24 bits,
// 1360 x 1024. Only the getter's own call is timed.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "PixoraExtensions.h"
#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"

namespace {

using Clock = std::chrono::steady_clock;
using Getter = int32_t (*)(PIXORA_HANDLE);

constexpr int32_t kBits = 24;
// Between two timed calls, so that the samples spread over every phase of the load.
constexpr std::chrono::microseconds kSpacing{1000};

// A folder of the benchmark's own, in memory where the system has one: saves then cost
// their encoding, not the disk.
std::filesystem::path ScratchFolder() {
    namespace fs = std::filesystem;
    const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    fs::path folder = base / ("pixora-call-latency-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    return folder;
}

int32_t StrideOf(int32_t width) {
    return (width * (kBits / 8) + 3) & ~3;
}

// The three busy threads, from construction to destruction.
class Load {
public:
    Load(PIXORA_HANDLE camera, const std::filesystem::path& folder) : camera_(camera) {
        const size_t bytes =
            static_cast<size_t>(StrideOf(Pixora_Width(camera))) * Pixora_Height(camera);
        streamBuffer_.resize(bytes);
        snapBuffer_.resize(bytes);
        frames_ = PixoraMsg_CreateWindow();
        const std::string file = (folder / "newest.png").string();
        threads_.emplace_back([this] { Stream(); });
        threads_.emplace_back([this] { Snap(); });
        threads_.emplace_back([this, file] { Save(file); });
    }
    ~Load() {
        stop_.store(true);
        for (std::thread& t : threads_)
            t.join();
        Pixora_StopPreview(camera_);
        PixoraMsg_DestroyWindow(frames_);
    }
    Load(const Load&) = delete;
    Load& operator=(const Load&) = delete;

    // What the load got done: previews started, snapshots taken, files saved.
    uint64_t Previews() const { return previews_.load(); }
    uint64_t Snapshots() const { return snapshots_.load(); }
    uint64_t Saves() const { return saves_.load(); }

private:
    void Stream() {
        const auto size = static_cast<int32_t>(streamBuffer_.size());
        while (!stop_.load()) {
            if (Pixora_CallBackPreview(camera_, frames_, streamBuffer_.data(), size, 1) == 1) {
                previews_.fetch_add(1);
                PixoraMessage message{};
                for (int i = 0; i < 5 && !stop_.load(); ++i)
                    PixoraMsg_Get(frames_, &message, 200);
                Pixora_StopPreview(camera_);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    void Snap() {
        const auto size = static_cast<int32_t>(snapBuffer_.size());
        while (!stop_.load()) {
            if (Pixora_SnapShot(camera_, snapBuffer_.data(), size, 1) == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            else
                snapshots_.fetch_add(1);
        }
    }
    void Save(const std::string& file) {
        while (!stop_.load()) {
            if (Pixora_SaveImage(camera_, file.c_str(), PIXORA_SAVE_PNG) == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            else
                saves_.fetch_add(1);
        }
    }

    PIXORA_HANDLE camera_;
    PIXORA_HWND frames_ = nullptr;
    std::vector<uint8_t> streamBuffer_;
    std::vector<uint8_t> snapBuffer_;
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> previews_{0};
    std::atomic<uint64_t> snapshots_{0};
    std::atomic<uint64_t> saves_{0};
    std::vector<std::thread> threads_;
};

double Percentile(std::vector<double>& sorted, double fraction) {
    if (sorted.empty())
        return 0;
    const auto at = static_cast<size_t>(fraction * static_cast<double>(sorted.size() - 1));
    return sorted[at];
}

// state.range(0): 1 with the load, 0 on an idle handle.
void GetterLatency(benchmark::State& state, Getter getter) {
    const std::filesystem::path folder = ScratchFolder();
    setenv("PIXORA_REGISTRY", (folder / "registry.reg").c_str(), 1);
    PixoraSim_Reset();
    PixoraSim_Configure("cameras=0 fps=30 scene=moving");
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    if (camera == nullptr || Pixora_SetColorMode(camera, kBits) == 0) {
        state.SkipWithError("no camera");
        return;
    }
    std::vector<double> micros;
    {
        std::unique_ptr<Load> load;
        if (state.range(0) != 0) {
            load = std::make_unique<Load>(camera, folder);
            // The load under way: a picture to save, a preview started once.
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        for (auto _ : state) {
            const Clock::time_point start = Clock::now();
            benchmark::DoNotOptimize(getter(camera));
            const std::chrono::duration<double> took = Clock::now() - start;
            state.SetIterationTime(took.count());
            micros.push_back(took.count() * 1e6);
            std::this_thread::sleep_for(kSpacing);
        }
        if (load) {
            state.counters["previews"] = static_cast<double>(load->Previews());
            state.counters["snapshots"] = static_cast<double>(load->Snapshots());
            state.counters["saves"] = static_cast<double>(load->Saves());
        }
    }
    Pixora_Release(camera);
    std::filesystem::remove_all(folder);
    std::sort(micros.begin(), micros.end());
    state.counters["p50_us"] = Percentile(micros, 0.50);
    state.counters["p99_us"] = Percentile(micros, 0.99);
    state.counters["max_us"] = micros.empty() ? 0 : micros.back();
}

int32_t CaptureState(PIXORA_HANDLE camera) {
    return PixoraEx_GetCaptureState(camera);
}

int32_t CameraInfo(PIXORA_HANDLE camera) {
    PixoraCameraInfo info{};
    info.size = sizeof info;
    return Pixora_GetCameraInfo(camera, &info);
}

int32_t LastError(PIXORA_HANDLE camera) {
    return Pixora_GetLastError(camera);
}

// A getter that takes the handle's call lock: it waits for the calls queued before it.
int32_t FrameCounts(PIXORA_HANDLE camera) {
    PixoraFrameCounts counts{};
    counts.size = sizeof counts;
    return PixoraEx_GetFrameCounts(camera, &counts);
}

void Loads(benchmark::internal::Benchmark* b) {
    b->ArgName("load")->Arg(0)->Arg(1)->Iterations(3000)->UseManualTime()->Unit(
        benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK_CAPTURE(GetterLatency, GetCaptureState, CaptureState)->Apply(Loads);
BENCHMARK_CAPTURE(GetterLatency, GetCameraInfo, CameraInfo)->Apply(Loads);
BENCHMARK_CAPTURE(GetterLatency, GetLastError, LastError)->Apply(Loads);
BENCHMARK_CAPTURE(GetterLatency, GetFrameCounts, FrameCounts)->Apply(Loads);

BENCHMARK_MAIN();
