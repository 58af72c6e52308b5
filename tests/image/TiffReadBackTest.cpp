// The TIFF writer: a full frame as one strip, and its refusals. Its files of every depth are
// read back in ReadBackTest.cpp.
#include <tiffio.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "Decoders.h"
#include "ImageTestSupport.h"
#include "image/SaveImageFile.h"
#include "image/TiffWriter.h"

namespace pixora {
namespace {

using test::DecodedTiff;
using test::PixelAt;

class TiffReadBack : public test::ScratchDir {
protected:
    DecodedTiff SaveAndDecode(const ImageBuffer& image) {
        const std::string path = PathOf("image.tif");
        EXPECT_EQ(SaveImageFile(path.c_str(), &image, kSaveTiff), 1);
        DecodedTiff tiff;
        EXPECT_TRUE(test::DecodeTiff(path, &tiff));
        EXPECT_EQ(tiff.width, static_cast<uint32_t>(image.Width()));
        EXPECT_EQ(tiff.height, static_cast<uint32_t>(image.Height()));
        EXPECT_EQ(tiff.compression, COMPRESSION_NONE);
        EXPECT_EQ(tiff.strips, 1u);
        return tiff;
    }
};

TEST_F(TiffReadBack, FullFrameIsOneStripTopRowFirst) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(1360, 1024, 24), 1);
    test::FillPattern(image);
    const DecodedTiff tiff = SaveAndDecode(image);
    EXPECT_EQ(tiff.firstStripBytes, 1360u * 3 * 1024);
    for (int y : {0, 1, 500, 1023}) {
        const uint8_t* p = PixelAt(image, 1359, y);
        const uint8_t* t = tiff.rows[y].data() + 3 * 1359;
        EXPECT_EQ(t[0], p[2]) << y;
        EXPECT_EQ(t[2], p[0]) << y;
    }
}

TEST_F(TiffReadBack, WriterRefusesNullAndEmptyImagesWithoutAFile) {
    const std::string path = PathOf("bad.tif");
    ImageBuffer empty;
    EXPECT_EQ(WriteTiff(path.c_str(), nullptr), 0);
    EXPECT_EQ(WriteTiff(path.c_str(), &empty), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace pixora
