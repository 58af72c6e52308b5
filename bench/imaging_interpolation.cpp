// Bayer interpolation on a full 1360 x 1024 frame, in ms per frame, one thread: each member
// of the 8-bit and 10-bit interpolation and its vector forms (border pass included), the colour
// step as the chain runs it, the white-balance measurement, and, when its headers are present, the
// bilinear Bayer conversion of a widely used vision library as the yardstick.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "image/ImageBuffer.h"
#include "imaging/BayerInterpolation.h"
#include "imaging/BayerInterpolationSimd.h"
#include "imaging/ColorStep.h"
#include "imaging/KernelBlocks.h"
#include "imaging/ProcessorInfo.h"
#include "imaging/WhiteBalance.h"
#include "settings/SettingsRecords.h"

#if __has_include(<opencv2/imgproc.hpp>)
// Its headers predate C++20's rules on mixing enumerations.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-enum-enum-conversion"
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#pragma GCC diagnostic pop
#define PIXORA_BENCH_YARDSTICK 1
#endif

namespace {

using namespace pixora;

constexpr int32_t kWidth = 1360;
constexpr int32_t kHeight = 1024;

// A raw frame of random samples (0..top), white-balance gains as a real scene needs them.
struct Frame {
    ImageBuffer raw;
    ImageBuffer dest;
    InterpolationBlock block{3, 135, 100, 160};

