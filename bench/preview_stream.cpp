// Callback preview through the public interface against the virtual camera delivering at
// once (fps=0) with wait time 0: frames per second delivered in each colour mode. Beside
// it each stage of a frame on its own at 1360 x 1024 (raw copy out of the transfer,
// processing chain with neutral settings, drawing, copy to the caller), and at the end the
// share of the delivered frame time that each stage takes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"
#include "device/FrameGeometry.h"
#include "device/RawFrameCopy.h"
#include "image/ImageBuffer.h"
#include "imaging/ProcessFrame.h"
#include "imaging/ProcessorInfo.h"
#include "preview/PreviewWindow.h"
#include "session/CopyToCaller.h"
#include "settings/SettingsRecords.h"

namespace {

using namespace pixora;

constexpr int32_t kWidth = kSensorWidth;
constexpr int32_t kHeight = kSensorHeight;
constexpr int32_t kModeBits[] = {8, 16, 24, 32, 48, 64};
constexpr int32_t kFrameWaitMs = 5000;

bool TenBit(int32_t mode) {
    return mode == kColorMode16 || mode >= kColorMode48;
}

// --- The whole path through the public interface ------------------------------------

void CallbackPreview(benchmark::State& state) {
    const auto mode = static_cast<int32_t>(state.range(0));
    PixoraSim_SetFps(0, 0.0);
    PixoraSim_SetScene(0, PIXORA_SIM_SCENE_MOVING);
    PIXORA_HWND messages = PixoraMsg_CreateWindow();
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    if (camera == nullptr || messages == nullptr) {
        state.SkipWithError("no camera or message window");
        return;
    }
    Pixora_SetColorMode(camera, kModeBits[mode]);
    Pixora_SetWaitTime(camera, 0);
    const int32_t stride = ((Pixora_Width(camera) * (kModeBits[mode] / 8)) + 3) & ~3;
    std::vector<uint8_t> buffer(static_cast<size_t>(stride) * Pixora_Height(camera));
    if (Pixora_CallBackPreview(camera, messages, buffer.data(), static_cast<int32_t>(buffer.size()),
                               1) == 0) {
        state.SkipWithError("callback preview refused");
    } else {
        const int32_t sentBefore = PixoraSim_FramesSent(0);
        for (auto _ : state) {
            PixoraMessage message{};
            if (PixoraMsg_Get(messages, &message, kFrameWaitMs) != 1 || message.wParam == 0) {
                state.SkipWithError("no frame delivered");
                break;
            }
        }
        state.SetItemsProcessed(state.iterations());
        // Frames the camera sent per frame delivered: above 1 the worker is the bottleneck.
        state.counters["sent_per_delivered"] =
            static_cast<double>(PixoraSim_FramesSent(0) - sentBefore) /
            static_cast<double>(std::max<int64_t>(state.iterations(), 1));
    }
    Pixora_StopPreview(camera);
    Pixora_Release(camera);
    PixoraMsg_DestroyWindow(messages);
}

// --- The stages on their own -----------------------------------------------------------

FrameGeometry FullWindow() {
    FrameGeometry g;
    g.pitch = kLinePitch;
    g.activeColumn = kActiveColumn;
    g.activeWidth = kSensorWidth;
    g.totalLines = kTotalLines;
    g.activeLine = kActiveLine;
    g.activeHeight = kSensorHeight;
    g.transferSamples =
        static_cast<int32_t>(TransferSamplesFor(g.pitch, g.activeLine, g.activeHeight));
    return g;
}

// The images and settings a session holds in one colour mode after stream preparation,
// with a random mosaic in the raw image.
struct StageSession {
    FilterSettings filter;
    AnalogSettings analog;
    ProcessorInfo processor{};
    ImageBuffer raw8, raw16, color24, color32, color48, color64, work, display;
    int32_t mode;

    explicit StageSession(int32_t colorMode) : mode(colorMode) {
        IdentifyProcessor(&processor);
        filter.Set(FilterField::Gamma, 100);
        filter.Set(FilterField::BayerMode, 3);
        filter.Set(FilterField::BayerGainRed, 100);
        filter.Set(FilterField::BayerGainGreen, 100);
        filter.Set(FilterField::BayerGainBlue, 100);
        raw8.Create(kWidth, kHeight, 8);
        if (TenBit(mode)) {
            raw16.Create(kWidth, kHeight, 16);
        }
        if (mode != kColorMode16) {
            color24.Create(kWidth, kHeight, 24);
        }
        ImageBuffer* wide = mode == kColorMode32   ? &color32
                            : mode == kColorMode48 ? &color48
                            : mode == kColorMode64 ? &color64
                                                   : nullptr;
        if (wide != nullptr) {
            wide->Create(kWidth, kHeight, static_cast<uint16_t>(kModeBits[mode]));
        }
        ImageBuffer& raw = Raw();
        std::mt19937 random(5);
        for (size_t i = 0; i < raw.SizeBytes(); ++i) {
            raw.Bits()[i] =
                static_cast<uint8_t>(TenBit(mode) && i % 2 == 1 ? random() % 4 : random());
        }
        work.CreateLike(OutputImageOf(Context()));
    }

    ImageBuffer& Raw() { return TenBit(mode) ? raw16 : raw8; }

