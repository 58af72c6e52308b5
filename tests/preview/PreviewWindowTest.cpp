// The preview window on the off-screen surface: creation of both variants, what each
// colour mode shows, 1:1 and scaled drawing, and the frames that must not be drawn.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "PreviewTestImages.h"
#include "image/ImageBuffer.h"
#include "preview/PreviewPlacement.h"
#include "preview/PreviewWindow.h"

namespace pixora::test {
namespace {

PreviewWindowRequest TopLevel(int imageWidth, int imageHeight, int step = 0) {
    PreviewWindowRequest request;
    request.imageWidth = imageWidth;
    request.imageHeight = imageHeight;
    request.subSampleStep = step;
    return request;
}

PreviewWindowRequest Child(int x, int y, int width, int height) {
    PreviewWindowRequest request;
    request.parent = reinterpret_cast<PIXORA_HWND>(uintptr_t{0x5000});
    request.place = Rect{x, y, width, height};
    return request;
}

TEST(PreviewPlacement, TopLevelClientIsTheImageDividedBySubSampling) {
    EXPECT_EQ(TopLevelClientSize(1360, 1024, 0).width, 1360);
    const PreviewClientSize half = TopLevelClientSize(1360, 1024, 1);
    EXPECT_EQ(half.width, 680);
    EXPECT_EQ(half.height, 512);
    const PreviewClientSize eighth = TopLevelClientSize(1361, 1023, 3);
    EXPECT_EQ(eighth.width, 170);
    EXPECT_EQ(eighth.height, 127);
    // Steps outside 0..3 divide by nothing.
    EXPECT_EQ(TopLevelClientSize(640, 480, 4).width, 640);
    EXPECT_EQ(TopLevelClientSize(640, 480, -1).height, 480);
}

TEST(PreviewPlacement, ClassNameCarriesTheOwnerAndDiffersPerWindow) {
    const void* owner = reinterpret_cast<const void*>(uintptr_t{0x12AB34CD});
    const std::string first = PreviewClassName(owner);
    const std::string prefix = "VideoRenderer_12ab34cd_";
    ASSERT_EQ(first.size(), prefix.size() + 8) << first;
    EXPECT_EQ(first.compare(0, prefix.size(), prefix), 0) << first;
    EXPECT_EQ(first.find_first_not_of("0123456789abcdef", prefix.size()), std::string::npos)
        << first;
    EXPECT_NE(PreviewClassName(owner), first);
}

TEST(PreviewWindowCreation, TopLevelVariantIsCentredAtTheSubSampledSize) {
    PreviewWindow window(SurfaceChoice::OffScreen);
    EXPECT_FALSE(window.HasWindow());
    EXPECT_EQ(window.ClassName(), "");
    int owner = 0;
    PreviewWindowRequest request = TopLevel(1360, 1024, 1);
    request.owner = &owner;
    ASSERT_TRUE(window.Open(request));
    EXPECT_TRUE(window.HasWindow());
    EXPECT_FALSE(window.IsChild());
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "VideoRenderer_%08x_",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(&owner)));
    EXPECT_EQ(window.ClassName().rfind(prefix, 0), 0u) << window.ClassName();
    const PreviewClientState client = window.ClientState();
    EXPECT_TRUE(client.exists);
    EXPECT_TRUE(client.visible);
    EXPECT_EQ(client.width, 680);
    EXPECT_EQ(client.height, 512);
    const SurfaceGeometry g = window.Geometry();
    EXPECT_EQ(g.x, (1920 - 680) / 2);
    EXPECT_EQ(g.y, (1080 - 512) / 2);
}

TEST(PreviewWindowCreation, ChildVariantTakesThePlacementUnchanged) {
    PreviewWindow window(SurfaceChoice::OffScreen);
    ASSERT_TRUE(window.Open(Child(-7, 13, 333, 111)));
    EXPECT_TRUE(window.IsChild());
    const SurfaceGeometry g = window.Geometry();
    EXPECT_EQ(g.x, -7);
    EXPECT_EQ(g.y, 13);
    EXPECT_EQ(g.width, 333);
    EXPECT_EQ(g.height, 111);
    EXPECT_EQ(window.NativeId(), 0u);
    EXPECT_EQ(window.Kind(), SurfaceKind::OffScreen);
}

