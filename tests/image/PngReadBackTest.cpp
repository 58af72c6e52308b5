// The PNG writer's refusals: bad arguments, and libpng's own errors. Its files are read
// back in ReadBackTest.cpp.
#include <gtest/gtest.h>

#include <filesystem>

#include "ImageTestSupport.h"
#include "image/PngWriter.h"

namespace pixora {
namespace {

using PngReadBack = test::ScratchDir;

TEST_F(PngReadBack, WriterRefusesBadArgumentsWithoutAFile) {
    const uint8_t pixels[16] = {};
    const std::string path = PathOf("bad.png");
    EXPECT_EQ(WritePng(nullptr, pixels, 2, 2, 8), 0);
    EXPECT_EQ(WritePng(path.c_str(), nullptr, 2, 2, 8), 0);
    EXPECT_EQ(WritePng(path.c_str(), pixels, 0, 2, 8), 0);
    EXPECT_EQ(WritePng(path.c_str(), pixels, 2, -2, 8), 0);
    EXPECT_EQ(WritePng(path.c_str(), pixels, 2, 2, 12), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(WritePng(path.c_str(), pixels, 2, 2, 8), 1);
}

TEST_F(PngReadBack, LibraryErrorBecomesAFailure) {
    // libpng refuses widths above its limit; the error must come back as 0, not end the
    // process or leak.
    const uint8_t pixels[8] = {};
    const std::string path = PathOf("huge.png");
    EXPECT_EQ(WritePng(path.c_str(), pixels, 0x7FFFFFFF, 1, 8), 0);
}

}  // namespace
}  // namespace pixora
