// The surface that stands in for a window without a display.
#include <gtest/gtest.h>

#include <vector>

#include "PreviewTestImages.h"
#include "preview/OffscreenSurface.h"
#include "preview/WindowSurface.h"

namespace pixora::test {
namespace {

std::unique_ptr<WindowSurface> MakeChild(int width, int height) {
    SurfaceRequest request;
    request.parent = 0x1234;
    request.place = Rect{5, 6, width, height};
    return CreateWindowSurface(request, SurfaceChoice::OffScreen);
}

// A 24-bit frame whose pixel (x, memory row r) carries PatternColor(x, r).
struct Frame24 {
    int width;
    int height;
    int stride;
    std::vector<uint8_t> bytes;

    Frame24(int w, int h) : width(w), height(h), stride((w * 3 + 3) & ~3) {
        bytes.assign(static_cast<size_t>(stride) * h, 0);
        for (int r = 0; r < h; ++r) {
            for (int x = 0; x < w; ++x) {
                const Bgr c = PatternColor(x, r);
                std::copy(c.begin(), c.end(), &bytes[static_cast<size_t>(r) * stride + x * 3]);
            }
        }
    }
    SurfaceFrame View(bool lastRowOnTop = false) const {
        return SurfaceFrame{bytes.data(), width, height, stride, 24, lastRowOnTop};
    }
};

TEST(OffscreenSurface, ChildKeepsItsPlacementAndTopLevelIsCentred) {
    auto child = MakeChild(320, 200);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->Kind(), SurfaceKind::OffScreen);
    const SurfaceGeometry g = child->Geometry();
    EXPECT_EQ(g.x, 5);
    EXPECT_EQ(g.y, 6);
    EXPECT_EQ(g.width, 320);
    EXPECT_EQ(g.height, 200);

    SurfaceRequest top;
    top.place.width = 681;
    top.place.height = 512;
    top.offscreenScreenWidth = 1280;
    top.offscreenScreenHeight = 1024;
    auto topLevel = CreateWindowSurface(top, SurfaceChoice::OffScreen);
    ASSERT_NE(topLevel, nullptr);
    EXPECT_EQ(topLevel->Geometry().x, (1280 - 681) / 2);
    EXPECT_EQ(topLevel->Geometry().y, 256);

