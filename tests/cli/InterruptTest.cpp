// The first Ctrl-C (SIGINT) or SIGTERM ends every long-running command within moments,
// after releasing the camera: 130 or 143 when it came before the end asked for.
#include <csignal>
#include <ostream>

#include <gtest/gtest.h>

#include "PixoraRun.h"
#include "X11Desktop.h"

namespace pixora::test {
namespace {

// Generous: the commands look for a stop request every 50 ms.
constexpr double kStopSeconds = 2.0;

struct LongRun {
    const char* name;
    std::vector<std::string> args;
    const char* running;  // output that shows the command is under way
};

void PrintTo(const LongRun& run, std::ostream* out) {
    *out << run.name;
}

class PixoraStopSignal : public ::testing::TestWithParam<LongRun> {};

TEST_P(PixoraStopSignal, EndsTheCommandAfterReleasingWithTheSignalsStatus) {
    for (const int signal : {SIGINT, SIGTERM}) {
        PixoraFixture pixora;
        pixora.Simulate("cameras=0 fps=30");
        auto process = pixora.Start(GetParam().args);
        ASSERT_TRUE(process->WaitForOutput(GetParam().running)) << signal;
        double seconds = 0;
        const PixoraResult result = SignalAndWait(*process, signal, &seconds);
        EXPECT_EQ(result.exitStatus, 128 + signal) << result.err;
        EXPECT_LT(seconds, kStopSeconds) << signal;
        // A camera left behind (a driver handle or a thread) would be reported here.
        EXPECT_TRUE(result.err.empty()) << result.err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, PixoraStopSignal,
    ::testing::Values(
        LongRun{"Stream", {"stream", "--seconds", "600"}, "streaming camera"},
        LongRun{"Preview", {"preview", "--seconds", "600"}, "previewing camera"},
        LongRun{"TriggerWaiting", {"trigger", "--pulses", "0", "--wait", "600000"}, "trigger mode"},
        LongRun{"TriggerPulsing",
                {"trigger", "--pulses", "100", "--interval", "1000"},
                "pulse 1 sent"}),
    [](const ::testing::TestParamInfo<LongRun>& run) { return run.param.name; });

TEST(PixoraStopSignal, OpenEndedCommandsEndWithStatusZero) {
    for (const char* command : {"stream", "preview"}) {
        PixoraFixture pixora;
        pixora.Simulate("cameras=0 fps=30");
        auto process = pixora.Start({command});
        ASSERT_TRUE(process->WaitForOutput("camera 0")) << command;
        double seconds = 0;
        const PixoraResult result = SignalAndWait(*process, SIGTERM, &seconds);
        EXPECT_EQ(result.exitStatus, 0) << command << ": " << result.err;
        EXPECT_LT(seconds, kStopSeconds) << command;
    }
}

TEST(PixoraStopSignal, ClosesAnOpenDialogAndReleasesTheCamera) {
    const X11Desktop desktop;
    if (desktop.Name().empty())
        GTEST_SKIP() << "no display";
    const std::pair<const char*, int> cases[] = {
        {"camera", SIGINT}, {"image", SIGTERM}, {"analog", SIGINT}};
    for (const auto& [dialog, signal] : cases) {
        PixoraFixture pixora;
        pixora.UseDisplay(desktop.Name());
        auto process = pixora.Start({"dialog", dialog});
        ASSERT_FALSE(desktop.WaitForWindowOf(process->Pid()).empty()) << dialog;
        double seconds = 0;
        const PixoraResult result = SignalAndWait(*process, signal, &seconds);
        EXPECT_EQ(result.exitStatus, 128 + signal) << dialog << ": " << result.err;
        EXPECT_LT(seconds, kStopSeconds) << dialog;
        EXPECT_TRUE(result.err.empty()) << dialog << ": " << result.err;
    }
}

}  // namespace
}  // namespace pixora::test
