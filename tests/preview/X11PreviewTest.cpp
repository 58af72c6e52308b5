// The preview window as a real X11 window: pixels are read back from the X server. Skipped
// when no display can be opened (the off-screen suites cover the same drawing then).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "PreviewTestImages.h"
#include "preview/PreviewWindow.h"
#include "preview/linux/X11HostWindow.h"

namespace pixora::test {
namespace {

class X11Preview : public ::testing::Test {
protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || display[0] == '\0') {
            GTEST_SKIP() << "no X display";
        }
        // The host's connection is made first and kept for the whole test: a virtual
        // server that loses its last client resets and refuses connections meanwhile.
        for (int attempt = 0; attempt < 4 && !host_; ++attempt) {
            host_ = X11HostWindow::Create(0, 0, 400, 300);
            if (!host_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
        ASSERT_NE(host_, nullptr) << "DISPLAY is set but no window can be made";
        tolerance_ = host_->ScreenDepth() >= 24 ? 0 : 8;
    }

    PreviewWindowRequest ChildOfHost(int x, int y, int width, int height) const {
        PreviewWindowRequest request;
        request.parent = host_->Handle();
        request.place = Rect{x, y, width, height};
        return request;
    }

    // Other programs on the same display may open windows over ours; a covered part is
    // lost until drawn again, so bring the window up, draw, and read until it is whole.
    int DrawAndCountMismatches(PreviewWindow& window, uint64_t raise, int mode, ModeImages& images,
                               int width, int height) {
        int mismatches = width * height;
        for (int attempt = 0; attempt < 5 && mismatches != 0; ++attempt) {
            host_->Raise(raise);
            if (!window.DrawFrame(mode, images.View())) {
                continue;
            }
            SurfacePicture picture;
            if (window.ReadBack(picture) && picture.width == width && picture.height == height) {
                mismatches = CountMismatches(picture, mode, width, height, 0, tolerance_);
            }
        }
        return mismatches;
    }

    std::unique_ptr<X11HostWindow> host_;
    // Colour rounding of the screen: none at 8 bits per channel.
    int tolerance_ = 0;
};

TEST_F(X11Preview, TopLevelWindowIsCentredNamedAndShowsTheFrameUpright) {
    PreviewWindow window(SurfaceChoice::X11);
    PreviewWindowRequest request;
    request.imageWidth = 320;
    request.imageHeight = 240;
    request.subSampleStep = 1;
    ASSERT_TRUE(window.Open(request));
    EXPECT_EQ(window.Kind(), SurfaceKind::X11);
    const uint64_t id = window.NativeId();
    ASSERT_NE(id, 0u);
    EXPECT_EQ(host_->WindowName(id), kPreviewTopLevelTitle);
    EXPECT_EQ(host_->WindowClass(id), window.ClassName());
    const SurfaceGeometry g = window.Geometry();
    EXPECT_EQ(g.width, 160);
    EXPECT_EQ(g.height, 120);
    EXPECT_EQ(g.x, (host_->ScreenWidth() - 160) / 2);
    EXPECT_EQ(g.y, (host_->ScreenHeight() - 120) / 2);
    EXPECT_TRUE(host_->WindowViewable(id));

    // The 8-bit and the 24-bit 1:1 paths, and the 16-bit mode through the display image.
    for (int mode : {0, 2, 1, 5}) {
        ModeImages images;
        FillForMode(images, mode, 160, 120);
        EXPECT_EQ(DrawAndCountMismatches(window, id, mode, images, 160, 120), 0) << "mode " << mode;
    }
}

TEST_F(X11Preview, ChildWindowSitsAtItsPlacementInsideTheParent) {
    PreviewWindow window(SurfaceChoice::X11);
    ASSERT_TRUE(window.Open(ChildOfHost(30, 40, 200, 100)));
    const uint64_t id = window.NativeId();
    const std::vector<uint64_t> children = host_->Children();
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(children[0], id);
    EXPECT_EQ(host_->WindowName(id), kPreviewChildTitle);
    const SurfaceGeometry g = window.Geometry();
    EXPECT_EQ(g.x, 30);
    EXPECT_EQ(g.y, 40);
    EXPECT_EQ(g.width, 200);
    EXPECT_EQ(g.height, 100);

    // A 100 x 50 picture scaled to the child's 200 x 100, seen in the parent's pixels.
    ModeImages images;
    FillForMode(images, 3, 100, 50);
    int mismatches = -1;
    SurfacePicture inParent;
    for (int attempt = 0; attempt < 5 && mismatches != 0; ++attempt) {
        host_->Raise(host_->Id());
        ASSERT_TRUE(window.DrawFrame(3, images.View()));
        ASSERT_TRUE(host_->ReadBack(host_->Id(), 0, 0, 400, 300, inParent));
        SurfacePicture child;
        child.width = 200;
        child.height = 100;
        for (int y = 0; y < 100; ++y) {
            const uint8_t* row = inParent.Pixel(30, 40 + y);
            child.bgr.insert(child.bgr.end(), row, row + 200 * 3);
        }
        mismatches = CountScaledMismatches(child, 3, 100, 50, 200, 100, 0, tolerance_);
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(PictureAt(inParent, 29, 40), (Bgr{255, 255, 255}));
    EXPECT_EQ(PictureAt(inParent, 230, 139), (Bgr{255, 255, 255}));
    EXPECT_EQ(images.display->Width(), 200);
}

TEST_F(X11Preview, ResizingTheWindowRecreatesTheDisplayImage) {
    PreviewWindow window(SurfaceChoice::X11);
    ASSERT_TRUE(window.Open(ChildOfHost(0, 0, 64, 48)));
    ModeImages images;
    FillForMode(images, 2, 64, 48);
    ASSERT_TRUE(window.DrawFrame(2, images.View()));
    EXPECT_TRUE(images.display->IsEmpty());

    ASSERT_TRUE(window.ResizeClient(128, 96));
    EXPECT_EQ(window.ClientState().width, 128);
    int mismatches = -1;
    for (int attempt = 0; attempt < 5 && mismatches != 0; ++attempt) {
        host_->Raise(host_->Id());
        ASSERT_TRUE(window.DrawFrame(2, images.View()));
        SurfacePicture picture;
        ASSERT_TRUE(window.ReadBack(picture));
        ASSERT_EQ(picture.width, 128);
        mismatches = CountScaledMismatches(picture, 2, 64, 48, 128, 96, 0, tolerance_);
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(images.display->Width(), 128);
    EXPECT_EQ(images.display->Height(), 96);
}

TEST_F(X11Preview, HiddenAndEmptyWindowsAreNotDrawnInto) {
    PreviewWindow window(SurfaceChoice::X11);
    ASSERT_TRUE(window.Open(ChildOfHost(10, 10, 32, 32)));
    ModeImages images;
    FillForMode(images, 2, 32, 32);
    ASSERT_TRUE(window.SetVisible(false));
    EXPECT_FALSE(host_->WindowViewable(window.NativeId()));
    EXPECT_FALSE(window.ClientState().visible);
    EXPECT_FALSE(window.DrawFrame(2, images.View()));

    ASSERT_TRUE(window.SetVisible(true));
    EXPECT_TRUE(window.DrawFrame(2, images.View()));
    ASSERT_TRUE(window.ResizeClient(0, 32));
    EXPECT_EQ(window.ClientState().width, 0);
    EXPECT_FALSE(window.DrawFrame(2, images.View()));

    PreviewWindow empty(SurfaceChoice::X11);
    ASSERT_TRUE(empty.Open(ChildOfHost(0, 0, 0, 0)));
    EXPECT_EQ(empty.Geometry().width, 0);
    EXPECT_FALSE(empty.DrawFrame(2, images.View()));
}

TEST_F(X11Preview, ParentDestroyedByTheApplicationEndsDrawingQuietly) {
    PreviewWindow window(SurfaceChoice::X11);
    ASSERT_TRUE(window.Open(ChildOfHost(0, 0, 32, 32)));
    ModeImages images;
    FillForMode(images, 2, 32, 32);
    ASSERT_TRUE(window.DrawFrame(2, images.View()));
    host_->DestroyWindow();
    EXPECT_FALSE(window.DrawFrame(2, images.View()));
    EXPECT_FALSE(window.ClientState().exists);
    SurfacePicture picture;
    EXPECT_FALSE(window.ReadBack(picture));
    window.Close();
    EXPECT_EQ(window.ClassName(), "");
}

TEST_F(X11Preview, OpeningAgainDestroysTheEarlierWindow) {
    PreviewWindow window(SurfaceChoice::X11);
    ASSERT_TRUE(window.Open(ChildOfHost(0, 0, 32, 32)));
    const std::string firstClass = window.ClassName();
    ASSERT_TRUE(window.Open(ChildOfHost(5, 5, 40, 40)));
    EXPECT_NE(window.ClassName(), firstClass);
    // Only the new window is left in the parent (the server may give it the old id).
    const std::vector<uint64_t> children = host_->Children();
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(children[0], window.NativeId());
    EXPECT_EQ(window.Geometry().width, 40);
    const uint64_t last = window.NativeId();
    window.Close();
    EXPECT_FALSE(host_->WindowExists(last));
    EXPECT_TRUE(host_->Children().empty());
}

TEST_F(X11Preview, ParentThatIsNoWindowIsRefused) {
    PreviewWindow window(SurfaceChoice::X11);
    PreviewWindowRequest request = ChildOfHost(0, 0, 32, 32);
    request.parent = reinterpret_cast<PIXORA_HWND>(uintptr_t{0x7FFFFFF0});
    EXPECT_FALSE(window.Open(request));
    EXPECT_FALSE(window.HasWindow());
    request.parent = host_->Handle();
    request.place.width = 70000;
    EXPECT_FALSE(window.Open(request));
}

TEST_F(X11Preview, WorkerThreadDrawsWhileTheApplicationReadsBack) {
    PreviewWindow window(SurfaceChoice::X11);
    ASSERT_TRUE(window.Open(ChildOfHost(0, 0, 64, 48)));
    ModeImages images;
    FillForMode(images, 2, 64, 48);
    std::atomic<bool> stop{false};
    std::atomic<int> drawn{0};
    std::thread worker([&] {
        while (!stop.load()) {
            drawn += window.DrawFrame(2, images.View()) ? 1 : 0;
        }
    });
    // Both threads make progress: the application keeps going until the worker has
    // drawn a number of frames on each side of a resize (bounded, should drawing fail).
    int readBacks = 0;
    bool resized = false;
    int drawnBeforeResize = 0;
    for (int i = 0; i < 20000 && (!resized || drawn.load() < drawnBeforeResize + 10); ++i) {
        SurfacePicture picture;
        readBacks += window.ReadBack(picture) ? 1 : 0;
        (void)window.ClientState();
        if (!resized && drawn.load() >= 10) {
            EXPECT_TRUE(window.ResizeClient(32, 24));
            drawnBeforeResize = drawn.load();
            resized = true;
        }
        std::this_thread::yield();
    }
    stop = true;
    worker.join();
    EXPECT_TRUE(resized);
    EXPECT_GE(drawn.load(), drawnBeforeResize + 10);
    EXPECT_GT(readBacks, 0);
    EXPECT_EQ(images.display->Width(), 32);
}

// Each session's window has connections of its own, opened, drawn on with shared memory and
// closed by several threads at once: the X extension library's process-wide list of
// connections must not be read on one thread while another closes a connection (it was:
// the heap broke after a few hundred windows).
TEST_F(X11Preview, WindowsOfSeveralSessionsOpenDrawAndCloseOnThreadsAtOnce) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 40;
    std::atomic<int> opened{0};
    std::atomic<int> drawn{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            ModeImages images;
            FillForMode(images, 2, 32, 24);
            PreviewWindow window(SurfaceChoice::X11);
            for (int round = 0; round < kRounds; ++round) {
                if (!window.Open(ChildOfHost(40 * t, 0, 32, 24)))
                    continue;
                opened.fetch_add(1);
                for (int frame = 0; frame < 3; ++frame)
                    drawn += window.DrawFrame(2, images.View()) ? 1 : 0;
                window.Close();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(opened.load(), kThreads * kRounds);
    EXPECT_GT(drawn.load(), 0);
}

}  // namespace
}  // namespace pixora::test
