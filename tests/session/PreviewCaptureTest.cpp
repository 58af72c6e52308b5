// The preview paths of the session drawing the virtual camera's bars, on whatever surface
// this machine offers (a real X11 window under a display, off-screen otherwise).
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "PixoraPlatform.h"
#include "ScopedRegistry.h"
#ifndef _WIN32
#include "preview/linux/X11HostWindow.h"
#endif
#include "preview/PreviewWindow.h"
#include "session/CameraSession.h"
#include "session/CaptureMachine.h"

namespace pixora {
namespace {

class PreviewCapture : public ::testing::Test {
protected:
    void SetUp() override {
        PixoraSim_Reset();
        PixoraSim_Configure("cameras=0 fps=0 scene=bars maxwait=300");
        ASSERT_EQ(session_.Initialize(nullptr), 1);
        session_.SetWaitTime(0);
        capture_ = session_.Machine();
        ASSERT_NE(capture_, nullptr);
    }
    void TearDown() override { PixoraSim_Reset(); }

    // Waits until the window shows a picture whose top-left differs from black.
    bool WaitForPicture(SurfacePicture& picture) {
        for (int i = 0; i < 200; ++i) {
            if (capture_->PreviewSurface()->ReadBack(picture) && picture.width > 0 &&
                picture.Pixel(picture.width / 16, picture.height / 8)[0] > 100) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    test::ScopedRegistry registry_;
    CameraSession session_;
    CaptureMachine* capture_ = nullptr;
};

TEST_F(PreviewCapture, TopLevelWindowShowsTheFrameRightWayUp) {
    for (int bits : {8, 24, 48}) {
        ASSERT_EQ(session_.SetColorMode(bits), 1);
        ASSERT_EQ(capture_->Preview(), 1) << bits;
        PreviewWindow* window = capture_->PreviewSurface();
        ASSERT_NE(window, nullptr);
        EXPECT_FALSE(window->IsChild());
        EXPECT_EQ(window->ClassName().rfind("VideoRenderer_", 0), 0u);
        SurfacePicture picture;
        ASSERT_TRUE(WaitForPicture(picture)) << bits;
        EXPECT_EQ(picture.width, 1360);
        EXPECT_EQ(picture.height, 1024);
        // Bars on top (white at the left, black at the right), grey ramp in the last quarter.
        EXPECT_GT(picture.Pixel(40, 100)[1], 150) << bits;
        EXPECT_LT(picture.Pixel(1320, 100)[1], 40) << bits;
        EXPECT_LT(picture.Pixel(5, 1000)[1], 40) << bits;
        EXPECT_GT(picture.Pixel(1350, 1000)[1], 120) << bits;
        EXPECT_EQ(capture_->Close(), 1);
        EXPECT_FALSE(window->HasWindow());
    }
}

#ifndef _WIN32
// The Windows child window has its own suite (tests/win32).
TEST_F(PreviewCapture, ChildWindowTakesThePlacementAndScales) {
    auto host = X11HostWindow::Create(0, 0, 800, 600);
    if (!host)
        GTEST_SKIP() << "no X display";
    ASSERT_EQ(session_.SetColorMode(24), 1);
    capture_->SetPreviewWindow(host->Handle(), Rect{10, 20, 340, 256});
    ASSERT_EQ(capture_->Preview(), 1);
    PreviewWindow* window = capture_->PreviewSurface();
    EXPECT_TRUE(window->IsChild());
    const SurfaceGeometry geometry = window->Geometry();
    EXPECT_EQ(geometry.x, 10);
    EXPECT_EQ(geometry.y, 20);
    EXPECT_EQ(geometry.width, 340);
    EXPECT_EQ(geometry.height, 256);
    SurfacePicture picture;
    ASSERT_TRUE(WaitForPicture(picture));
    EXPECT_EQ(picture.width, 340);
    EXPECT_GT(picture.Pixel(10, 25)[1], 150);
    EXPECT_LT(picture.Pixel(330, 25)[1], 40);
    // A new client size makes the next frames scale to it.
    ASSERT_TRUE(window->ResizeClient(170, 128));
    bool resized = false;
    for (int i = 0; i < 200 && !resized; ++i) {
        resized =
            window->ReadBack(picture) && picture.width == 170 && picture.Pixel(5, 12)[1] > 150;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(resized);
    EXPECT_EQ(capture_->Close(), 1);
    EXPECT_TRUE(host->Children().empty());
}
#endif

TEST_F(PreviewCapture, RepeatedPreviewsReplaceTheirWindow) {
    ASSERT_EQ(capture_->Preview(), 1);
    ASSERT_EQ(capture_->StopPreview(), 1);
    ASSERT_EQ(capture_->Preview(), 1);
    ASSERT_EQ(capture_->Preview(), 1);  // already previewing: same window
    EXPECT_TRUE(capture_->PreviewSurface()->HasWindow());
    EXPECT_EQ(capture_->Close(), 1);
    EXPECT_FALSE(capture_->PreviewSurface()->HasWindow());
}

}  // namespace
}  // namespace pixora
