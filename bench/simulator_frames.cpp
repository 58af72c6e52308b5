// How fast the virtual camera delivers frames with pacing off: it must stay well ahead of
// the library's per-frame chain.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "simulator/VirtualCameraBus.h"

namespace {

using pixora::VirtualCameraBus;
namespace wire = pixora::wire;

class Host {
public:
    explicit Host(VirtualCameraBus& bus) : bus_(bus) { handle_ = bus_.Open("\\\\.\\Qvo530TZ-0"); }
    ~Host() { bus_.Close(handle_); }

    bool Command(std::initializer_list<uint8_t> bytes) {
        uint8_t block[64] = {};
        size_t i = 0;
        for (uint8_t b : bytes) {
            block[i++] = b;
        }
        return Pipe(wire::kPipeCommand, block, sizeof block);
    }
    bool WriteRegister(uint32_t address, uint32_t value) {
        const uint32_t word = ((value & 0x3F) << 10) | address;
        return Command({wire::kCmdWriteRegister, 16, static_cast<uint8_t>(word),
                        static_cast<uint8_t>(word >> 8), 0, 0});
    }
    bool SetExposure(uint32_t exposure) {
        return WriteRegister(158, exposure & 0x3F) && WriteRegister(159, (exposure >> 6) & 0x3F);
    }
    bool Pipe(uint32_t pipe, void* data, uint32_t size) {
        uint8_t pipeBytes[4] = {static_cast<uint8_t>(pipe), 0, 0, 0};
        uint32_t returned = 0;
        return bus_.Control(handle_, wire::kCodePipeSecond, pipeBytes, 4, data, size, &returned) &&
               returned == size;
    }

private:
    VirtualCameraBus& bus_;
    pixora::DriverHandle handle_ = nullptr;
};

void ReadFrames(benchmark::State& state, const char* settings, bool tenBit, bool changeExposure) {
    VirtualCameraBus bus(settings);
    Host host(bus);
    host.WriteRegister(6, 16);
    host.WriteRegister(7, 10);
    host.SetExposure(64);
    if (tenBit) {
        host.Command({wire::kCmdSetSampleWidth, 1});
    }
    const uint32_t bytes = wire::kDefaultTransferSamples * (tenBit ? 2 : 1);
    std::vector<uint8_t> frame(bytes);
    uint32_t exposure = 64;
    for (auto _ : state) {
        if (changeExposure) {
            exposure = exposure == 64 ? 65 : 64;
            host.SetExposure(exposure);
        }
        if (!host.Pipe(wire::kPipeImage, frame.data(), bytes)) {
            state.SkipWithError("frame read failed");
            break;
        }
        benchmark::DoNotOptimize(frame.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

void BM_Frame8BitBars(benchmark::State& state) {
    ReadFrames(state, "fps=0", false, false);
}
void BM_Frame10BitBars(benchmark::State& state) {
    ReadFrames(state, "fps=0", true, false);
}
void BM_Frame8BitMoving(benchmark::State& state) {
    ReadFrames(state, "fps=0 scene=moving", false, false);
}
// Automatic exposure changes the exposure between frames: the scene is rebuilt each time.
void BM_Frame8BitNewExposureEachFrame(benchmark::State& state) {
    ReadFrames(state, "fps=0", false, true);
}

BENCHMARK(BM_Frame8BitBars)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame10BitBars)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame8BitMoving)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame8BitNewExposureEachFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
