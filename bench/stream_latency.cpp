// How long a frame takes from the end of its transfer to the application, side by side for
// the frame queue (PixoraEx_TakeFrame, woken by the transfer) and the polled callback
// preview (Pixora_CallBackPreview with its frame messages, the wait time at its default),
// at 30 and 200 frames a second of the virtual camera at the full 1360 x 1024 window; the
// frames a second the queue delivers at 200 frames a second to a consumer that keeps up; and
// the processing a frame of each mode takes on its own, which the latency includes.
//
// Latency is the monotonic clock when the application has the frame minus the frame's
// transfer-end time (its meta); p50 and p99 over every frame of a run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "PixoraExtensions.h"
#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"
#include "image/ImageBuffer.h"
#include "imaging/ProcessFrame.h"
#include "imaging/ProcessorInfo.h"
#include "platform/Clock.h"
#include "settings/SensorSize.h"
#include "settings/SettingsRecords.h"

namespace {

using namespace pixora;

constexpr int32_t kWaitMs = 5000;

enum Path : int64_t { kQueue = 0, kCallback = 1 };

struct Run {
    std::vector<double> latencyUs;
    uint64_t dropped = 0;
    uint64_t firstUs = 0;
    uint64_t lastUs = 0;
};

double Percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

void Report(benchmark::State& state, const Run& run) {
    state.counters["p50_us"] = Percentile(run.latencyUs, 0.50);
    state.counters["p99_us"] = Percentile(run.latencyUs, 0.99);
    state.counters["max_us"] = Percentile(run.latencyUs, 1.0);
    state.counters["dropped"] = static_cast<double>(run.dropped);
    // Frames handed to the application per second of the camera's clock, first to last.
    const double seconds = static_cast<double>(run.lastUs - run.firstUs) / 1e6;
    state.counters["delivered_fps"] =
        seconds > 0 ? static_cast<double>(run.latencyUs.size() - 1) / seconds : 0;
}

void Note(Run& run, uint64_t timestampUs, int32_t dropped) {
    const uint64_t now = MonotonicMicroseconds();
    if (run.latencyUs.empty())
        run.firstUs = timestampUs;
    else
        run.dropped += static_cast<uint64_t>(dropped);
    run.lastUs = timestampUs;
    run.latencyUs.push_back(static_cast<double>(now - timestampUs));
}

// One frame after another from the queue, each given back at once.
bool QueueFrames(benchmark::State& state, PIXORA_HANDLE camera, Run& run) {
    PixoraStreamOptions options{};
    options.size = sizeof options;
    options.buffers = 8;
    if (PixoraEx_OpenStream(camera, &options) == 0) {
        state.SkipWithError("PixoraEx_OpenStream refused");
        return false;
    }
    for (auto _ : state) {
        PixoraStreamFrame frame{};
        frame.size = sizeof frame;
        if (PixoraEx_TakeFrame(camera, &frame, kWaitMs) != PIXORA_TAKE_FRAME) {
            state.SkipWithError("no frame taken");
            break;
        }
        Note(run, frame.meta.timestampUs, frame.meta.dropped);
        PixoraEx_ReturnFrame(&frame);
    }
    PixoraEx_CloseStream(camera);
    return true;
}

// One frame message after another from the callback preview, each frame copied into the
// application's buffer by the library as the preview does.
bool CallbackFrames(benchmark::State& state, PIXORA_HANDLE camera, int32_t bits, Run& run) {
    PIXORA_HWND messages = PixoraMsg_CreateWindow();
    const int32_t stride = ((Pixora_Width(camera) * (bits / 8)) + 3) & ~3;
    std::vector<uint8_t> buffer(static_cast<size_t>(stride) * Pixora_Height(camera));
    if (Pixora_CallBackPreview(camera, messages, buffer.data(), static_cast<int32_t>(buffer.size()),
                               1) == 0) {
        state.SkipWithError("Pixora_CallBackPreview refused");
        PixoraMsg_DestroyWindow(messages);
        return false;
    }
    for (auto _ : state) {
        PixoraMessage message{};
        PixoraFrameMeta meta{};
        meta.size = sizeof meta;
        if (PixoraMsg_Get(messages, &message, kWaitMs) != 1 || message.wParam == 0 ||
            PixoraEx_GetFrameMeta(reinterpret_cast<const PixoraFrameInfo*>(message.wParam),
                                  &meta) != 1) {
            state.SkipWithError("no frame message");
            break;
        }
        Note(run, meta.timestampUs, meta.dropped);
    }
    Pixora_StopPreview(camera);
    PixoraMsg_DestroyWindow(messages);
    return true;
}

// Arguments: path, frames per second, bits per pixel.
void Latency(benchmark::State& state) {
    const auto path = static_cast<Path>(state.range(0));
    const auto fps = static_cast<double>(state.range(1));
    const auto bits = static_cast<int32_t>(state.range(2));
    PixoraSim_Reset();
    PixoraSim_SetFps(0, fps);
    PixoraSim_SetScene(0, PIXORA_SIM_SCENE_MOVING);
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    if (camera == nullptr) {
        state.SkipWithError("no camera");
        return;
    }
    Pixora_SetColorMode(camera, bits);
    Run run;
    run.latencyUs.reserve(static_cast<size_t>(state.max_iterations));
    const bool ran =
        path == kQueue ? QueueFrames(state, camera, run) : CallbackFrames(state, camera, bits, run);
    if (ran)
        Report(state, run);
    state.SetLabel(std::string(path == kQueue ? "queue" : "callback") + ", wait time " +
                   std::to_string(Pixora_GetWaitTime(camera)) + " ms");
    Pixora_Release(camera);
}

// The chain's work on one full frame of the mode, neutral settings (what the latency
// includes besides the hand-over): raw copy excluded, colour interpolation included.
void Processing(benchmark::State& state) {
    const auto bits = static_cast<int32_t>(state.range(0));
    const int32_t mode = bits == 8 ? kColorMode8 : kColorMode24;
    FilterSettings filter;
    AnalogSettings analog;
    filter.Set(FilterField::Gamma, 100);
    filter.Set(FilterField::BayerMode, 3);
    filter.Set(FilterField::BayerGainRed, 100);
    filter.Set(FilterField::BayerGainGreen, 100);
    filter.Set(FilterField::BayerGainBlue, 100);
    ProcessorInfo processor{};
    IdentifyProcessor(&processor);
    ImageBuffer raw8, color24, work;
    raw8.Create(kSensorWidth, kSensorHeight, 8);
    if (mode == kColorMode24)
        color24.Create(kSensorWidth, kSensorHeight, 24);
    work.CreateLike(mode == kColorMode24 ? &color24 : &raw8);
    for (size_t i = 0; i < raw8.SizeBytes(); ++i)
        raw8.Bits()[i] = static_cast<uint8_t>(i * 7);
    const FrameContext context{
        filter,    analog,  mode,   {&raw8, nullptr, &color24, nullptr, nullptr, nullptr, &work},
        processor, nullptr, nullptr};
    for (auto _ : state) {
        ProcessFrame(context);
        benchmark::ClobberMemory();
    }
}

}  // namespace

BENCHMARK(Processing)->Arg(8)->Arg(24)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    // The library's own settings file, so that stored settings of the user's do not count.
    const std::filesystem::path registry =
        std::filesystem::temp_directory_path() / "pixora_bench_stream_latency.reg";
    std::filesystem::remove(registry);
    setenv("PIXORA_REGISTRY", registry.string().c_str(), 1);
    // Side by side per rate and mode; three seconds of frames each.
    for (const int64_t fps : {30, 200}) {
        for (const int64_t bits : {24, 8}) {
            for (const int64_t path : {kQueue, kCallback}) {
                benchmark::RegisterBenchmark("Latency", Latency)
                    ->ArgNames({"path", "fps", "bits"})
                    ->Args({path, fps, bits})
                    ->Iterations(3 * fps)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(registry);
    return 0;
}
