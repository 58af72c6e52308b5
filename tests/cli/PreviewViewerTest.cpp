// pixora preview on a display: its own window, titled with the camera and the format, that
// Escape, q and the close button end, and that fits a screen smaller than the frame.
#include <X11/keysym.h>

#include <csignal>
#include <ostream>

#include <gtest/gtest.h>

#include "cli/PixoraRun.h"
#include "cli/X11Desktop.h"

namespace pixora::test {
namespace {

TEST(PixoraViewer, TitleNamesTheCameraAndTheFormatAndThePictureFillsTheWindow) {
    X11Desktop desktop;
    if (!desktop.Connected())
        GTEST_SKIP() << "no display";
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=30");
    pixora.UseDisplay(desktop.Name());
    auto process = pixora.Start({"preview", "--bits", "48", "--seconds", "600"});
    ASSERT_TRUE(process->WaitForOutput("in window 0x"));
    // The program's window, found by the process id on it as a window manager finds it.
    const Window viewer = desktop.WaitForWindowOf(process->Pid());
    ASSERT_NE(viewer, 0u);
    const std::string title = desktop.Title(viewer);
    EXPECT_NE(title.find("camera 0 Pixora530TZ_01"), std::string::npos) << title;
    EXPECT_NE(title.find("1360 x 1024, 48 bits per pixel"), std::string::npos) << title;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(desktop.Size(viewer, &width, &height));
    EXPECT_EQ(width, 1360);
    EXPECT_EQ(height, 1024);
    // The library's preview is the window's one child, of the window's size.
    const std::vector<Window> children = desktop.Children(viewer);
    ASSERT_EQ(children.size(), 1u);
    int childWidth = 0;
    int childHeight = 0;
    ASSERT_TRUE(desktop.Size(children[0], &childWidth, &childHeight));
    EXPECT_EQ(childWidth, width);
    EXPECT_EQ(childHeight, height);
    double seconds = 0;
    EXPECT_EQ(SignalAndWait(*process, SIGINT, &seconds).exitStatus, 130);
}

enum class CloseBy { Escape, Q, CloseButton };

void PrintTo(CloseBy how, std::ostream* out) {
    *out << (how == CloseBy::Escape ? "Escape" : how == CloseBy::Q ? "q" : "close button");
}

class PixoraViewerClosing : public ::testing::TestWithParam<CloseBy> {};

TEST_P(PixoraViewerClosing, EndsThePreviewWithStatusZero) {
    X11Desktop desktop;
    if (!desktop.Connected())
        GTEST_SKIP() << "no display";
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=30");
    pixora.UseDisplay(desktop.Name());
    auto process = pixora.Start({"preview", "--seconds", "600"});
    ASSERT_TRUE(process->WaitForOutput("previewing camera 0"));
    const Window viewer = desktop.WaitForWindowOf(process->Pid());
    ASSERT_NE(viewer, 0u);
    const auto asked = std::chrono::steady_clock::now();
    switch (GetParam()) {
        case CloseBy::Escape:
            desktop.PressKey(viewer, XK_Escape);
            break;
        case CloseBy::Q:
            desktop.PressKey(viewer, XK_q);
            break;
        case CloseBy::CloseButton:
            desktop.PressCloseButton(viewer);
            break;
    }
    const PixoraResult result = process->Wait();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count();
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_LT(seconds, 2.0);
    EXPECT_NE(result.out.find("preview closed"), std::string::npos) << result.out;
    EXPECT_TRUE(result.err.empty()) << result.err;
}

INSTANTIATE_TEST_SUITE_P(Ways, PixoraViewerClosing,
                         ::testing::Values(CloseBy::Escape, CloseBy::Q, CloseBy::CloseButton));

TEST(PixoraViewer, AScreenSmallerThanTheFrameShowsThePictureScaledToFit) {
    PrivateXServer server(800, 600);
    if (server.Name().empty())
        GTEST_SKIP() << "Xvfb did not start";
    X11Desktop desktop(server.Name());
    ASSERT_TRUE(desktop.Connected()) << server.Name();
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=30");
    pixora.UseDisplay(server.Name());
    auto process = pixora.Start({"preview", "--seconds", "600"});
    ASSERT_TRUE(process->WaitForOutput("previewing camera 0"));
    const Window viewer = desktop.WaitForWindowOf(process->Pid());
    ASSERT_NE(viewer, 0u);
    int width = 0;
    int height = 0;
    ASSERT_TRUE(desktop.Size(viewer, &width, &height));
    EXPECT_LE(width, 800);
    EXPECT_LE(height, 600);
    // The whole frame, made smaller in both directions alike.
    EXPECT_NEAR(static_cast<double>(width) / height, 1360.0 / 1024.0, 0.01);
    EXPECT_GT(height, 500);
    const std::vector<Window> children = desktop.Children(viewer);
    ASSERT_EQ(children.size(), 1u);
    int childWidth = 0;
    int childHeight = 0;
    ASSERT_TRUE(desktop.Size(children[0], &childWidth, &childHeight));
    EXPECT_EQ(childWidth, width);
    EXPECT_EQ(childHeight, height);
    EXPECT_NE(desktop.Title(viewer).find("shown at"), std::string::npos) << desktop.Title(viewer);
    double seconds = 0;
    EXPECT_EQ(SignalAndWait(*process, SIGTERM, &seconds).exitStatus, 143);
}

}  // namespace
}  // namespace pixora::test