    // Larger than the screen: a negative origin, rounded toward zero.
    top.place.width = 1361;
    EXPECT_EQ(CreateWindowSurface(top, SurfaceChoice::OffScreen)->Geometry().x, -40);
}

TEST(OffscreenSurface, RefusesSizesNoWindowSystemTakes) {
    EXPECT_EQ(MakeChild(-1, 10), nullptr);
    EXPECT_EQ(MakeChild(10, 40000), nullptr);
    auto surface = MakeChild(10, 10);
    EXPECT_FALSE(surface->Resize(40000, 10));
    EXPECT_FALSE(surface->Resize(10, -2));
    EXPECT_EQ(surface->QueryState().width, 10);
}

TEST(OffscreenSurface, ShowsMemoryRowZeroAtTheTopUnlessAskedOtherwise) {
    auto surface = MakeChild(16, 9);
    const Frame24 frame(16, 9);
    ASSERT_TRUE(surface->Draw(frame.View()));
    SurfacePicture picture;
    ASSERT_TRUE(surface->ReadBack(picture));
    ASSERT_EQ(picture.width, 16);
    ASSERT_EQ(picture.height, 9);
    EXPECT_EQ(CountMismatches(picture, 2, 16, 9), 0);

    ASSERT_TRUE(surface->Draw(frame.View(true)));
    ASSERT_TRUE(surface->ReadBack(picture));
    EXPECT_EQ(PictureAt(picture, 3, 0), PatternColor(3, 8));
    EXPECT_EQ(PictureAt(picture, 3, 8), PatternColor(3, 0));
}

TEST(OffscreenSurface, GraySamplesBecomeGrayPixels) {
    auto surface = MakeChild(5, 3);
    const std::vector<uint8_t> gray = {0,  1,  2,  3,  255, 9, 9, 9,  // stride 8
                                       10, 20, 30, 40, 50,  0, 0, 0, 7, 7, 7, 7, 7, 0, 0, 0};
    ASSERT_TRUE(surface->Draw(SurfaceFrame{gray.data(), 5, 3, 8, 8, false}));
    SurfacePicture picture;
    ASSERT_TRUE(surface->ReadBack(picture));
    EXPECT_EQ(PictureAt(picture, 4, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(PictureAt(picture, 2, 1), (Bgr{30, 30, 30}));
    EXPECT_EQ(PictureAt(picture, 0, 2), (Bgr{7, 7, 7}));
}

TEST(OffscreenSurface, ClipsToTheClientAreaAndKeepsTheRestBlack) {
    auto surface = MakeChild(12, 10);
    const Frame24 large(20, 30);
    ASSERT_TRUE(surface->Draw(large.View()));
    SurfacePicture picture;
    ASSERT_TRUE(surface->ReadBack(picture));
    EXPECT_EQ(CountMismatches(picture, 2, 12, 10), 0);

    auto fresh = MakeChild(12, 10);
    const Frame24 small(4, 3);
    ASSERT_TRUE(fresh->Draw(small.View()));
    ASSERT_TRUE(fresh->ReadBack(picture));
    EXPECT_EQ(PictureAt(picture, 3, 2), PatternColor(3, 2));
    EXPECT_EQ(PictureAt(picture, 4, 2), (Bgr{0, 0, 0}));
    EXPECT_EQ(PictureAt(picture, 11, 9), (Bgr{0, 0, 0}));
}

TEST(OffscreenSurface, RefusesFramesItCannotRead) {
    auto surface = MakeChild(8, 8);
    const Frame24 frame(8, 8);
    SurfaceFrame bad = frame.View();
    bad.pixels = nullptr;
    EXPECT_FALSE(surface->Draw(bad));
    bad = frame.View();
    bad.bitsPerPixel = 16;
    EXPECT_FALSE(surface->Draw(bad));
    bad = frame.View();
    bad.stride = 8 * 3 - 1;
    EXPECT_FALSE(surface->Draw(bad));
    bad = frame.View();
    bad.height = 0;
    EXPECT_FALSE(surface->Draw(bad));
}

TEST(OffscreenSurface, ResizeClearsToBackgroundAndVisibilityIsReported) {
    auto surface = MakeChild(8, 8);
    const Frame24 frame(8, 8);
    ASSERT_TRUE(surface->Draw(frame.View()));
    ASSERT_TRUE(surface->Resize(6, 4));
    SurfaceState state = surface->QueryState();
    EXPECT_TRUE(state.alive);
    EXPECT_TRUE(state.visible);
    EXPECT_EQ(state.width, 6);
    EXPECT_EQ(state.height, 4);
    SurfacePicture picture;
    ASSERT_TRUE(surface->ReadBack(picture));
    EXPECT_EQ(picture.bgr, std::vector<uint8_t>(6 * 4 * 3, 0));

    ASSERT_TRUE(surface->SetVisible(false));
    EXPECT_FALSE(surface->QueryState().visible);
    ASSERT_TRUE(surface->Resize(0, 0));
    state = surface->QueryState();
    EXPECT_EQ(state.width, 0);
    ASSERT_TRUE(surface->ReadBack(picture));
    EXPECT_TRUE(picture.bgr.empty());
}

TEST(WindowSurfaceFactory, EnvironmentCanForceTheOffscreenSurface) {
    const char* previous = std::getenv("PIXORA_PREVIEW_SURFACE");
    const std::string saved = previous != nullptr ? previous : "";
    setenv("PIXORA_PREVIEW_SURFACE", "offscreen", 1);
    SurfaceRequest request;
    request.place.width = 4;
    request.place.height = 4;
    auto surface = CreateWindowSurface(request, SurfaceChoice::Automatic);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->Kind(), SurfaceKind::OffScreen);
    EXPECT_EQ(surface->NativeId(), 0u);
    if (previous != nullptr) {
        setenv("PIXORA_PREVIEW_SURFACE", saved.c_str(), 1);
    } else {
        unsetenv("PIXORA_PREVIEW_SURFACE");
    }
}

}  // namespace
}  // namespace pixora::test
