// Drawing one 1360 x 1024 frame into the preview window per iteration, per colour mode:
// 1:1 into a client area of the image's size and scaled into a half-size one. The
// off-screen surface always; a real X11 window when a display can be opened.
#include <benchmark/benchmark.h>

#include <memory>

#include "image/ImageBuffer.h"
#include "preview/PreviewWindow.h"
#include "preview/WindowSurface.h"
#include "preview/linux/X11HostWindow.h"

namespace {

using pixora::ImageBuffer;
using pixora::PreviewWindow;
using pixora::SurfaceChoice;

constexpr int kWidth = 1360;
constexpr int kHeight = 1024;
constexpr uint16_t kModeBits[] = {8, 16, 24, 32, 48, 64};

struct Images {
    ImageBuffer image8, image16, image24, image32, image48, image64, display;

    // Makes the images stream preparation makes for `mode`, filled with a pattern.
    bool Prepare(int mode) {
        const bool sixteen = mode == 1 || mode == 4 || mode == 5;
        if (image8.Create(kWidth, kHeight, 8) == 0 ||
            (sixteen && image16.Create(kWidth, kHeight, 16) == 0) ||
            (mode != 1 && image24.Create(kWidth, kHeight, 24) == 0)) {
            return false;
        }
        ImageBuffer* out = mode == 0   ? &image8
                           : mode == 1 ? &image16
                           : mode == 2 ? &image24
                           : mode == 3 ? &image32
                           : mode == 4 ? &image48
                                       : &image64;
        if (out->IsEmpty() && out->Create(kWidth, kHeight, kModeBits[mode]) == 0) {
            return false;
        }
        for (size_t i = 0; i < out->SizeBytes(); ++i) {
            out->Bits()[i] = static_cast<uint8_t>(i % 2 == 1 ? i % 4 : i * 31);
        }
        return true;
    }

    pixora::PreviewImages View() {
        return pixora::PreviewImages{&image8,  &image16, &image24, &image32,
                                     &image48, &image64, &display};
    }
};

void DrawFrames(benchmark::State& state, SurfaceChoice choice) {
    const int mode = static_cast<int>(state.range(0));
    const bool scaled = state.range(1) != 0;
    // A connection held throughout, so that a virtual server with no other client does
    // not reset between the window's connections.
    std::unique_ptr<pixora::X11HostWindow> keepAlive;
    if (choice == SurfaceChoice::X11) {
        keepAlive = pixora::X11HostWindow::Create(0, 0, 16, 16);
        if (!keepAlive) {
            state.SkipWithError("no X display");
            return;
        }
    }
    Images images;
    if (!images.Prepare(mode)) {
        state.SkipWithError("cannot create images");
        return;
    }
    PreviewWindow window(choice);
    pixora::PreviewWindowRequest request;
    request.imageWidth = kWidth;
    request.imageHeight = kHeight;
    request.subSampleStep = scaled ? 1 : 0;
    if (!window.Open(request)) {
        state.SkipWithError("cannot open the window");
        return;
    }
    for (auto _ : state) {
        if (!window.DrawFrame(mode, images.View())) {
            state.SkipWithError("frame not drawn");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

void Offscreen(benchmark::State& state) {
    DrawFrames(state, SurfaceChoice::OffScreen);
}

void X11Window(benchmark::State& state) {
    DrawFrames(state, SurfaceChoice::X11);
}

void Modes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"mode", "scaled"});
    for (int scaled = 0; scaled <= 1; ++scaled) {
        for (int mode = 0; mode < 6; ++mode) {
            b->Args({mode, scaled});
        }
    }
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(Offscreen)->Apply(Modes);
BENCHMARK(X11Window)->Apply(Modes);

}  // namespace

BENCHMARK_MAIN();
