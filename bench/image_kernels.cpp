// Copy, conversion and scaling kernels on a full 1360 x 1024 frame, one frame per iteration.
#include <benchmark/benchmark.h>

#include <cstring>

#include "image/ConversionKernels.h"
#include "image/ImageBuffer.h"
#include "image/RowKernels.h"
#include "image/ScaleKernels.h"

namespace {

using pixora::ImageBuffer;
using pixora::PixelKernel;

constexpr int kWidth = 1360;
constexpr int kHeight = 1024;

void Fill(ImageBuffer& image) {
    uint8_t* bits = image.Bits();
    for (size_t i = 0; i < image.SizeBytes(); ++i) {
        // Keeps 16-bit words within 10 bits: the high byte of each word stays below 4.
        bits[i] = static_cast<uint8_t>(i % 2 == 1 ? i % 4 : i * 31);
    }
}

void RunKernel(benchmark::State& state, PixelKernel kernel, uint16_t sourceBpp, uint16_t destBpp) {
    ImageBuffer source;
    ImageBuffer dest;
    if (source.Create(kWidth, kHeight, sourceBpp) == 0 ||
        dest.Create(kWidth, kHeight, destBpp) == 0) {
        state.SkipWithError("cannot create images");
        return;
    }
    Fill(source);
    for (auto _ : state) {
        benchmark::DoNotOptimize(dest.Apply(kernel, &source, nullptr, 0, 0));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void RunInPlace(benchmark::State& state, PixelKernel kernel, uint16_t bpp) {
    ImageBuffer image;
    if (image.Create(kWidth + 1, kHeight, bpp) == 0) {  // odd width: stride has padding
        state.SkipWithError("cannot create image");
        return;
    }
    Fill(image);
    for (auto _ : state) {
        benchmark::DoNotOptimize(image.Apply(kernel, &image, nullptr, 0, 0));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_SpreadRows8(benchmark::State& s) {
    RunInPlace(s, pixora::SpreadRows8, 8);
}
void BM_SpreadRows16(benchmark::State& s) {
    RunInPlace(s, pixora::SpreadRows16, 16);
}
void BM_SwapRows24(benchmark::State& s) {
    RunInPlace(s, pixora::SwapRows, 24);
}
void BM_Luma24To8(benchmark::State& s) {
    RunKernel(s, pixora::Luma24To8, 24, 8);
}
void BM_Copy32To24(benchmark::State& s) {
    RunKernel(s, pixora::Copy32To24, 32, 24);
}
void BM_Gray16To8(benchmark::State& s) {
    RunKernel(s, pixora::Gray16To8, 16, 8);
}
void BM_Color48To24(benchmark::State& s) {
    RunKernel(s, pixora::Color16To24, 48, 24);
}
void BM_Color64To24(benchmark::State& s) {
    RunKernel(s, pixora::Color16To24, 64, 24);
}
void BM_FlipCopy24(benchmark::State& s) {
    RunKernel(s, pixora::FlipCopy, 24, 24);
}
void BM_FlipCopyTo24From32(benchmark::State& s) {
    RunKernel(s, pixora::FlipCopyTo24, 32, 24);
}
void BM_Gray16To8Flipped(benchmark::State& s) {
    RunKernel(s, pixora::Gray16To8Flipped, 16, 8);
}
void BM_Color48To24Flipped(benchmark::State& s) {
    RunKernel(s, pixora::Color16To24Flipped, 48, 24);
}
void BM_SwapToRgb24(benchmark::State& s) {
    RunKernel(s, pixora::SwapToRgb, 24, 24);
}
void BM_ComplementAlpha32(benchmark::State& s) {
    RunKernel(s, pixora::ComplementAlpha32, 32, 32);
}
void BM_ScaleGray16(benchmark::State& s) {
    RunKernel(s, pixora::ScaleGray16, 16, 16);
}
void BM_ScaleColor48(benchmark::State& s) {
    RunKernel(s, pixora::ScaleColor16, 48, 48);
}
void BM_ScaleColor64(benchmark::State& s) {
    RunKernel(s, pixora::ScaleColor16, 64, 64);
}
void BM_ScaleColor48Swapped(benchmark::State& s) {
    RunKernel(s, pixora::ScaleColor16Swapped, 48, 48);
}

void RunScale(benchmark::State& state, pixora::ScaleKernel kernel, uint16_t bpp) {
    ImageBuffer source;
    ImageBuffer dest;
    if (source.Create(kWidth, kHeight, bpp) == 0 ||
        dest.Create(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)),
                    bpp) == 0) {
        state.SkipWithError("cannot create images");
        return;
    }
    Fill(source);
    for (auto _ : state) {
        benchmark::DoNotOptimize(dest.ApplyScaled(kernel, &source, nullptr, nullptr));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_Scale8(benchmark::State& s) {
    RunScale(s, pixora::Scale8, 8);
}
void BM_Scale24(benchmark::State& s) {
    RunScale(s, pixora::Scale24, 24);
}

}  // namespace

BENCHMARK(BM_SpreadRows8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpreadRows16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SwapRows24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Luma24To8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Copy32To24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Gray16To8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Color48To24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Color64To24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlipCopy24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlipCopyTo24From32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Gray16To8Flipped)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Color48To24Flipped)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SwapToRgb24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComplementAlpha32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScaleGray16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScaleColor48)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScaleColor64)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScaleColor48Swapped)->Unit(benchmark::kMillisecond);
// Preview sizes: half size and a typical window.
BENCHMARK(BM_Scale8)->Args({680, 512})->Args({800, 600})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scale24)->Args({680, 512})->Args({800, 600})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
