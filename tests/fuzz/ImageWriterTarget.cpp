// The image file writers over images of any small size, depth and content: every format
// writes a whole file for any image, each library's own decoder reads it back with the
// image's size and layout, and the pixels of the lossless formats are those of the image.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Decoders.h"
#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "image/ImageBuffer.h"
#include "image/SaveImageFile.h"

namespace pixora::fuzz {

namespace {

const std::string& ScratchFile() {
    static const std::string file = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/pixora-fuzz-writers-XXXXXX";
        const char* made = mkdtemp(pattern.data());
        return std::string(made != nullptr ? made : base) + "/image";
    }();
    return file;
}

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The image's pixels from the input; samples of the 16-bit depths are 10-bit values.
void Fill(ImageBuffer& image, FuzzInput& in) {
    const int bytes = image.BytesPerPixel();
    for (int32_t y = 0; y < image.Height(); ++y) {
        uint8_t* row = image.Bits() + static_cast<size_t>(y) * image.Stride();
        for (int32_t x = 0; x < image.Width() * bytes; ++x)
            row[x] = in.Byte();
        if (bytes == 2 || bytes >= 6) {
            for (int32_t x = 1; x < image.Width() * bytes; x += 2)
                row[x] &= 0x03;
        }
    }
}

void CheckPng(const ImageBuffer& image, const std::string& path) {
    test::DecodedPng png;
    PIXORA_FUZZ_REQUIRE(test::DecodePng(path, &png), "PNG does not decode");
    PIXORA_FUZZ_REQUIRE(png.width == static_cast<uint32_t>(image.Width()) &&
                            png.height == static_cast<uint32_t>(image.Height()),
                        "PNG %ux%u", png.width, png.height);
    const int depth = image.BitsPerPixel();
    PIXORA_FUZZ_REQUIRE(png.bitDepth == (depth == 16 || depth >= 48 ? 16 : 8), "PNG depth %d",
                        png.bitDepth);
    if (depth != 8 && depth != 24)
        return;
    // 8 and 24 bits are stored as they are (blue and red exchanged for RGB).
    const int channels = depth / 8;
    for (int32_t y = 0; y < image.Height(); ++y) {
        const uint8_t* row = image.Bits() + static_cast<size_t>(y) * image.Stride();
        for (int32_t x = 0; x < image.Width(); ++x) {
            for (int c = 0; c < channels; ++c) {
                const int source = channels == 3 ? 2 - c : c;
                PIXORA_FUZZ_REQUIRE(png.rows[y][x * channels + c] == row[x * channels + source],
                                    "PNG pixel %d,%d", x, y);
            }
        }
    }
}

void CheckTiff(const ImageBuffer& image, const std::string& path) {
    test::DecodedTiff tiff;
    PIXORA_FUZZ_REQUIRE(test::DecodeTiff(path, &tiff), "TIFF does not decode");
    PIXORA_FUZZ_REQUIRE(tiff.width == static_cast<uint32_t>(image.Width()) &&
                            tiff.height == static_cast<uint32_t>(image.Height()),
                        "TIFF %ux%u", tiff.width, tiff.height);
    if (image.BitsPerPixel() != 8)
        return;
    for (int32_t y = 0; y < image.Height(); ++y) {
        const uint8_t* row = image.Bits() + static_cast<size_t>(y) * image.Stride();
        PIXORA_FUZZ_REQUIRE(std::equal(row, row + image.Width(), tiff.rows[y].begin()),
                            "TIFF row %d", y);
    }
}

}  // namespace

int FuzzImageWriters(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    static constexpr uint16_t kDepths[] = {8, 16, 24, 32, 48, 64};
    const uint16_t depth = in.Pick(kDepths);
    const int32_t width = in.Range(1, 40);
    const int32_t height = in.Range(1, 24);
    const uint32_t format = in.Below(static_cast<uint32_t>(SaveFormats().size()));
    ImageBuffer image;
    PIXORA_FUZZ_REQUIRE(image.Create(width, height, depth) == 1, "image %dx%d", width, height);
    if (depth == 8)
        image.SetColorTable(ImageBuffer::kGrayRamp, nullptr, 0, 0);
    Fill(image, in);

    const std::string& path = ScratchFile();
    std::string why;
    PIXORA_FUZZ_REQUIRE(SaveImageFile(path.c_str(), &image, format, &why) == 1,
                        "format %u of a %dx%d %d-bit image failed: %s", format, width, height,
                        depth, why.c_str());
    const std::vector<uint8_t> file = FileBytes(path);
    const size_t pixels = static_cast<size_t>(image.Stride()) * height;
    switch (format) {
        case kSaveBmp:
            PIXORA_FUZZ_REQUIRE(file.size() == 54 + (depth == 8 ? 1024 : 0) + pixels,
                                "BMP of %zu bytes", file.size());
            break;
        case kSaveRaw:
            PIXORA_FUZZ_REQUIRE(
                file.size() == pixels && std::equal(file.begin(), file.end(), image.Bits()),
                "raw dump differs");
            break;
        case kSavePng:
            CheckPng(image, path);
            break;
        case kSaveTiff:
            CheckTiff(image, path);
            break;
        default: {
            test::DecodedJpeg jpeg;
            PIXORA_FUZZ_REQUIRE(test::DecodeJpeg(path, &jpeg) && jpeg.progressive &&
                                    jpeg.width == static_cast<uint32_t>(width) &&
                                    jpeg.height == static_cast<uint32_t>(height),
                                "JPEG %ux%u", jpeg.width, jpeg.height);
            break;
        }
    }
    // The same image onto a path that is a folder: refused with a reason, nothing printed.
    const std::string folder = std::filesystem::path(path).parent_path().string();
    why.clear();
    PIXORA_FUZZ_REQUIRE(SaveImageFile(folder.c_str(), &image, format, &why) == 0 && !why.empty(),
                        "saving onto a folder");
    return 0;
}

}  // namespace pixora::fuzz
