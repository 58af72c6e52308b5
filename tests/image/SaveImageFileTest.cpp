// SaveImageFile: format dispatch, BMP and raw files, and what bad input leaves behind.
#include "image/SaveImageFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "ImageTestSupport.h"

namespace pixora {
namespace {

using test::LittleEndian16;
using test::LittleEndian32;
using test::PixelAt;
using test::ReadFileBytes;

class SaveImage : public test::ScratchDir {};

TEST_F(SaveImage, FullFrameBmpIsTurnedSoMemoryRowZeroIsOnTop) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(1360, 1024, 24), 1);
    test::FillPattern(image);
    const std::string path = PathOf("frame.bmp");
    ASSERT_EQ(SaveImageFile(path.c_str(), &image, kSaveBmp), 1);
    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 4177974u);
    EXPECT_EQ(LittleEndian32(bytes, 2), 4177974u);
    EXPECT_EQ(LittleEndian32(bytes, 10), 54u);
    EXPECT_EQ(LittleEndian32(bytes, 22), 1024u);
    // The file's first (bottom) row is the source's last memory row, and so on up.
    for (int fileRow : {0, 1, 511, 1023}) {
        EXPECT_EQ(std::memcmp(bytes.data() + 54 + static_cast<size_t>(fileRow) * 4080,
                              PixelAt(image, 0, 1023 - fileRow), 4080),
                  0)
            << fileRow;
    }
}

TEST_F(SaveImage, EightBitBmpCarriesTheSourceColorTable) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(4, 2, 8), 1);
    const ColorTableEntry entry{1, 2, 3, 0};
    image.SetColorTable(ImageBuffer::kEntries, &entry, 0, 1);
    const std::string path = PathOf("gray.bmp");
    ASSERT_EQ(SaveImageFile(path.c_str(), &image, kSaveBmp), 1);
    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 1086u);
    EXPECT_EQ(LittleEndian32(bytes, 10), 1078u);
    EXPECT_EQ(bytes[54], 1);
    EXPECT_EQ(bytes[56], 3);
    EXPECT_EQ(bytes[54 + 4 * 255], 255);
}

TEST_F(SaveImage, DeepBmpKeepsItsBitCountAndHasNoColorTable) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(5, 3, 48), 1);
    const std::string path = PathOf("deep.bmp");
    ASSERT_EQ(SaveImageFile(path.c_str(), &image, kSaveBmp), 1);
    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 54u + 3 * 32);
    EXPECT_EQ(LittleEndian32(bytes, 10), 54u);
    EXPECT_EQ(LittleEndian16(bytes, 28), 48);
}

TEST_F(SaveImage, RawDumpIsThePixelMemoryAsItLies) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(1360, 1024, 8), 1);
    test::FillPattern(image);
    const std::string path = PathOf("frame.raw");
    ASSERT_EQ(SaveImageFile(path.c_str(), &image, kSaveRaw), 1);
    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 1392640u);
    EXPECT_EQ(std::memcmp(bytes.data(), image.Bits(), bytes.size()), 0);

    ImageBuffer padded;
    ASSERT_EQ(padded.Create(1361, 2, 24), 1);
    ASSERT_EQ(SaveImageFile(path.c_str(), &padded, kSaveRaw), 1);
    EXPECT_EQ(std::filesystem::file_size(path), 2u * 4084);  // rows with their padding
}

TEST_F(SaveImage, UnknownFormatsFailAndCreateNoFile) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(4, 4, 24), 1);
    const auto count = static_cast<uint32_t>(SaveFormats().size());
    for (uint32_t format : {count, 100u, 0xFFFFFFFFu}) {
        const std::string path = PathOf("unknown" + std::to_string(format));
        EXPECT_EQ(SaveImageFile(path.c_str(), &image, format), 0) << format;
        EXPECT_FALSE(std::filesystem::exists(path)) << format;
    }
}

TEST_F(SaveImage, NullAndEmptyArgumentsFailForEveryFormatAndCreateNoFile) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(4, 4, 24), 1);
    ImageBuffer empty;
    for (uint32_t format : test::SaveFormatCodes()) {
        const std::string path = PathOf("file" + std::to_string(format));
        EXPECT_EQ(SaveImageFile(path.c_str(), nullptr, format), 0) << format;
        EXPECT_EQ(SaveImageFile(path.c_str(), &empty, format), 0) << format;
        EXPECT_EQ(SaveImageFile(nullptr, &image, format), 0) << format;
        EXPECT_EQ(SaveImageFile("", &image, format), 0) << format;
        EXPECT_FALSE(std::filesystem::exists(path)) << format;
    }
}

TEST_F(SaveImage, MissingDirectoryFailsForEveryFormatAndDepth) {
    for (uint16_t bpp : {8, 16, 24, 32, 48, 64}) {
        ImageBuffer image;
        ASSERT_EQ(image.Create(6, 4, bpp), 1);
        for (uint32_t format : test::SaveFormatCodes()) {
            EXPECT_EQ(SaveImageFile(PathOf("no/such/file").c_str(), &image, format), 0)
                << bpp << " " << format;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(PathOf("no")));
}

TEST_F(SaveImage, AFullDiskIsAFailureForEveryFormat) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no full device to write to";
    }
    ImageBuffer image;
    ASSERT_EQ(image.Create(256, 64, 24), 1);
    test::FillPattern(image);
    ImageBuffer small;
    ASSERT_EQ(small.Create(4, 4, 8), 1);  // fits the stream buffer: fails only on close
    for (uint32_t format : test::SaveFormatCodes()) {
        EXPECT_EQ(SaveImageFile("/dev/full", &image, format), 0) << format;
        EXPECT_EQ(SaveImageFile("/dev/full", &small, format), 0) << format;
    }
}

TEST_F(SaveImage, TheSourceIsNeverModified) {
    for (uint16_t bpp : {8, 16, 24, 32, 48, 64}) {
        ImageBuffer image;
        ASSERT_EQ(image.Create(33, 9, bpp), 1);
        test::FillPattern(image);
        ImageBuffer before;
        ASSERT_EQ(before.CreateLike(&image), 1);
        std::memcpy(before.Bits(), image.Bits(), image.SizeBytes());
        for (uint32_t format : test::SaveFormatCodes()) {
            const std::string path = PathOf("out" + std::to_string(format));
            ASSERT_EQ(SaveImageFile(path.c_str(), &image, format), 1) << bpp << " " << format;
            ASSERT_EQ(std::memcmp(before.Bits(), image.Bits(), image.SizeBytes()), 0)
                << bpp << " " << format;
        }
    }
}

}  // namespace
}  // namespace pixora
