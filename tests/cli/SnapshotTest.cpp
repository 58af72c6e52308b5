// pixora snapshot: one frame in every colour mode and every file format, the picture
// options of one shot, and its failures.
#include <filesystem>

#include <gtest/gtest.h>

#include "PixoraRun.h"

namespace pixora::test {
namespace {

uint32_t Little32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

uint32_t Big32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

bool IsPng(const std::string& bytes) {
    return bytes.rfind("\x89PNG\r\n\x1a\n", 0) == 0;
}
bool IsJpeg(const std::string& bytes) {
    return bytes.size() > 4 && bytes.rfind("\xFF\xD8", 0) == 0 &&
           bytes.substr(bytes.size() - 2) == "\xFF\xD9";
}
bool IsTiff(const std::string& bytes) {
    return bytes.rfind(std::string("II*\0", 4), 0) == 0 ||
           bytes.rfind(std::string("MM\0*", 4), 0) == 0;
}

TEST(PixoraSnapshot, OneFrameSavedAsBmpPngJpegAndTiff) {
    PixoraFixture pixora;
    const std::string bmp = pixora.File("frame.bmp"), png = pixora.File("frame.PNG"),
                      jpeg = pixora.File("frame.jpeg"), tiff = pixora.File("frame.tif");
    const PixoraResult result = pixora.Run({"snapshot", "--bits", "24", bmp, png, jpeg, tiff});
    ASSERT_EQ(result.exitStatus, 0) << result.err;

    const std::string bmpBytes = ReadFile(bmp);
    ASSERT_EQ(bmpBytes.size(), 54u + 1024u * 4080u);  // header + rows of 1360 x 3 bytes
    EXPECT_EQ(bmpBytes.substr(0, 2), "BM");
    EXPECT_EQ(Little32(bmpBytes, 18), 1360u);
    EXPECT_EQ(Little32(bmpBytes, 22), 1024u);
    EXPECT_EQ(static_cast<unsigned char>(bmpBytes[28]), 24);

    const std::string pngBytes = ReadFile(png);
    ASSERT_TRUE(IsPng(pngBytes));
    EXPECT_EQ(Big32(pngBytes, 16), 1360u);
    EXPECT_EQ(Big32(pngBytes, 20), 1024u);
    EXPECT_EQ(pngBytes[25], 2);  // RGB

    EXPECT_TRUE(IsJpeg(ReadFile(jpeg)));
    EXPECT_TRUE(IsTiff(ReadFile(tiff)));
}

TEST(PixoraSnapshot, EveryColourModeGivesWholeRowsOfItsDepth) {
    PixoraFixture pixora;
    // The raw format is the image memory as it is: rows of width x bytes per pixel,
    // padded to 4 bytes (1360 pixels need no padding).
    for (const int bits : {8, 16, 24, 32, 48, 64}) {
        const std::string raw = pixora.File("frame" + std::to_string(bits) + ".raw");
        const PixoraResult result = pixora.Run({"snapshot", "--bits", std::to_string(bits), raw});
        ASSERT_EQ(result.exitStatus, 0) << bits << ": " << result.err;
        EXPECT_EQ(std::filesystem::file_size(raw), 1360u * bits / 8 * 1024) << bits;
    }
}

TEST(PixoraSnapshot, RoiTakesTheWindowsCropForThisShotOnly) {
    PixoraFixture pixora;
    const std::string full = pixora.File("full.raw"), window = pixora.File("window.raw");
    ASSERT_EQ(pixora.Run({"snapshot", "--bits", "8", full}).exitStatus, 0);
    const PixoraResult shot =
        pixora.Run({"snapshot", "--bits", "8", "--roi", "100,51,640,480", window});
    ASSERT_EQ(shot.exitStatus, 0) << shot.err;
    EXPECT_NE(shot.out.find("(raw, 640 x 480, 8 bits per pixel)"), std::string::npos) << shot.out;
    // The gray mosaic of the window is exactly the same crop of the full frame.
    const std::string fullBytes = ReadFile(full), windowBytes = ReadFile(window);
    ASSERT_EQ(fullBytes.size(), 1360u * 1024u);
    ASSERT_EQ(windowBytes.size(), 640u * 480u);
    for (size_t row = 0; row < 480; ++row) {
        ASSERT_EQ(windowBytes.substr(row * 640, 640),
                  fullBytes.substr((51 + row) * 1360 + 100, 640))
            << "row " << row;
    }
    // The stored window stays as it was.
    EXPECT_EQ(pixora.Run({"get", "width"}).out, "1360\n");
    EXPECT_EQ(pixora.Run({"get", "offset-x"}).out, "0\n");

    for (const char* wrong : {"1000,0,640,480", "0,0,3,480", "1,2,3", "a,b,c,d"}) {
        const PixoraResult refused = pixora.Run({"snapshot", "--roi", wrong, window});
        EXPECT_EQ(refused.exitStatus, 2) << wrong;
        EXPECT_NE(refused.err.find("--roi"), std::string::npos) << refused.err;
    }
}

TEST(PixoraSnapshot, FormatOptionWinsOverTheExtension) {
    PixoraFixture pixora;
    const std::string file = pixora.File("frame.dat");
    ASSERT_EQ(pixora.Run({"snapshot", "--format", "png", file}).exitStatus, 0);
    EXPECT_TRUE(IsPng(ReadFile(file)));
}

TEST(PixoraSnapshot, LowerJpegQualitiesGiveSmallerFiles) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=0 scene=gradient");
    const std::string best = pixora.File("q100.jpg"), mid = pixora.File("q70.jpg"),
                      low = pixora.File("q20.jpg");
    ASSERT_EQ(pixora.Run({"snapshot", "--format", "jpeg", best}).exitStatus, 0);
    ASSERT_EQ(pixora.Run({"snapshot", "--format", "jpeg70", mid}).exitStatus, 0);
    ASSERT_EQ(pixora.Run({"snapshot", "--format", "jpeg20", low}).exitStatus, 0);
    EXPECT_TRUE(IsJpeg(ReadFile(low)));
    EXPECT_GT(std::filesystem::file_size(best), std::filesystem::file_size(mid));
    EXPECT_GT(std::filesystem::file_size(mid), std::filesystem::file_size(low));
}

TEST(PixoraSnapshot, WithoutFileNameWritesSnapshotWithTheFormatsExtension) {
    PixoraFixture pixora;
    // The program runs in the scratch folder.
    const PixoraResult result = pixora.Run({"snapshot", "--format", "tiff"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_TRUE(IsTiff(ReadFile(pixora.File("snapshot.tif"))));
}

TEST(PixoraSnapshot, ShotOptionsChangeThePictureButNotTheStoredSettings) {
    PixoraFixture pixora;
    const std::string plain = pixora.File("plain.raw"), dark = pixora.File("dark.raw");
    ASSERT_EQ(pixora.Run({"set", "brightness", "5"}).exitStatus, 0);
    ASSERT_EQ(pixora.Run({"snapshot", "--bits", "8", plain}).exitStatus, 0);
    // Brightness -255 takes every 8-bit sample to 0.
    const PixoraResult result = pixora.Run({"snapshot", "--bits", "24", "--brightness", "-255",
                                            "--gain", "100", "--exposure", "300", "--contrast", "3",
                                            "--gamma", "120", "--white-balance", dark});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::string darkBytes = ReadFile(dark);
    ASSERT_EQ(darkBytes.size(), 1360u * 3 * 1024);
    EXPECT_EQ(darkBytes.find_first_not_of('\0'), std::string::npos);
    EXPECT_NE(ReadFile(plain).find_first_not_of('\0'), std::string::npos);

    EXPECT_EQ(pixora.Run({"get", "brightness"}).out, "5\n");
    EXPECT_EQ(pixora.Run({"get", "gamma"}).out, "100\n");
    EXPECT_EQ(pixora.Run({"get", "bayer-gain-auto"}).out, "0\n");
    EXPECT_EQ(pixora.Run({"get", "bayer-gain-red"}).out, "100\n");
    EXPECT_EQ(pixora.Run({"get", "global-gain"}).out, "656\n");
}

TEST(PixoraSnapshot, OutOfRangeShotOptionIsAUsageErrorNamingTheRange) {
    PixoraFixture pixora;
    const std::string file = pixora.File("never.bmp");
    const PixoraResult result = pixora.Run({"snapshot", "--hue", "361", file});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_NE(result.err.find("--hue must be an integer from -360 to 360"), std::string::npos)
        << result.err;
    EXPECT_FALSE(std::filesystem::exists(file));
    // Refused before the camera was opened, which would have written the settings file.
    EXPECT_FALSE(std::filesystem::exists(pixora.SettingsFile()));
}

TEST(PixoraSnapshot, UnwritablePathFailsAndTheOtherFilesAreStillWritten) {
    PixoraFixture pixora;
    const std::string missing = pixora.File("no-such-folder/frame.png");
    const std::string good = pixora.File("frame.png");
    const PixoraResult result = pixora.Run({"snapshot", missing, good});
    EXPECT_EQ(result.exitStatus, 1);
    // The message says why: the system's reason, kept by the library.
    EXPECT_NE(result.err.find(missing), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("No such file or directory"), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_TRUE(IsPng(ReadFile(good)));
}

TEST(PixoraSnapshot, ACameraThatDeliversNoFrameFails) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=0 maxwait=100 fault=stall:0");
    const std::string file = pixora.File("frame.bmp");
    const PixoraResult result = pixora.Run({"snapshot", file});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
}  // namespace pixora::test
