// What `pixorasrc ! fakesink` delivers from the virtual camera at the full 1360 x 1024 window:
// buffers a second, buffers the element reported dropped, and the process's CPU time per
// buffer (the library's worker processing the frame included), in 8-bit gray and 24-bit
// colour at 30 and 200 frames a second. The sink does not sync to the clock, so it keeps up
// whenever the element and the library do.
#include <benchmark/benchmark.h>
#include <gst/gst.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "PixoraPlatform.h"
#include "PixoraSrc.h"

namespace {

constexpr int kWarmUp = 20;  // buffers that start the camera and measure its rate: not counted

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Counted {
    std::atomic<int> buffers{0};
    std::atomic<gint64> firstUs{0};  // monotonic time of the first counted buffer
    std::atomic<gint64> lastUs{0};
    std::atomic<double> cpuAtFirst{0};
};

void OnHandoff(GstElement*, GstBuffer*, GstPad*, gpointer data) {
    auto* counted = static_cast<Counted*>(data);
    const int n = ++counted->buffers;
    if (n == kWarmUp + 1) {
        counted->firstUs = g_get_monotonic_time();
        counted->cpuAtFirst = CpuSeconds();
    }
    counted->lastUs = g_get_monotonic_time();
}

guint64 DroppedOf(GstElement* source) {
    GstStructure* stats = nullptr;
    g_object_get(source, "stats", &stats, nullptr);
    guint64 dropped = 0;
    if (stats != nullptr) {
        gst_structure_get_uint64(stats, "dropped", &dropped);
        gst_structure_free(stats);
    }
    return dropped;
}

// args: frames a second of the camera, bits per pixel (8 or 24).
void BM_ElementToFakesink(benchmark::State& state) {
    const int fps = static_cast<int>(state.range(0));
    const char* format = state.range(1) == 8 ? "GRAY8" : "BGR";
    const int frames = static_cast<int>(state.range(2));
    PixoraSim_Reset();
    PixoraSim_SetFps(0, fps);
    PixoraSim_SetScene(0, PIXORA_SIM_SCENE_BARS);
    const std::string description =
        "pixorasrc name=camera queue-size=8 num-buffers=" + std::to_string(frames + kWarmUp) +
        " ! video/x-raw,format=" + format + " ! fakesink name=sink sync=false signal-handoffs=true";
    double rate = 0;
    double cpuPerBuffer = 0;
    guint64 dropped = 0;
    for (auto _ : state) {
        GError* error = nullptr;
        GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
        if (pipeline == nullptr) {
            state.SkipWithError(error != nullptr ? error->message : "no pipeline");
            g_clear_error(&error);
            return;
        }
        Counted counted;
        GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
        GstElement* source = gst_bin_get_by_name(GST_BIN(pipeline), "camera");
        g_signal_connect(sink, "handoff", G_CALLBACK(OnHandoff), &counted);
        gst_element_set_state(pipeline, GST_STATE_PLAYING);
        GstBus* bus = gst_element_get_bus(pipeline);
        GstMessage* end = gst_bus_timed_pop_filtered(
            bus, 120 * GST_SECOND,
            static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        const double cpu = CpuSeconds() - counted.cpuAtFirst.load();
        const bool ok = end != nullptr && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS;
        dropped = DroppedOf(source);
        if (end != nullptr)
            gst_message_unref(end);
        gst_object_unref(bus);
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(source);
        gst_object_unref(sink);
        gst_object_unref(pipeline);
        if (!ok) {
            state.SkipWithError("the pipeline failed or did not finish");
            return;
        }
        const int counted_buffers = counted.buffers.load() - kWarmUp;
        const double seconds = static_cast<double>(counted.lastUs - counted.firstUs) / 1e6;
        rate = seconds > 0 ? (counted_buffers - 1) / seconds : 0;
        cpuPerBuffer = counted_buffers > 0 ? cpu / counted_buffers * 1e3 : 0;
    }
    state.counters["delivered_fps"] = rate;
    state.counters["dropped"] = static_cast<double>(dropped);
    state.counters["cpu_ms_per_buffer"] = cpuPerBuffer;
}

BENCHMARK(BM_ElementToFakesink)
    ->ArgNames({"fps", "bits", "frames"})
    ->Args({30, 8, 90})
    ->Args({30, 24, 90})
    ->Args({200, 8, 600})
    ->Args({200, 24, 600})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // A settings file of the run's own, so that stored settings of the user's do not apply.
    const std::filesystem::path registry =
        std::filesystem::temp_directory_path() /
        ("pixora-bench-element-" + std::to_string(getpid()) + ".reg");
    setenv("PIXORA_REGISTRY", registry.c_str(), 1);
    gst_init(&argc, &argv);
    if (!pixora_gst_register_static())
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(registry);
    return 0;
}
