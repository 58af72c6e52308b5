// The save-format table says what each format writes for each depth it takes: every row's
// depths saved and read back with the format's own reader, so that what the table publishes
// is what the files hold, and a format added to the table needs a reader here.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "Decoders.h"
#include "ImageTestSupport.h"
#include "image/SaveImageFile.h"

namespace pixora {
namespace {

using test::LittleEndian16;
using test::ReadFileBytes;

class SaveFormatTable : public test::ScratchDir {};

// The bits per pixel the file at `path` stores, read as the format's readers read it.
int FileBitsPerPixel(const SaveFormatRow& format, const std::string& path) {
    switch (format.code) {
        case kSaveBmp: {
            const std::vector<uint8_t> bytes = ReadFileBytes(path);
            return bytes.size() >= 30 ? LittleEndian16(bytes, 28) : -1;
        }
        case kSaveRaw:
            return -2;  // no header: checked by size
        case kSaveJpeg100:
        case kSaveJpeg70:
        case kSaveJpeg20: {
            test::DecodedJpeg jpeg;
            return test::DecodeJpeg(path, &jpeg) ? 8 * jpeg.components : -1;
        }
        case kSavePng: {
            test::DecodedPng png;
            return test::DecodePng(path, &png) ? png.bitDepth * png.channels : -1;
        }
        case kSaveTiff: {
            test::DecodedTiff tiff;
            return test::DecodeTiff(path, &tiff) ? tiff.bitsPerSample * tiff.samplesPerPixel : -1;
        }
        default:
            ADD_FAILURE() << "format " << format.name << " has no reader in this test";
            return -1;
    }
}

TEST_F(SaveFormatTable, EveryDepthOfEveryFormatIsWrittenAsTheTableSays) {
    for (const SaveFormatRow& format : SaveFormats()) {
        ASSERT_FALSE(format.depths.empty()) << format.name;
        for (const SaveDepth& depth : format.depths) {
            ImageBuffer image;
            ASSERT_EQ(image.Create(7, 5, depth.bitsPerPixel), 1) << depth.bitsPerPixel;
            test::FillPattern(image);
            const std::string path =
                PathOf(std::string(format.name) + "_" + std::to_string(depth.bitsPerPixel) +
                       format.extensions[0]);
            std::string why;
            ASSERT_EQ(SaveImageFile(path.c_str(), &image, format.code, &why), 1)
                << format.name << " " << depth.bitsPerPixel << ": " << why;
            const int written = FileBitsPerPixel(format, path);
            if (written == -2) {
                EXPECT_EQ(depth.fileBitsPerPixel, depth.bitsPerPixel) << format.name;
                EXPECT_EQ(std::filesystem::file_size(path), image.SizeBytes()) << format.name;
            } else {
                EXPECT_EQ(written, depth.fileBitsPerPixel)
                    << format.name << " " << depth.bitsPerPixel;
            }
            // A conversion that changes the samples says so.
            if (depth.fileBitsPerPixel != depth.bitsPerPixel) {
                EXPECT_STRNE(depth.conversion, "") << format.name << " " << depth.bitsPerPixel;
            }
        }
    }
}

TEST_F(SaveFormatTable, RowsAreNumberedByTheirCodesAndNamedOnce) {
    std::set<std::string> names;
    uint32_t index = 0;
    for (const SaveFormatRow& format : SaveFormats()) {
        EXPECT_EQ(format.code, index) << format.name;
        EXPECT_EQ(SaveFormatByCode(format.code), &format);
        EXPECT_TRUE(names.insert(format.name).second) << format.name;
        ASSERT_NE(format.extensions[0], nullptr) << format.name;
        for (const char* const* extension = format.extensions; *extension != nullptr; ++extension) {
            EXPECT_EQ((*extension)[0], '.') << format.name;
            for (const char* c = *extension; *c != '\0'; ++c)
                EXPECT_FALSE(std::isupper(static_cast<unsigned char>(*c))) << *extension;
        }
        for (const SaveDepth& depth : format.depths) {
            EXPECT_TRUE(ImageBuffer::IsSupportedDepth(depth.bitsPerPixel)) << format.name;
            EXPECT_EQ(SaveDepthFor(format, depth.bitsPerPixel), &depth);
        }
        ++index;
    }
    EXPECT_EQ(SaveFormatByCode(index), nullptr);
}

}  // namespace
}  // namespace pixora