    FrameContext Context() {
        return FrameContext{
            filter,    analog,
            mode,      {&raw8, &raw16, &color24, &color32, &color48, &color64, &work},
            processor, nullptr,
            nullptr};
    }

    PreviewImages Preview() {
        return PreviewImages{&raw8, &raw16, &color24, &color32, &color48, &color64, &display};
    }
};

void Convert(benchmark::State& state) {
    StageSession session(static_cast<int32_t>(state.range(0)));
    const FrameGeometry g = FullWindow();
    const uint32_t sampleWidth = TenBit(session.mode) ? 1 : 0;
    std::vector<uint8_t> frame(static_cast<size_t>(g.transferSamples) * (sampleWidth + 1));
    std::mt19937 random(3);
    for (uint8_t& b : frame) {
        b = static_cast<uint8_t>(random());
    }
    ImageBuffer& raw = session.Raw();
    for (auto _ : state) {
        RawCopy(frame.data(), g, sampleWidth, raw.Bits(), static_cast<size_t>(raw.Stride()));
        benchmark::ClobberMemory();
    }
}

void Process(benchmark::State& state) {
    StageSession session(static_cast<int32_t>(state.range(0)));
    const FrameContext context = session.Context();
    ProcessFrame(context);
    for (auto _ : state) {
        ProcessFrame(context);
        benchmark::ClobberMemory();
    }
}

// Into the window the session would open: top-level at the image's size, so 1:1.
void Draw(benchmark::State& state) {
    StageSession session(static_cast<int32_t>(state.range(0)));
    ProcessFrame(session.Context());
    PreviewWindow window;
    PreviewWindowRequest request;
    request.imageWidth = kWidth;
    request.imageHeight = kHeight;
    if (!window.Open(request)) {
        state.SkipWithError("cannot open the preview window");
        return;
    }
    const PreviewImages images = session.Preview();
    for (auto _ : state) {
        if (!window.DrawFrame(session.mode, images)) {
            state.SkipWithError("frame not drawn");
            break;
        }
    }
    state.SetLabel(window.Kind() == SurfaceKind::X11 ? "X11" : "off-screen");
}

void Copy(benchmark::State& state) {
    StageSession session(static_cast<int32_t>(state.range(0)));
    const ImageBuffer* output = OutputImageOf(session.Context());
    std::vector<uint8_t> buffer(output->SizeBytes());
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            CopyImageRows(*output, 1, buffer.data(), static_cast<int64_t>(buffer.size())));
        benchmark::ClobberMemory();
    }
}

void EveryMode(benchmark::internal::Benchmark* b) {
    b->ArgName("mode")->DenseRange(0, 5)->Unit(benchmark::kMillisecond);
}

BENCHMARK(CallbackPreview)->Apply(EveryMode)->UseRealTime();
BENCHMARK(Convert)->Apply(EveryMode);
BENCHMARK(Process)->Apply(EveryMode);
BENCHMARK(Draw)->Apply(EveryMode);
BENCHMARK(Copy)->Apply(EveryMode);

// Prints as usual and keeps each run's time per iteration, for the table of shares.
class ShareReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                const double toMs = 1e3 / benchmark::GetTimeUnitMultiplier(run.time_unit);
                times_[run.benchmark_name()] = run.GetAdjustedRealTime() * toMs;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintShares() const {
        std::printf("\nShare of the delivered frame time (callback preview, fps=0, wait 0)\n");
        std::printf("%-5s %8s %10s %9s %9s %9s %9s\n", "bits", "fps", "frame ms", "convert",
                    "process", "draw", "copy");
        for (int mode = 0; mode < 6; ++mode) {
            const std::string suffix = "/mode:" + std::to_string(mode);
            const double frame = Find("CallbackPreview" + suffix + "/real_time");
            if (frame <= 0) {
                continue;
            }
            std::printf("%-5d %8.1f %10.3f", kModeBits[mode], 1e3 / frame, frame);
            for (const char* stage : {"Convert", "Process", "Draw", "Copy"}) {
                std::printf(" %8.1f%%", 100.0 * Find(stage + suffix) / frame);
            }
            std::printf("\n");
        }
    }

private:
    double Find(const std::string& name) const {
        const auto found = times_.find(name);
        return found == times_.end() ? 0.0 : found->second;
    }

    std::map<std::string, double> times_;
};

// Never the user's own settings, and a camera that delivers at once. Returns the
// scratch settings file it chose, if any.
std::filesystem::path PrepareEnvironment() {
    std::filesystem::path scratch;
    if (std::getenv("PIXORA_REGISTRY") == nullptr) {
        scratch = std::filesystem::temp_directory_path() /
                  ("pixora_bench_" + std::to_string(std::random_device{}()) + ".reg");
        setenv("PIXORA_REGISTRY", scratch.c_str(), 1);
    }
    if (std::getenv("PIXORA_SIM") == nullptr) {
        setenv("PIXORA_SIM", "fps=0 scene=moving", 1);
    }
    return scratch;
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path scratch = PrepareEnvironment();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    ShareReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintShares();
    benchmark::Shutdown();
    if (!scratch.empty()) {
        std::error_code ignored;
        std::filesystem::remove(scratch, ignored);
    }
    return 0;
}
