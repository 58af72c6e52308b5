// SaveImageFile per format and depth on a full 1360 x 1024 frame, one save per iteration.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "image/ImageBuffer.h"
#include "image/SaveImageFile.h"

namespace {

using pixora::ImageBuffer;

void Fill(ImageBuffer& image) {
    // A smooth picture with some texture, so that the compressors see realistic content.
    const int channels = image.BytesPerPixel();
    const bool words = image.BitsPerPixel() == 16 || image.BitsPerPixel() >= 48;
    for (int y = 0; y < image.Height(); ++y) {
        uint8_t* row = image.Bits() + static_cast<size_t>(y) * image.Stride();
        for (int x = 0; x < image.Width(); ++x) {
            for (int c = 0; c < (words ? channels / 2 : channels); ++c) {
                const int v = (x / 4 + y / 3 + 40 * c + ((x * y) % 7)) % 256;
                if (words) {
                    const int w = v * 4;
                    row[(x * channels) + 2 * c] = static_cast<uint8_t>(w);
                    row[(x * channels) + 2 * c + 1] = static_cast<uint8_t>(w >> 8);
                } else {
                    row[x * channels + c] = static_cast<uint8_t>(v);
                }
            }
        }
    }
}

void BM_Save(benchmark::State& state) {
    const auto format = static_cast<uint32_t>(state.range(0));
    const auto bpp = static_cast<uint16_t>(state.range(1));
    ImageBuffer image;
    if (image.Create(1360, 1024, bpp) == 0) {
        state.SkipWithError("cannot create image");
        return;
    }
    Fill(image);
    const std::string path =
        (std::filesystem::temp_directory_path() /
         ("pixora_bench_save_" + std::to_string(format) + "_" + std::to_string(bpp)))
            .string();
    for (auto _ : state) {
        if (pixora::SaveImageFile(path.c_str(), &image, format) != 1) {
            state.SkipWithError("save failed");
            break;
        }
    }
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

void Formats(benchmark::internal::Benchmark* b) {
    b->ArgNames({"format", "bpp"});
    for (const pixora::SaveFormatRow& row : pixora::SaveFormats()) {
        const auto format = static_cast<int>(row.code);
        for (int bpp : {8, 24}) {
            b->Args({format, bpp});
        }
    }
    // The deep depths convert before writing: one line each for the formats that do.
    for (int format : {pixora::kSaveJpeg100, pixora::kSavePng, pixora::kSaveTiff}) {
        for (int bpp : {16, 32, 48, 64}) {
            b->Args({format, bpp});
        }
    }
}

}  // namespace

BENCHMARK(BM_Save)->Apply(Formats)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
