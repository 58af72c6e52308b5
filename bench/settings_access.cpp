// The settings paths that go through the settings tables: a named filter accessor and the
// filter-value export on the virtual camera (what an application's slider or a binding's
// attribute costs per call), and the image filter and gray filter pages opened, refreshed
// and edited on the headless host (what the dialogs do per slider move and per refresh the
// processing chain asks for).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "PixoraExtensions.h"
#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"
#include "dialogs/DialogTemplates.h"
#include "dialogs/GrayFilterPage.h"
#include "dialogs/ImageFilterPage.h"
#include "dialogs/host/HeadlessWindow.h"
#include "settings/SettingsPersistence.h"

namespace {

using namespace pixora;

// --- Through the exports ----------------------------------------------------------------

class Camera {
public:
    Camera() {
        PixoraSim_SetFps(0, 0.0);
        handle_ = Pixora_Initialize(nullptr);
    }
    ~Camera() { Pixora_Release(handle_); }
    PIXORA_HANDLE Handle() const { return handle_; }

private:
    PIXORA_HANDLE handle_ = nullptr;
};

void BM_NamedAccessorSetGet(benchmark::State& state) {
    Camera camera;
    int32_t value = 0;
    for (auto _ : state) {
        int32_t ok = 0;
        Pixora_SetGamma(camera.Handle(), value);
        benchmark::DoNotOptimize(Pixora_GetGamma(camera.Handle(), &ok));
        value = (value + 1) % 200;
    }
    state.SetItemsProcessed(state.iterations() * 2);
}

// Every settable index but the exposure, whose read waits for the camera; one set and one
// get each.
void BM_FilterValueEveryIndex(benchmark::State& state) {
    Camera camera;
    for (auto _ : state) {
        for (int32_t index = PIXORA_FILTER_BRIGHTNESS; index <= PIXORA_FILTER_GRAY_OFFSET_B;
             ++index) {
            if (index == PIXORA_FILTER_EXPOSURE_TIME)
                continue;
            int32_t ok = 0;
            const int32_t value = Pixora_GetFilterValue(camera.Handle(), index, &ok);
            benchmark::DoNotOptimize(Pixora_SetFilterValue(camera.Handle(), index, value));
        }
    }
    state.SetItemsProcessed(state.iterations() * 26 * 2);
}

// An unknown index: the lookup's worst case, refused with an error code.
void BM_FilterValueRefused(benchmark::State& state) {
    Camera camera;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Pixora_SetFilterValue(camera.Handle(), 99, 0));
        Pixora_GetLastError(camera.Handle());
    }
}

void BM_FilterRangeExtension(benchmark::State& state) {
    for (auto _ : state) {
        for (int32_t index = 0; index <= 28; ++index) {
            int32_t low = 0;
            int32_t high = 0;
            benchmark::DoNotOptimize(PixoraEx_GetFilterRange(index, &low, &high));
        }
    }
    state.SetItemsProcessed(state.iterations() * 29);
}

// --- The dialog pages on the headless host ------------------------------------------

struct PageSettings {
    FilterSettings filter;
    PageSettings() {
        LoadFilterSettings(filter);  // no such key in the bench's registry: the defaults
        LoadGraySettings(filter);
    }
};

// Open the image filter page (every row set up from the settings), in a colour mode.
void BM_ImageFilterPageOpen(benchmark::State& state) {
    PageSettings settings;
    for (auto _ : state) {
        ImageFilterPage page(settings.filter, 2);
        HeadlessDialog window(ImageFilterPageTemplate(DialogLanguage::English));
        window.Start(page);
        benchmark::DoNotOptimize(window.Text(2082));
    }
}

// The chain's refresh after a white-balance measurement: every row from the settings.
void BM_ImageFilterPageRefresh(benchmark::State& state) {
    PageSettings settings;
    ImageFilterPage page(settings.filter, 2);
    HeadlessDialog window(ImageFilterPageTemplate(DialogLanguage::English));
    window.Start(page);
    for (auto _ : state)
        page.Refresh(window);
}

// A value typed into the gamma edit: found among the rows, stored, the trackbar follows.
void BM_ImageFilterPageEdit(benchmark::State& state) {
    PageSettings settings;
    ImageFilterPage page(settings.filter, 2);
    HeadlessDialog window(ImageFilterPageTemplate(DialogLanguage::English));
    window.Start(page);
    const std::string values[] = {"90", "110"};
    int32_t i = 0;
    for (auto _ : state) {
        window.Paste(2082, values[i]);
        i ^= 1;
    }
}

void BM_GrayFilterPageOpen(benchmark::State& state) {
    PageSettings settings;
    for (auto _ : state) {
        GrayFilterPage page(settings.filter);
        HeadlessDialog window(GrayFilterPageTemplate(DialogLanguage::English));
        window.Start(page);
        benchmark::DoNotOptimize(window.Text(2122));
    }
}

void BM_GrayFilterPageRefresh(benchmark::State& state) {
    PageSettings settings;
    GrayFilterPage page(settings.filter);
    HeadlessDialog window(GrayFilterPageTemplate(DialogLanguage::English));
    window.Start(page);
    for (auto _ : state)
        page.Refresh(window);
}

}  // namespace

BENCHMARK(BM_NamedAccessorSetGet);
BENCHMARK(BM_FilterValueEveryIndex);
BENCHMARK(BM_FilterValueRefused);
BENCHMARK(BM_FilterRangeExtension);
BENCHMARK(BM_ImageFilterPageOpen);
BENCHMARK(BM_ImageFilterPageRefresh);
BENCHMARK(BM_ImageFilterPageEdit);
BENCHMARK(BM_GrayFilterPageOpen);
BENCHMARK(BM_GrayFilterPageRefresh);

BENCHMARK_MAIN();
