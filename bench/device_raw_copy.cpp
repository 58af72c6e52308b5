// The raw frame copy of a full 1360 x 1024 window out of 1791-sample lines, 8-bit and
// 10-bit, next to a plain memcpy of the same number of bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "device/FrameGeometry.h"
#include "device/RawFrameCopy.h"

namespace {

using pixora::FrameGeometry;

FrameGeometry FullWindow() {
    FrameGeometry g;
    g.pitch = pixora::kLinePitch;
    g.activeColumn = pixora::kActiveColumn;
    g.activeWidth = pixora::kSensorWidth;
    g.totalLines = pixora::kTotalLines;
    g.activeLine = pixora::kActiveLine;
    g.activeHeight = pixora::kSensorHeight;
    g.transferSamples =
        static_cast<int32_t>(pixora::TransferSamplesFor(g.pitch, g.activeLine, g.activeHeight));
    return g;
}

std::vector<uint8_t> RandomFrame(std::size_t bytes) {
    std::vector<uint8_t> frame(bytes);
    std::mt19937 random(7);
    for (uint8_t& b : frame) {
        b = static_cast<uint8_t>(random());
    }
    return frame;
}

void Report(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

void BM_RawCopy8(benchmark::State& state) {
    const FrameGeometry g = FullWindow();
    const std::vector<uint8_t> frame = RandomFrame(static_cast<std::size_t>(g.transferSamples));
    const std::size_t bytes = static_cast<std::size_t>(g.activeWidth) * g.activeHeight;
    std::vector<uint8_t> dest(bytes);
    for (auto _ : state) {
        pixora::RawCopy(frame.data(), g, 0, dest.data(), static_cast<std::size_t>(g.activeWidth));
        benchmark::ClobberMemory();
    }
    Report(state, bytes);
}

void BM_Memcpy8(benchmark::State& state) {
    const std::size_t bytes =
        static_cast<std::size_t>(pixora::kSensorWidth) * pixora::kSensorHeight;
    const std::vector<uint8_t> source = RandomFrame(bytes);
    std::vector<uint8_t> dest(bytes);
    for (auto _ : state) {
        std::memcpy(dest.data(), source.data(), bytes);
        benchmark::ClobberMemory();
    }
    Report(state, bytes);
}

void BM_RawCopy10(benchmark::State& state) {
    const FrameGeometry g = FullWindow();
    const std::vector<uint8_t> frame = RandomFrame(static_cast<std::size_t>(g.transferSamples) * 2);
    const std::size_t bytes = static_cast<std::size_t>(g.activeWidth) * g.activeHeight * 2;
    std::vector<uint8_t> dest(bytes);
    for (auto _ : state) {
        pixora::RawCopy(frame.data(), g, 1, dest.data(),
                        static_cast<std::size_t>(g.activeWidth) * 2);
        benchmark::ClobberMemory();
    }
    Report(state, bytes);
}

void BM_Memcpy10(benchmark::State& state) {
    const std::size_t bytes =
        static_cast<std::size_t>(pixora::kSensorWidth) * pixora::kSensorHeight * 2;
    const std::vector<uint8_t> source = RandomFrame(bytes);
    std::vector<uint8_t> dest(bytes);
    for (auto _ : state) {
        std::memcpy(dest.data(), source.data(), bytes);
        benchmark::ClobberMemory();
    }
    Report(state, bytes);
}

}  // namespace

BENCHMARK(BM_RawCopy8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawCopy10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy10)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