    Frame(uint16_t rawBits, uint16_t destBits) {
        raw.Create(kWidth, kHeight, rawBits);
        dest.Create(kWidth, kHeight, destBits);
        std::mt19937 random(7);
        const uint32_t top = rawBits == 16 ? 1023 : 255;
        for (int32_t row = 0; row < kHeight; ++row) {
            uint8_t* p = raw.Bits() + static_cast<ptrdiff_t>(row) * raw.Stride();
            for (int32_t column = 0; column < kWidth; ++column) {
                const uint32_t v = random() % (top + 1);
                if (rawBits == 16) {
                    p[2 * column] = static_cast<uint8_t>(v);
                    p[2 * column + 1] = static_cast<uint8_t>(v >> 8);
                } else {
                    p[column] = static_cast<uint8_t>(v);
                }
            }
        }
    }
};

using Member = void (*)(const PixelRegion& region, const InterpolationBlock& block);

void RunMember(benchmark::State& state, Member member, Member border, uint16_t rawBits,
               uint16_t destBits) {
    Frame frame(rawBits, destBits);
    for (auto _ : state) {
        frame.dest.Apply(member, &frame.raw, nullptr, 0, 0, frame.block);
        frame.dest.Apply(border, &frame.raw, nullptr, 0, 0, frame.block);
        benchmark::ClobberMemory();
    }
}

ProcessorInfo ThisProcessor() {
    ProcessorInfo processor;
    IdentifyProcessor(&processor);
    return processor;
}

void BM_Interpolate8To24_Reference(benchmark::State& state) {
    RunMember(state, InterpolateReference8, InterpolateBorder8, 8, 24);
}
void BM_Interpolate8To32_Reference(benchmark::State& state) {
    RunMember(state, InterpolateReference8, InterpolateBorder8, 8, 32);
}
// The reference member's vector forms (same bytes as the scalar one).
void BM_Interpolate8To24_ReferenceSse2(benchmark::State& state) {
    RunMember(state, InterpolateReferenceSse2, InterpolateBorder8, 8, 24);
}
void BM_Interpolate8To32_ReferenceSse2(benchmark::State& state) {
    RunMember(state, InterpolateReferenceSse2, InterpolateBorder8, 8, 32);
}
void BM_Interpolate8To24_ReferenceAvx2(benchmark::State& state) {
    if (!ThisProcessor().avx2Usable) {
        state.SkipWithError("no AVX2");
        return;
    }
    RunMember(state, InterpolateReferenceAvx2, InterpolateBorder8, 8, 24);
}
void BM_Interpolate8To32_ReferenceAvx2(benchmark::State& state) {
    if (!ThisProcessor().avx2Usable) {
        state.SkipWithError("no AVX2");
        return;
    }
    RunMember(state, InterpolateReferenceAvx2, InterpolateBorder8, 8, 32);
}
void BM_Interpolate8To24_Sse2(benchmark::State& state) {
    RunMember(state, InterpolateSse2, InterpolateBorder8, 8, 24);
}
void BM_Interpolate8To24_Avx2(benchmark::State& state) {
    if (!ThisProcessor().avx2Usable) {
        state.SkipWithError("no AVX2");
        return;
    }
    RunMember(state, InterpolateAvx2, InterpolateBorder8, 8, 24);
}
void BM_Interpolate16To48_Scalar(benchmark::State& state) {
    RunMember(state, Interpolate16, InterpolateBorder16, 16, 48);
}
void BM_Interpolate16To64_Avx2(benchmark::State& state) {
    if (!ThisProcessor().avx2Usable) {
        state.SkipWithError("no AVX2");
        return;
    }
    RunMember(state, Interpolate16Avx2, InterpolateBorder16, 16, 64);
}
void BM_Interpolate16To48_Avx2(benchmark::State& state) {
    if (!ThisProcessor().avx2Usable) {
        state.SkipWithError("no AVX2");
        return;
    }
    RunMember(state, Interpolate16Avx2, InterpolateBorder16, 16, 48);
}

// The colour step as the chain runs it, with the member this processor gets; argument 1
// adds the white-balance measurement on every frame ("All frames").
void BM_ColorStep8To24(benchmark::State& state) {
    Frame frame(8, 24);
    const ProcessorInfo processor = ThisProcessor();
    FilterSettings filter;
    filter.Set(FilterField::BayerMode, 3);
    filter.Set(FilterField::BayerGainRed, 135);
    filter.Set(FilterField::BayerGainGreen, 100);
    filter.Set(FilterField::BayerGainBlue, 160);
    filter.Set(FilterField::WhiteBalanceRequest, static_cast<int32_t>(state.range(0)));
    for (auto _ : state) {
        RunColorStep(filter, filter.Get(FilterField::BayerMode), processor, frame.raw, frame.dest,
                     nullptr);
        // Keep the measured gains from drifting above the accelerated members' limit.
        filter.Set(FilterField::BayerGainRed, 135);
        filter.Set(FilterField::BayerGainBlue, 160);
        benchmark::ClobberMemory();
    }
}

void BM_WhiteBalanceMeasure8(benchmark::State& state) {
    Frame frame(8, 24);
    WhiteBalanceBlock block;
    for (auto _ : state) {
        frame.raw.Apply(MeasureWhiteBalance8, &frame.raw, nullptr, 0, 0, block);
        benchmark::DoNotOptimize(block);
    }
}

BENCHMARK(BM_Interpolate8To24_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Interpolate8To32_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Interpolate8To24_ReferenceSse2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Interpolate8To32_ReferenceSse2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Interpolate8To24_ReferenceAvx2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Interpolate8To32_ReferenceAvx2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Interpolate8To24_Sse2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Interpolate8To24_Avx2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColorStep8To24)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WhiteBalanceMeasure8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Interpolate16To48_Scalar)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Interpolate16To48_Avx2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Interpolate16To64_Avx2)->Unit(benchmark::kMillisecond);

#if defined(PIXORA_BENCH_YARDSTICK)
void RunYardstick(benchmark::State& state, int type) {
    cv::setNumThreads(1);
    cv::Mat raw(kHeight, kWidth, type);
    cv::randu(raw, 0, type == CV_16UC1 ? 1024 : 256);
    cv::Mat bgr;
    for (auto _ : state) {
        cv::cvtColor(raw, bgr, cv::COLOR_BayerGR2BGR);
        benchmark::ClobberMemory();
    }
}
void BM_Yardstick_BayerGR2BGR_8(benchmark::State& state) {
    RunYardstick(state, CV_8UC1);
}
void BM_Yardstick_BayerGR2BGR_16(benchmark::State& state) {
    RunYardstick(state, CV_16UC1);
}
BENCHMARK(BM_Yardstick_BayerGR2BGR_8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Yardstick_BayerGR2BGR_16)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
