// The per-frame processing chain on a full 1360 x 1024 frame, in ms per frame, one thread:
// every colour mode with all settings neutral and with every adjustment on, and each
// adjustment kernel on its own for each pixel class.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "image/ImageBuffer.h"
#include "imaging/GrayGainOffset.h"
#include "imaging/HueSaturation.h"
#include "imaging/KernelBlocks.h"
#include "imaging/ProcessFrame.h"
#include "imaging/ProcessorInfo.h"
#include "imaging/Sharpness.h"
#include "imaging/ToneAdjust.h"
#include "imaging/WhiteBalance.h"
#include "settings/SettingsRecords.h"

namespace {

using namespace pixora;

constexpr int32_t kWidth = 1360;
constexpr int32_t kHeight = 1024;

void FillRandom(ImageBuffer& image, uint32_t top) {
    std::mt19937 random(11);
    const uint16_t bits = image.BitsPerPixel();
    const bool words = bits == 16 || bits == 48 || bits == 64;
    for (size_t i = 0; i < image.SizeBytes(); i += words ? 2 : 1) {
        const uint32_t v = random() % (top + 1);
        image.Bits()[i] = static_cast<uint8_t>(v);
        if (words && i + 1 < image.SizeBytes()) {
            image.Bits()[i + 1] = static_cast<uint8_t>(v >> 8);
        }
    }
}

// The images a session holds for one colour mode, and its settings.
struct Session {
    FilterSettings filter;
    AnalogSettings analog;
    ProcessorInfo processor;
    ImageBuffer raw8, raw16, color24, color32, color48, color64, work;
    int32_t mode;

    explicit Session(int32_t colorMode) : mode(colorMode) {
        IdentifyProcessor(&processor);
        filter.Set(FilterField::Gamma, 100);
        filter.Set(FilterField::BayerMode, 3);
        filter.Set(FilterField::BayerGainRed, 100);
        filter.Set(FilterField::BayerGainGreen, 100);
        filter.Set(FilterField::BayerGainBlue, 100);
        const bool tenBit = mode == kColorMode16 || mode >= kColorMode48;
        (tenBit ? raw16 : raw8).Create(kWidth, kHeight, tenBit ? 16 : 8);
        FillRandom(tenBit ? raw16 : raw8, tenBit ? 1023 : 255);
        color24.Create(kWidth, kHeight, 24);
        if (mode == kColorMode32) {
            color32.Create(kWidth, kHeight, 32);
        } else if (mode == kColorMode48) {
            color48.Create(kWidth, kHeight, 48);
        } else if (mode == kColorMode64) {
            color64.Create(kWidth, kHeight, 64);
        }
        work.CreateLike(OutputImageOf(Context()));
    }

    FrameContext Context() {
        return FrameContext{
            filter,    analog,
            mode,      {&raw8, &raw16, &color24, &color32, &color48, &color64, &work},
            processor, nullptr,
            nullptr};
    }

