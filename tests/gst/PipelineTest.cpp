// pixorasrc in gst-launch-1.0 pipelines, through the plugin module in the build tree.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "Decoders.h"
#include "GstRun.h"
#include "PixoraExtensions.h"
#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"

namespace pixora::test {
namespace {

constexpr int kWidth = 1360;
constexpr int kHeight = 1024;

using Pipeline = GstPipeline;

TEST_F(Pipeline, FramesBecomePngFilesWithTheBarColours) {
    const PixoraResult run = Launch({"pixorasrc", "num-buffers=3", "!", "videoconvert", "!",
                                     "pngenc", "!", "multifilesink", "location=frame%d.png"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    DecodedPng png;
    ASSERT_TRUE(DecodePng(fixture_.File("frame2.png"), &png));
    EXPECT_EQ(png.width, static_cast<uint32_t>(kWidth));
    EXPECT_EQ(png.height, static_cast<uint32_t>(kHeight));
    EXPECT_EQ(png.bitDepth, 8);
    ExpectBarColours(png.rows[300], png.channels);
}

TEST_F(Pipeline, Gray16FramesHoldTheCamerasTenBitSamplesSpreadOverSixteenBits) {
    fixture_.Simulate("cameras=0 fps=0 scene=bars");
    const PixoraResult run =
        Launch({"pixorasrc", "num-buffers=1", "!", "video/x-raw,format=GRAY16_LE", "!", "filesink",
                "location=gray.raw"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    std::ifstream file(fixture_.File("gray.raw"), std::ios::binary);
    const std::vector<uint8_t> frame((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    ASSERT_EQ(frame.size(), static_cast<size_t>(kWidth) * 2 * kHeight);

    // The library's own snapshot of the same scene, with the same settings file.
    setenv("PIXORA_REGISTRY", fixture_.SettingsFile().c_str(), 1);
    PixoraSim_Reset();
    ASSERT_EQ(PixoraSim_Configure("cameras=0 fps=0 scene=bars"), 1);
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    ASSERT_EQ(Pixora_SetColorMode(camera, 16), 1);
    std::vector<uint8_t> shot(frame.size());
    ASSERT_EQ(Pixora_SnapShot(camera, shot.data(), static_cast<int32_t>(shot.size()), 1), 1);
    Pixora_Release(camera);

    // Row 0 begins with the frame's number; every other sample is the camera's, as 16 bits.
    int differences = 0;
    for (size_t at = static_cast<size_t>(kWidth) * 2; at < frame.size(); at += 2) {
        const unsigned sample = shot[at] | shot[at + 1] << 8;
        const unsigned word = frame[at] | frame[at + 1] << 8;
        differences += word != (sample << 6 | sample >> 4);
    }
    EXPECT_EQ(differences, 0);
    const unsigned white = frame[300 * kWidth * 2 + 170] | frame[300 * kWidth * 2 + 171] << 8;
    EXPECT_NEAR(white >> 6, 800, 120);
}

TEST_F(Pipeline, TwoElementsRecordTwoCamerasAtOnce) {
    fixture_.Simulate("cameras=0,1 fps=30 scene=bars");
    const PixoraResult run = Launch({"pixorasrc",     "device=0",
                                     "num-buffers=3", "!",
                                     "videoconvert",  "!",
                                     "pngenc",        "!",
                                     "multifilesink", "location=zero%d.png",
                                     "pixorasrc",     "device=1",
                                     "num-buffers=3", "!",
                                     "videoconvert",  "!",
                                     "pngenc",        "!",
                                     "multifilesink", "location=one%d.png"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    for (const char* name : {"zero2.png", "one2.png"}) {
        DecodedPng png;
        ASSERT_TRUE(DecodePng(fixture_.File(name), &png)) << name;
        ExpectBarColours(png.rows[300], png.channels);
    }
}

TEST_F(Pipeline, AnAbsentOrVanishingCameraFailsWithTheLibrarysError) {
    PixoraResult run = Launch({"pixorasrc", "device=3", "!", "fakesink"});
    EXPECT_NE(run.exitStatus, 0);
    EXPECT_NE((run.out + run.err).find("camera 3: opening failed: error 2 (device not found"),
              std::string::npos)
        << run.out << run.err;

    fixture_.Simulate("cameras=0 fps=30 fault=vanish:0:5");
    run = Launch({"pixorasrc", "!", "fakesink"});
    EXPECT_NE(run.exitStatus, 0);
    EXPECT_NE((run.out + run.err).find("camera 0: streaming failed: error 13"), std::string::npos)
        << run.out << run.err;
}

// The stored window's size is the caps' when they ask for none; offset-x and offset-y move it
// on the sensor.
TEST_F(Pipeline, OffsetsMoveTheStoredWindowOnTheSensor) {
    fixture_.Simulate("cameras=0 fps=0 scene=bars");
    setenv("PIXORA_REGISTRY", fixture_.SettingsFile().c_str(), 1);
    PixoraSim_Reset();
    ASSERT_EQ(PixoraSim_Configure("cameras=0 fps=0 scene=bars"), 1);
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    ASSERT_EQ(PixoraEx_SetControl(camera, PixoraEx_FindControl("width"), 640), 1);
    ASSERT_EQ(PixoraEx_SetControl(camera, PixoraEx_FindControl("height"), 480), 1);
    ASSERT_EQ(PixoraEx_SetControl(camera, PixoraEx_FindControl("offset-x"), 100), 1);
    ASSERT_EQ(PixoraEx_SetControl(camera, PixoraEx_FindControl("offset-y"), 51), 1);
    ASSERT_EQ(Pixora_SetColorMode(camera, 8), 1);
    std::vector<uint8_t> shot(640u * 480u);
    ASSERT_EQ(Pixora_SnapShot(camera, shot.data(), static_cast<int32_t>(shot.size()), 1), 1);
    // Released at the corner: the element moves it back.
    ASSERT_EQ(PixoraEx_SetControl(camera, PixoraEx_FindControl("offset-x"), 0), 1);
    ASSERT_EQ(PixoraEx_SetControl(camera, PixoraEx_FindControl("offset-y"), 0), 1);
    Pixora_Release(camera);

    PixoraResult run = Launch({"pixorasrc", "offset-x=100", "offset-y=51", "num-buffers=1", "!",
                               "video/x-raw,format=GRAY8", "!", "filesink", "location=w.raw"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    std::ifstream file(fixture_.File("w.raw"), std::ios::binary);
    const std::vector<uint8_t> frame((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    ASSERT_EQ(frame.size(), shot.size());
    // Row 0 begins with the frame's number; the other rows are the window's.
    EXPECT_TRUE(std::equal(frame.begin() + 640, frame.end(), shot.begin() + 640));

    // From column 800 the stored width does not fit: the caps take what does, and a width
    // asked for that does not fit fails naming the widths there are.
    run = Launch({"pixorasrc", "offset-x=800", "num-buffers=1", "!", "video/x-raw,format=GRAY8",
                  "!", "filesink", "location=narrow.raw"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    std::ifstream narrow(fixture_.File("narrow.raw"), std::ios::binary | std::ios::ate);
    EXPECT_EQ(static_cast<size_t>(narrow.tellg()), static_cast<size_t>(kWidth - 800) * 480);
    run = Launch({"pixorasrc", "offset-x=800", "num-buffers=1", "!", "video/x-raw,width=640", "!",
                  "fakesink"});
    EXPECT_NE(run.exitStatus, 0);
    EXPECT_NE((run.out + run.err).find("to 560 and heights"), std::string::npos)
        << run.out << run.err;
}

TEST_F(Pipeline, InspectDocumentsEveryProperty) {
    const PixoraResult run = fixture_.RunProgram(PIXORA_GST_INSPECT, {"pixorasrc"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    for (const char* property :
         {"device",        "trigger",     "timeout",       "white-balance", "stats",
          "gain",          "exposure",    "auto-exposure", "brightness",    "contrast",
          "hue",           "saturation",  "sharpness",     "gamma",         "white-balance-red",
          "flip-vertical", "num-buffers", "do-timestamp",  "offset-x",      "offset-y",
          "gray-mode",     "clock"}) {
        EXPECT_NE(run.out.find(std::string("  ") + property + " "), std::string::npos) << property;
    }
    for (const char* format : {"BGR", "BGRx", "GRAY8", "GRAY16_LE"})
        EXPECT_NE(run.out.find(std::string("format: ") + format + "\n"), std::string::npos);
    EXPECT_NE(run.out.find("Range: -255 - 255"), std::string::npos);
}

}  // namespace
}  // namespace pixora::test
