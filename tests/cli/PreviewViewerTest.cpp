// pixora preview on a display: its own window, titled with the camera and the format, that
// Escape, q and the close button end, and that fits a screen smaller than the frame.
#include <csignal>
#include <ostream>

#include <gtest/gtest.h>

#include "PixoraRun.h"
#include "X11Desktop.h"

namespace pixora::test {
namespace {

// Starts an endless preview on `desktop`; the program's window, found by its process id as
// a window manager finds it, or empty.
std::string StartViewer(PixoraFixture& pixora, const X11Desktop& desktop,
                        std::unique_ptr<PixoraProcess>& process) {
    pixora.Simulate("cameras=0 fps=30");
    pixora.UseDisplay(desktop.Name());
    process = pixora.Start({"preview", "--bits", "48", "--seconds", "600"});
    if (!process->WaitForOutput("in window 0x"))
        return "";
    return desktop.WaitForWindowOf(process->Pid());
}

TEST(PixoraViewer, TitleNamesCameraAndFormatAndThePictureFillsTheWindowFittedToTheScreen) {
    X11Desktop shared;
    if (shared.Name().empty())
        GTEST_SKIP() << "no display";
    PrivateXServer small(800, 600);
    ASSERT_FALSE(small.Name().empty());
    // The frame as it is on a large screen, scaled to fit with its shape on a small one.
    for (const X11Desktop& desktop : {shared, X11Desktop(small.Name())}) {
        PixoraFixture pixora;
        std::unique_ptr<PixoraProcess> process;
        const std::string viewer = StartViewer(pixora, desktop, process);
        ASSERT_FALSE(viewer.empty()) << desktop.Name();
        const std::string title = desktop.Title(viewer);
        EXPECT_NE(title.find("camera 0 Pixora530TZ_01, 1360 x 1024, 48 bits per pixel"),
                  std::string::npos)
            << title;
        const WindowSize size = desktop.Size(viewer);
        if (desktop.Name() == shared.Name()) {
            EXPECT_EQ(size, (WindowSize{1360, 1024}));
        } else {
            EXPECT_LE(size.width, 800);
            EXPECT_GT(size.height, 500);
            EXPECT_NEAR(static_cast<double>(size.width) / size.height, 1360.0 / 1024, 0.01);
            EXPECT_NE(title.find("shown at"), std::string::npos) << title;
        }
        // The library's preview is the window's one child, of the window's size.
        EXPECT_EQ(desktop.ChildSizes(viewer), std::vector<WindowSize>{size});
        double seconds = 0;
        EXPECT_EQ(SignalAndWait(*process, SIGTERM, &seconds).exitStatus, 143);
    }
}

class PixoraViewerClosing : public ::testing::TestWithParam<const char*> {};

TEST_P(PixoraViewerClosing, EndsThePreviewWithStatusZero) {
    const X11Desktop desktop;
    if (desktop.Name().empty())
        GTEST_SKIP() << "no display";
    PixoraFixture pixora;
    std::unique_ptr<PixoraProcess> process;
    const std::string viewer = StartViewer(pixora, desktop, process);
    ASSERT_FALSE(viewer.empty());
    const auto asked = std::chrono::steady_clock::now();
    if (std::string(GetParam()) == "close-button")
        desktop.PressCloseButton(viewer);
    else
        desktop.PressKey(viewer, GetParam());
    const PixoraResult result = process->Wait();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(2));
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.out.find("preview closed"), std::string::npos) << result.out;
    EXPECT_TRUE(result.err.empty()) << result.err;
}

INSTANTIATE_TEST_SUITE_P(Ways, PixoraViewerClosing,
                         ::testing::Values("Escape", "q", "close-button"));

}  // namespace
}  // namespace pixora::test