    void AllAdjustmentsOn() {
        filter.Set(FilterField::Hue, 30);
        filter.Set(FilterField::Saturation, 20);
        filter.Set(FilterField::Gamma, 120);
        filter.Set(FilterField::Contrast, 20);
        filter.Set(FilterField::Sharpness, 10);
        filter.Set(FilterField::Brightness, 20);
    }
};

void BM_ChainNeutral(benchmark::State& state) {
    Session session(static_cast<int32_t>(state.range(0)));
    const FrameContext context = session.Context();
    for (auto _ : state) {
        ProcessFrame(context);
        benchmark::ClobberMemory();
    }
}

void BM_ChainAllAdjustments(benchmark::State& state) {
    Session session(static_cast<int32_t>(state.range(0)));
    session.AllAdjustmentsOn();
    const FrameContext context = session.Context();
    for (auto _ : state) {
        ProcessFrame(context);
        benchmark::ClobberMemory();
    }
}

// One adjustment kernel on a whole image of `bits` per pixel (in place, or from a copy for
// sharpening), with its parameter.
template <typename Kernel, typename Parameter>
void RunAdjustment(benchmark::State& state, Kernel kernel, uint16_t bits, Parameter& parameter,
                   bool fromCopy = false) {
    ImageBuffer image;
    ImageBuffer copy;
    image.Create(kWidth, kHeight, bits);
    const bool words = bits == 16 || bits >= 48;
    FillRandom(image, words ? 1023 : 255);
    copy.CreateLike(&image);
    FillRandom(copy, words ? 1023 : 255);
    for (auto _ : state) {
        image.Apply(kernel, fromCopy ? &copy : &image, nullptr, 0, 0, parameter);
        benchmark::ClobberMemory();
    }
}

int32_t gGamma = 120;
int32_t gContrast = 20;
int32_t gSharpness = 10;
int32_t gBrightness = 20;
HueSaturationBlock gHueSaturation{30, 0, 20};

template <typename Kernel>
Kernel Member(uint16_t bits, Kernel member8, Kernel member10) {
    return bits == 16 || bits >= 48 ? member10 : member8;
}

void BM_Gamma(benchmark::State& state) {
    const auto bits = static_cast<uint16_t>(state.range(0));
    RunAdjustment(state, Member(bits, AdjustGamma8, AdjustGamma10), bits, gGamma);
}
void BM_Contrast(benchmark::State& state) {
    const auto bits = static_cast<uint16_t>(state.range(0));
    RunAdjustment(state, Member(bits, AdjustContrast8, AdjustContrast10), bits, gContrast);
}
void BM_Brightness(benchmark::State& state) {
    const auto bits = static_cast<uint16_t>(state.range(0));
    RunAdjustment(state, Member(bits, AdjustBrightness8, AdjustBrightness10), bits, gBrightness);
}
void BM_Sharpness(benchmark::State& state) {
    const auto bits = static_cast<uint16_t>(state.range(0));
    RunAdjustment(state, Member(bits, Sharpen8, Sharpen10), bits, gSharpness, true);
}
void BM_HueSaturation(benchmark::State& state) {
    const auto bits = static_cast<uint16_t>(state.range(0));
    RunAdjustment(state, Member(bits, HueSaturation24, HueSaturation48), bits, gHueSaturation);
}
void BM_HueSaturationAvx2(benchmark::State& state) {
    ProcessorInfo processor;
    IdentifyProcessor(&processor);
    if (!processor.avx2Usable) {
        state.SkipWithError("no AVX2");
        return;
    }
    const auto bits = static_cast<uint16_t>(state.range(0));
    RunAdjustment(state, Member(bits, HueSaturation24Avx2, HueSaturation48Avx2), bits,
                  gHueSaturation);
}
void BM_GrayGainOffset(benchmark::State& state) {
    GrayGainBlock block;
    block.gains[kGraySiteR] = 150;
    block.offsets[kGraySiteB] = -10;
    RunAdjustment(state, GrayGainOffset8, 8, block);
}
void BM_GrayAutoGainMeasure(benchmark::State& state) {
    GrayGainBlock block;
    RunAdjustment(state, MeasureGrayGains8, 8, block);
}

BENCHMARK(BM_ChainNeutral)->DenseRange(0, 5)->ArgName("mode")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChainAllAdjustments)->DenseRange(0, 5)->ArgName("mode")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HueSaturation)
    ->Arg(24)
    ->Arg(32)
    ->Arg(48)
    ->Arg(64)
    ->ArgName("bits")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HueSaturationAvx2)
    ->Arg(24)
    ->Arg(32)
    ->Arg(48)
    ->Arg(64)
    ->ArgName("bits")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Gamma)->Arg(8)->Arg(16)->Arg(24)->Arg(32)->Arg(48)->Arg(64)->ArgName("bits")->Unit(
    benchmark::kMillisecond);
BENCHMARK(BM_Contrast)
    ->Arg(8)
    ->Arg(16)
    ->Arg(24)
    ->Arg(32)
    ->Arg(48)
    ->Arg(64)
    ->ArgName("bits")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sharpness)
    ->Arg(8)
    ->Arg(16)
    ->Arg(24)
    ->Arg(32)
    ->Arg(48)
    ->Arg(64)
    ->ArgName("bits")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Brightness)
    ->Arg(8)
    ->Arg(16)
    ->Arg(24)
    ->Arg(32)
    ->Arg(48)
    ->Arg(64)
    ->ArgName("bits")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrayGainOffset)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrayAutoGainMeasure)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