TEST(PreviewWindowCreation, FailureLeavesNoWindowAndCloseEmptiesTheClassName) {
    PreviewWindow window(SurfaceChoice::OffScreen);
    ASSERT_TRUE(window.Open(Child(0, 0, 100, 100)));
    // A new window replaces the old one even when it cannot be made.
    EXPECT_FALSE(window.Open(Child(0, 0, 100000, 100)));
    EXPECT_FALSE(window.HasWindow());
    EXPECT_EQ(window.ClassName(), "");
    EXPECT_FALSE(window.Open(TopLevel(-1360, 1024)));

    ASSERT_TRUE(window.Open(TopLevel(64, 48)));
    EXPECT_FALSE(window.ClassName().empty());
    window.Close();
    EXPECT_FALSE(window.HasWindow());
    EXPECT_EQ(window.ClassName(), "");
    EXPECT_FALSE(window.ClientState().exists);
    window.Close();

    ModeImages images;
    FillForMode(images, 2, 64, 48);
    EXPECT_FALSE(window.DrawFrame(2, images.View()));
    SurfacePicture picture;
    EXPECT_FALSE(window.ReadBack(picture));
    EXPECT_FALSE(window.ResizeClient(10, 10));
    EXPECT_FALSE(window.SetVisible(true));
}

class PreviewDrawing : public ::testing::TestWithParam<int> {
protected:
    PreviewWindow window_{SurfaceChoice::OffScreen};
    ModeImages images_;
};

// Each colour mode shows its picture the right way up when the client area has the
// image's size; only the 16-bit mode goes through the display image.
TEST_P(PreviewDrawing, OneToOneShowsThePictureUpright) {
    const int mode = GetParam();
    FillForMode(images_, mode, 37, 23);
    ASSERT_TRUE(window_.Open(TopLevel(37, 23)));
    ASSERT_TRUE(window_.DrawFrame(mode, images_.View()));
    SurfacePicture picture;
    ASSERT_TRUE(window_.ReadBack(picture));
    ASSERT_EQ(picture.width, 37);
    ASSERT_EQ(picture.height, 23);
    EXPECT_EQ(CountMismatches(picture, mode, 37, 23), 0);
    EXPECT_EQ(images_.display->IsEmpty(), mode != 1);
}

// A client area of another size is drawn through the display image, made at the
// client's size and the mode's display depth.
TEST_P(PreviewDrawing, ScaledDrawingGoesThroughTheDisplayImage) {
    const int mode = GetParam();
    FillForMode(images_, mode, 40, 30);
    ASSERT_TRUE(window_.Open(Child(0, 0, 20, 15)));
    ASSERT_TRUE(window_.DrawFrame(mode, images_.View()));
    EXPECT_EQ(images_.display->Width(), 20);
    EXPECT_EQ(images_.display->Height(), 15);
    EXPECT_EQ(images_.display->BitsPerPixel(), mode <= 1 ? 8 : 24);
    SurfacePicture picture;
    ASSERT_TRUE(window_.ReadBack(picture));
    EXPECT_EQ(CountScaledMismatches(picture, mode, 40, 30, 20, 15), 0);
    // Top-left comes from the top of the picture, bottom-left from its bottom.
    EXPECT_EQ(PictureAt(picture, 0, 0), ShownColor(mode, 0, 1));
    EXPECT_EQ(PictureAt(picture, 0, 14), ShownColor(mode, 0, 29));
}

INSTANTIATE_TEST_SUITE_P(EveryColourMode, PreviewDrawing, ::testing::Range(0, 6));

TEST(PreviewDrawingResize, ResizingRecreatesTheDisplayImageAtTheNewSize) {
    PreviewWindow window(SurfaceChoice::OffScreen);
    ModeImages images;
    FillForMode(images, 2, 64, 48);
    ASSERT_TRUE(window.Open(TopLevel(64, 48)));
    ASSERT_TRUE(window.DrawFrame(2, images.View()));
    EXPECT_TRUE(images.display->IsEmpty());

    ASSERT_TRUE(window.ResizeClient(32, 24));
    ASSERT_TRUE(window.DrawFrame(2, images.View()));
    EXPECT_EQ(images.display->Width(), 32);
    SurfacePicture picture;
    ASSERT_TRUE(window.ReadBack(picture));
    EXPECT_EQ(CountScaledMismatches(picture, 2, 64, 48, 32, 24), 0);

    ASSERT_TRUE(window.ResizeClient(100, 90));
    ASSERT_TRUE(window.DrawFrame(2, images.View()));
    EXPECT_EQ(images.display->Width(), 100);
    EXPECT_EQ(images.display->Height(), 90);
    ASSERT_TRUE(window.ReadBack(picture));
    EXPECT_EQ(CountScaledMismatches(picture, 2, 64, 48, 100, 90), 0);

    // Back at the image's size: 1:1 again, the display image is left as it was.
    ASSERT_TRUE(window.ResizeClient(64, 48));
    FillForMode(images, 2, 64, 48, 9);
    ASSERT_TRUE(window.DrawFrame(2, images.View()));
    EXPECT_EQ(images.display->Width(), 100);
    ASSERT_TRUE(window.ReadBack(picture));
    EXPECT_EQ(CountMismatches(picture, 2, 64, 48, 9), 0);
}

