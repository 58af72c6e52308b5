// Frames through the USB port (libusb, usbdevfs as umockdev serves it from the virtual
// camera) against the virtual camera reached directly, side by side: frames per second and
// the process's CPU time per frame, for a stream (reads kept in flight) and for single
// captures (one read at a time). Run under umockdev-wrapper:
//     umockdev-wrapper build/bench/bench_usb_frames
// The CPU time is the whole process's: under umockdev it includes the mock's own work
// (every URB and its data cross a socket), which a real device does not cost.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "UsbTestbed.h"
#include "device/DeviceResult.h"
#include "device/PixoraDevice.h"
#include "driver/linux/usb/UsbDriverPort.h"
#include "simulator/VirtualCameraBus.h"

namespace {

using namespace pixora;

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The served camera and its USB device, made once: the USB port lives for the process.
struct UsbSetup {
    test::TempDir scratch;
    VirtualCameraBus served{"fps=0"};
    std::unique_ptr<test::UsbTestbed> testbed;

    UsbSetup() {
        const std::string config = scratch.File("usb.conf");
        std::ofstream(config) << "camera fff0:530a\n";
        setenv("PIXORA_USB_CONFIG", config.c_str(), 1);
        testbed = std::make_unique<test::UsbTestbed>(served);
        test::UsbDeviceSpec spec;
        spec.vendor = 0xfff0;
        spec.product = 0x530a;
        testbed->Add(spec);
    }
};

DriverPort& UsbPort() {
    static UsbSetup* setup = new UsbSetup;
    (void)setup;
    return UsbDriverPort::Instance();
}

DriverPort& DirectPort() {
    static VirtualCameraBus* bus = new VirtualCameraBus("fps=0");
    return bus->Port();
}

void Report(benchmark::State& state, double seconds, double cpu, uint32_t frameBytes) {
    const double frames = static_cast<double>(state.iterations());
    state.counters["frames_per_s"] = frames / seconds;
    state.counters["cpu_ms_per_frame"] = cpu * 1000.0 / frames;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * frameBytes);
}

void Stream(benchmark::State& state, DriverPort& port) {
    PixoraDevice device(port);
    device.SetSampleWidth(static_cast<uint32_t>(state.range(0)));
    const uint32_t bytes =
        static_cast<uint32_t>(device.Geometry().transferSamples) * (state.range(0) != 0 ? 2u : 1u);
    std::vector<uint8_t> raw(1360 * 1024 * 2);
    RawDestination dest{raw.data(), raw.size(), 0, 0};
    if (device.StartStream() != kDevOk) {
        state.SkipWithError("the stream does not start");
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuSeconds();
    for (auto _ : state) {
        int32_t polled = PixoraDevice::kPollNoNewFrame;
        while ((polled = device.PollFrame()) == PixoraDevice::kPollNoNewFrame) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (polled != PixoraDevice::kPollNewFrame || device.ConvertLatest(dest) != kDevOk) {
            state.SkipWithError("the stream failed");
            break;
        }
    }
    const double cpu = ProcessCpuSeconds() - cpuStart;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    device.StopStream();
    Report(state, seconds, cpu, bytes);
}

void Capture(benchmark::State& state, DriverPort& port) {
    PixoraDevice device(port);
    const uint32_t bytes = static_cast<uint32_t>(device.Geometry().transferSamples);
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuSeconds();
    for (auto _ : state) {
        if (device.CaptureFrame() != kDevOk) {
            state.SkipWithError("the capture failed");
            break;
        }
    }
    const double cpu = ProcessCpuSeconds() - cpuStart;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Report(state, seconds, cpu, bytes);
}

void BM_StreamDirect(benchmark::State& state) {
    Stream(state, DirectPort());
}
void BM_StreamUsb(benchmark::State& state) {
    Stream(state, UsbPort());
}
void BM_CaptureDirect(benchmark::State& state) {
    Capture(state, DirectPort());
}
void BM_CaptureUsb(benchmark::State& state) {
    Capture(state, UsbPort());
}

// Argument: the sample width (0: 8-bit frames, 1: 10-bit frames of twice the bytes).
BENCHMARK(BM_StreamDirect)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StreamUsb)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CaptureDirect)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CaptureUsb)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
