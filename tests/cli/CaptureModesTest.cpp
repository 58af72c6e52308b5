// pixora preview, pixora trigger and pixora dialog, each run headless against the virtual
// camera, and a second Ctrl-C ending a command that is stuck waiting.
#include <csignal>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "PixoraRun.h"

namespace pixora::test {
namespace {

TEST(PixoraPreview, RunsForTheSecondsAskedForWithoutADisplay) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=30");
    const PixoraResult result = pixora.Run({"preview", "--seconds", "0.5", "--bits", "48"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_TRUE(result.err.empty()) << result.err;
}

TEST(PixoraPreview, CtrlCClosesThePreviewAndReleasesTheCamera) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=30");
    auto process = pixora.Start({"preview"});
    ASSERT_TRUE(process->WaitForOutput("previewing camera 0"));
    process->Signal(SIGINT);
    const PixoraResult result = process->Wait();
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_TRUE(result.err.empty()) << result.err;
}

TEST(PixoraPreview, PlacedInsideAParentWindowRunsHeadless) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=30");
    const PixoraResult result =
        pixora.Run({"preview", "--parent", "0x2a00007", "--x", "10", "--y", "20", "--width", "320",
                    "--height", "240", "--seconds", "0.3"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
}

TEST(PixoraTrigger, EveryPulseDeliversOneFrame) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=0");
    const PixoraResult result = pixora.Run(
        {"trigger", "--pulses", "4", "--interval", "20", "--bits", "16", "--wait", "60000"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(SummaryValue(result.out, "pulses"), 4);
    EXPECT_EQ(SummaryValue(result.out, "frames"), 4);
    EXPECT_EQ(SummaryValue(result.out, "failed"), 0);
    EXPECT_TRUE(HasLineWithWords(result.out, {"frame", "4:"})) << result.out;
}

TEST(PixoraTrigger, PausesLongerThanTheTransferTimeOutAreReported) {
    PixoraFixture pixora;
    // Every wait for a pulse ends after 100 ms; the pulses come 400 ms apart.
    pixora.Simulate("cameras=0 fps=0 maxwait=100");
    const PixoraResult result = pixora.Run({"trigger", "--pulses", "2", "--interval", "400"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(SummaryValue(result.out, "frames"), 2);
    EXPECT_GE(SummaryValue(result.out, "timeouts"), 2);
    EXPECT_TRUE(HasLineWithWords(result.out, {"time-out:"})) << result.out;
}

TEST(PixoraTrigger, ACameraThatNeverAnswersFails) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=0 maxwait=100 fault=stall:0");
    const PixoraResult result =
        pixora.Run({"trigger", "--pulses", "2", "--interval", "10", "--wait", "500"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(SummaryValue(result.out, "frames"), 0);
    EXPECT_GE(SummaryValue(result.out, "timeouts"), 1);
}

TEST(PixoraDialog, WithoutADisplayFailsWithErrorFour) {
    PixoraFixture pixora;
    for (const char* dialog : {"camera", "image", "analog"}) {
        const PixoraResult result = pixora.Run({"dialog", dialog});
        EXPECT_EQ(result.exitStatus, 1) << dialog;
        EXPECT_NE(result.err.find("error 4"), std::string::npos) << dialog << ": " << result.err;
    }
}

TEST(PixoraInterrupt, SecondCtrlCEndsAStuckCommandAtOnce) {
    PixoraFixture pixora;
    // The frame read waits out a 60-second transfer time-out: the snapshot is stuck.
    pixora.Simulate("cameras=0 fps=0 timeout=60000 fault=stall:0");
    auto process = pixora.Start({"snapshot", pixora.File("never.bmp")});
    // The settings file appears when the camera is opened, after the handler is in place.
    for (int i = 0; i < 1000 && !std::filesystem::exists(pixora.SettingsFile()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    process->Signal(SIGINT);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // The first Ctrl-C only asks the command to stop; it is still waiting for its frame.
    ASSERT_TRUE(process->Running());
    process->Signal(SIGINT);
    const PixoraResult result = process->Wait();
    // A stop after the time-out would report the failed snapshot with status 1.
    EXPECT_EQ(result.exitStatus, 130);
    EXPECT_FALSE(std::filesystem::exists(pixora.File("never.bmp")));
}

}  // namespace
}  // namespace pixora::test
