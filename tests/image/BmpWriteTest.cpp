// ImageBuffer::WriteBmp: the image exactly as it lies in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "ImageTestSupport.h"
#include "image/ImageBuffer.h"

namespace pixora {
namespace {

using test::LittleEndian16;
using test::LittleEndian32;
using test::ReadFileBytes;

class BmpWrite : public test::ScratchDir {};

TEST_F(BmpWrite, EightBitFileCarriesHeadersColorTableAndRowsInMemoryOrder) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(4, 2, 8), 1);
    const ColorTableEntry entry{11, 22, 33, 0};
    image.SetColorTable(ImageBuffer::kEntries, &entry, 5, 1);
    for (size_t i = 0; i < image.SizeBytes(); ++i) {
        image.Bits()[i] = static_cast<uint8_t>(100 + i);
    }
    const std::string path = PathOf("gray.bmp");
    ASSERT_EQ(image.WriteBmp(path.c_str()), 1);
    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 1086u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(LittleEndian32(bytes, 2), 1086u);
    EXPECT_EQ(LittleEndian32(bytes, 6), 0u);
    EXPECT_EQ(LittleEndian32(bytes, 10), 1078u);
    EXPECT_EQ(LittleEndian32(bytes, 14), 40u);
    EXPECT_EQ(LittleEndian32(bytes, 18), 4u);
    EXPECT_EQ(LittleEndian32(bytes, 22), 2u);
    EXPECT_EQ(LittleEndian16(bytes, 26), 1);
    EXPECT_EQ(LittleEndian16(bytes, 28), 8);
    EXPECT_EQ(LittleEndian32(bytes, 30), 0u);
    // Colour table: entry 5 changed, the rest the ramp.
    EXPECT_EQ(bytes[54 + 4 * 5 + 0], 11);
    EXPECT_EQ(bytes[54 + 4 * 5 + 2], 33);
    EXPECT_EQ(bytes[54 + 4 * 200 + 1], 200);
    // Pixels exactly as in memory: memory row 0 first (the bottom row of the BMP).
    EXPECT_EQ(std::memcmp(bytes.data() + 1078, image.Bits(), 8), 0);
}

TEST_F(BmpWrite, TwentyFourBitFileHasNoColorTable) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(3, 2, 24), 1);
    test::FillPattern(image);
    const std::string path = PathOf("color.bmp");
    ASSERT_EQ(image.WriteBmp(path.c_str()), 1);
    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 78u);
    EXPECT_EQ(LittleEndian32(bytes, 2), 78u);
    EXPECT_EQ(LittleEndian32(bytes, 10), 54u);
    EXPECT_EQ(LittleEndian16(bytes, 28), 24);
    EXPECT_EQ(std::memcmp(bytes.data() + 54, image.Bits(), 24), 0);
}

TEST_F(BmpWrite, ReplacesAnExistingFile) {
    const std::string path = PathOf("old.bmp");
    {
        std::ofstream old(path, std::ios::binary);
        old << std::string(5000, 'x');
    }
    ImageBuffer image;
    ASSERT_EQ(image.Create(3, 2, 24), 1);
    ASSERT_EQ(image.WriteBmp(path.c_str()), 1);
    EXPECT_EQ(std::filesystem::file_size(path), 78u);
}

TEST_F(BmpWrite, FailsWithoutAFileForBadPathsAndEmptyImages) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(3, 2, 24), 1);
    EXPECT_EQ(image.WriteBmp(PathOf("missing/dir.bmp").c_str()), 0);
    EXPECT_EQ(image.WriteBmp(nullptr), 0);
    EXPECT_EQ(image.WriteBmp(""), 0);
    EXPECT_EQ(image.WriteBmp(dir_.string().c_str()), 0);  // a folder, not a file
    ImageBuffer empty;
    const std::string path = PathOf("empty.bmp");
    EXPECT_EQ(empty.WriteBmp(path.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(BmpWrite, AWriteThatCannotCompleteIsAFailure) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no full device to write to";
    }
    // Large enough to fail while writing, and small enough that only the final flush
    // notices the full disk.
    ImageBuffer large;
    ASSERT_EQ(large.Create(64, 64, 24), 1);
    EXPECT_EQ(large.WriteBmp("/dev/full"), 0);
    ImageBuffer small;
    ASSERT_EQ(small.Create(4, 2, 8), 1);
    EXPECT_EQ(small.WriteBmp("/dev/full"), 0);
}

}  // namespace
}  // namespace pixora
