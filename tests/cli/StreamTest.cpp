// pixora stream: frames for a time or a count, the progress display on and off a terminal,
// frames saved on the way, a camera failing mid-stream, and Ctrl-C.
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PixoraRun.h"

namespace pixora::test {
namespace {

TEST(PixoraStream, StopsAfterTheFramesAskedForWithPlainLinesOffATerminal) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=50");
    const PixoraResult result = pixora.Run({"stream", "--frames", "40", "--bits", "8"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(SummaryValue(result.out, "frames"), 40);
    EXPECT_EQ(SummaryValue(result.out, "failed"), 0);
    EXPECT_GE(SummaryValue(result.out, "dropped"), 0);
    // Not a terminal: whole lines only, never a line rewritten in place.
    EXPECT_EQ(result.out.find('\r'), std::string::npos);
    EXPECT_EQ(result.out.find('\033'), std::string::npos);
    EXPECT_TRUE(result.err.empty()) << result.err;
}

TEST(PixoraStream, ShowsALiveLineOnATerminal) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=30");
    // Fifteen frames take half a second at least: time for the line to be drawn.
    auto process = pixora.Start({"stream", "--frames", "15"}, /*terminal=*/true);
    const PixoraResult result = process->Wait();
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    // The live line is redrawn from its start; the terminal turns "\n" into "\r\n", so a
    // plain line would show "\r\n" instead.
    EXPECT_NE(result.out.find("\rframes="), std::string::npos) << result.out;
    EXPECT_EQ(SummaryValue(result.out, "frames"), 15) << result.out;
}

TEST(PixoraStream, SavesEveryNthFrameIntoTheFolder) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=40");
    const std::string folder = pixora.File("saved/frames");
    const PixoraResult result = pixora.Run(
        {"stream", "--frames", "6", "--save-every", "2", "--folder", folder, "--format", "png"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(SummaryValue(result.out, "saved"), 3);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++files;
        EXPECT_EQ(entry.path().extension(), ".png");
        EXPECT_EQ(ReadFile(entry.path().string()).rfind("\x89PNG", 0), 0u);
    }
    EXPECT_EQ(files, 3);
}

TEST(PixoraStream, TakesEveryFrameFromTheQueueWhileItKeepsUp) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=50");
    // 64 buffers hold more than a second of frames: a loaded machine does not lose any. Raw
    // frames are only copied, so that a sanitizer's slow build keeps up with the camera too.
    const PixoraResult result =
        pixora.Run({"stream", "--frames", "40", "--bits", "8", "--raw", "--buffers", "64"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(SummaryValue(result.out, "frames"), 40);
    // Frames the stop left in the queue count as dropped: at most the queue's worth.
    EXPECT_LE(SummaryValue(result.out, "dropped"), 64);
    EXPECT_EQ(SummaryValue(result.out, "failed"), 0);
}

// The samples of a binary PGM (header "P5\nW H\nMAX\n"), as numbers.
std::vector<int> PgmSamples(const std::string& file, int* maximum) {
    std::istringstream header(file);
    std::string magic;
    int width = 0;
    int height = 0;
    header >> magic >> width >> height >> *maximum;
    EXPECT_EQ(magic, "P5");
    EXPECT_EQ(width, 1360);
    EXPECT_EQ(height, 1024);
    const size_t start = static_cast<size_t>(header.tellg()) + 1;
    const size_t bytes = *maximum > 255 ? 2 : 1;
    EXPECT_EQ(file.size() - start, static_cast<size_t>(width) * height * bytes);
    std::vector<int> samples;
    for (size_t i = start; i + bytes <= file.size(); i += bytes) {
        const auto high = static_cast<unsigned char>(file[i]);
        samples.push_back(bytes == 1 ? high : high << 8 | static_cast<unsigned char>(file[i + 1]));
    }
    return samples;
}

TEST(PixoraStream, RawSavesTheMosaicAsPgmWhateverTheStoredSettings) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=50");
    const auto saveRaw = [&](const std::string& bits, const std::string& folder) {
        const PixoraResult result = pixora.Run({"stream", "--frames", "1", "--raw", "--bits", bits,
                                                "--save-every", "1", "--folder", folder});
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_NE(result.out.find("the raw mosaic (GRBG)"), std::string::npos) << result.out;
        EXPECT_EQ(SummaryValue(result.out, "saved"), 1);
        return ReadFile(pixora.File(folder + "/frame-000001.pgm"));
    };
    int maximum = 0;
    const std::vector<int> neutral = PgmSamples(saveRaw("8", "neutral"), &maximum);
    EXPECT_EQ(maximum, 255);
    const std::vector<int> wide = PgmSamples(saveRaw("48", "wide"), &maximum);
    EXPECT_EQ(maximum, 1023);
    ASSERT_EQ(wide.size(), neutral.size());
    for (size_t i = 0; i < wide.size(); i += 997) {
        ASSERT_LE(wide[i], 1023);
        // The 8-bit samples are the 10-bit ones' top bits.
        ASSERT_NEAR(wide[i] >> 2, neutral[i], 1) << i;
    }
    // Stored adjustments and the mirror change processed frames, not the mosaic.
    ASSERT_EQ(pixora.Run({"set", "brightness", "80"}).exitStatus, 0);
    ASSERT_EQ(pixora.Run({"set", "mirror-v", "1"}).exitStatus, 0);
    EXPECT_EQ(PgmSamples(saveRaw("8", "adjusted"), &maximum), neutral);
}

TEST(PixoraStream, AFolderThatCannotBeMadeFailsBeforeStreaming) {
    PixoraFixture pixora;
    const std::string file = pixora.File("plain-file");
    { std::ofstream(file) << "x"; }
    const PixoraResult result =
        pixora.Run({"stream", "--frames", "2", "--save-every", "1", "--folder", file});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(SummaryValue(result.out, "frames"), -1);
}

TEST(PixoraStream, ACameraVanishingMidStreamFailsWithErrorThirteen) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=50 fault=vanish:0:5");
    const PixoraResult result = pixora.Run({"stream", "--seconds", "20"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("error 13"), std::string::npos) << result.err;
    EXPECT_LE(SummaryValue(result.out, "frames"), 5);
    EXPECT_GE(SummaryValue(result.out, "failed"), 1);
}

TEST(PixoraStream, CtrlCEndsAnOpenEndedStreamCleanly) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=30");
    auto process = pixora.Start({"stream"});
    ASSERT_TRUE(process->WaitForFrames());
    process->Signal(SIGINT);
    const PixoraResult result = process->Wait();
    // Status 0 also says the camera was released with no driver handle or thread left.
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_GT(SummaryValue(result.out, "frames"), 0);
}

TEST(PixoraStream, CtrlCBeforeTheEndGivesStatus130AfterReleasing) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=30");
    auto process = pixora.Start({"stream", "--seconds", "600", "--white-balance"});
    ASSERT_TRUE(process->WaitForFrames());
    process->Signal(SIGINT);
    const PixoraResult result = process->Wait();
    EXPECT_EQ(result.exitStatus, 130) << result.err;
    EXPECT_TRUE(result.err.empty()) << result.err;
    EXPECT_GT(SummaryValue(result.out, "frames"), 0);
    // The shot's white-balance request was put back before the camera was released.
    EXPECT_EQ(pixora.Run({"get", "bayer-gain-auto"}).out, "0\n");
}

}  // namespace
}  // namespace pixora::test