TEST(PreviewDrawingResize, DisplayImageOfAnotherDepthIsMadeAnew) {
    PreviewWindow window(SurfaceChoice::OffScreen);
    ModeImages images;
    FillForMode(images, 0, 40, 30);
    ASSERT_EQ(images.display->Create(20, 15, 24), 1);
    ASSERT_TRUE(window.Open(Child(0, 0, 20, 15)));
    ASSERT_TRUE(window.DrawFrame(0, images.View()));
    EXPECT_EQ(images.display->BitsPerPixel(), 8);
    SurfacePicture picture;
    ASSERT_TRUE(window.ReadBack(picture));
    EXPECT_EQ(CountScaledMismatches(picture, 0, 40, 30, 20, 15), 0);
}

TEST(PreviewDrawingSkips, HiddenOrEmptyWindowsAreNotDrawnInto) {
    PreviewWindow window(SurfaceChoice::OffScreen);
    ModeImages first;
    FillForMode(first, 2, 16, 16, 1);
    ASSERT_TRUE(window.Open(TopLevel(16, 16)));
    ASSERT_TRUE(window.DrawFrame(2, first.View()));

    ModeImages second;
    FillForMode(second, 2, 16, 16, 2);
    ASSERT_TRUE(window.SetVisible(false));
    EXPECT_FALSE(window.ClientState().visible);
    EXPECT_FALSE(window.DrawFrame(2, second.View()));
    ASSERT_TRUE(window.SetVisible(true));
    SurfacePicture picture;
    ASSERT_TRUE(window.ReadBack(picture));
    EXPECT_EQ(CountMismatches(picture, 2, 16, 16, 1), 0);

    // A minimised window has no client area.
    ASSERT_TRUE(window.ResizeClient(0, 16));
    EXPECT_FALSE(window.DrawFrame(2, second.View()));
    EXPECT_TRUE(second.display->IsEmpty());
}

TEST(PreviewDrawingSkips, MissingOrMismatchedImagesAreNotDrawn) {
    PreviewWindow window(SurfaceChoice::OffScreen);
    ASSERT_TRUE(window.Open(TopLevel(16, 8)));
    ModeImages images;
    FillForMode(images, 3, 16, 8);

    EXPECT_FALSE(window.DrawFrame(6, images.View()));
    EXPECT_FALSE(window.DrawFrame(-1, images.View()));
    // Mode 4 has no 48-bit image here, mode 1 no 16-bit image.
    EXPECT_FALSE(window.DrawFrame(4, images.View()));
    EXPECT_FALSE(window.DrawFrame(1, images.View()));
    EXPECT_FALSE(window.DrawFrame(2, PreviewImages{}));

    PreviewImages noDisplay = images.View();
    noDisplay.display = nullptr;
    ASSERT_TRUE(window.ResizeClient(8, 4));
    EXPECT_FALSE(window.DrawFrame(3, noDisplay));

    // A conversion target of another size than its source is not used.
    ASSERT_EQ(images.image24->Create(15, 8, 24), 1);
    ASSERT_TRUE(window.ResizeClient(16, 8));
    EXPECT_FALSE(window.DrawFrame(3, images.View()));
    // An image of the wrong depth in a slot.
    PreviewImages swapped = images.View();
    swapped.image24 = images.image8.get();
    EXPECT_FALSE(window.DrawFrame(2, swapped));
}

TEST(PreviewDrawingSkips, ConversionLeavesTheOutputImageUntouched) {
    PreviewWindow window(SurfaceChoice::OffScreen);
    ModeImages images;
    FillForMode(images, 4, 12, 6);
    const std::vector<uint8_t> before(images.image48->Bits(),
                                      images.image48->Bits() + images.image48->SizeBytes());
    ASSERT_TRUE(window.Open(TopLevel(12, 6)));
    ASSERT_TRUE(window.DrawFrame(4, images.View()));
    EXPECT_TRUE(std::equal(before.begin(), before.end(), images.image48->Bits()));
}

}  // namespace
}  // namespace pixora::test
