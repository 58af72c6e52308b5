// The capture window set through its four controls: a snapshot of a window is the same part
// of the full picture of the virtual camera's scene in every colour mode, exactly where no
// interpolation is involved (the gray modes) and inside a two-pixel border where the colour
// interpolation sees only the window, whatever the window's start does to the mosaic.
#include <cstring>
#include <string>
#include <vector>

#include "CameraFixture.h"
#include "PixoraExtensions.h"

namespace pixora::test {
namespace {

struct Window {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// Starts at every parity of column and row, the smallest window the camera takes at an odd
// column and in the far corner, and a window of whole rows.
const Window kWindows[] = {
    {101, 33, 681, 501}, {100, 32, 64, 48},  {7, 10, 33, 21},    {12, 3, 40, 17},
    {1, 0, 4, 3},        {1356, 1021, 4, 3}, {0, 1, 1360, 1023},
};

class CaptureWindow : public CameraTest {
protected:
    void SetWindow(const Window& w) {
        const std::pair<const char*, int32_t> values[] = {{"offset-x", 0},    {"offset-y", 0},
                                                          {"width", w.width}, {"height", w.height},
                                                          {"offset-x", w.x},  {"offset-y", w.y}};
        for (const auto& [name, value] : values)
            ASSERT_EQ(PixoraEx_SetControl(camera_, PixoraEx_FindControl(name), value), 1) << name;
    }

    // A snapshot with its top row first (rowOrder 1): rows of width x bytes per pixel, without
    // the padding.
    std::vector<uint8_t> Snapshot(int32_t bits) {
        const int32_t width = Pixora_Width(camera_);
        const int32_t height = Pixora_Height(camera_);
        const int32_t stride = Stride(width, bits);
        std::vector<uint8_t> padded(static_cast<size_t>(stride) * height);
        EXPECT_EQ(Pixora_SnapShot(camera_, padded.data(), static_cast<int32_t>(padded.size()), 1),
                  1);
        const size_t row = static_cast<size_t>(width) * bits / 8;
        std::vector<uint8_t> packed(row * height);
        for (int32_t y = 0; y < height; ++y)
            std::memcpy(&packed[row * y], &padded[static_cast<size_t>(stride) * y], row);
        return packed;
    }

    // Compares the window's picture with the same part of the full picture, leaving out
    // `border` pixels at each edge of the window; the number of bytes that differ.
    static size_t Differences(const std::vector<uint8_t>& full, const std::vector<uint8_t>& part,
                              const Window& w, int32_t bits, int32_t border, int32_t fullRow0) {
        const size_t pixel = static_cast<size_t>(bits / 8);
        size_t differ = 0;
        for (int32_t y = border; y < w.height - border; ++y) {
            const uint8_t* a = &full[((fullRow0 + y) * 1360 + w.x + border) * pixel];
            const uint8_t* b = &part[(y * w.width + border) * pixel];
            const size_t bytes = (w.width - 2 * border) * pixel;
            for (size_t i = 0; i < bytes && w.width > 2 * border; ++i)
                differ += a[i] != b[i] ? 1 : 0;
        }
        return differ;
    }

    void CompareWindowsWithTheFullPicture(int32_t bits, int32_t border) {
        ASSERT_EQ(Pixora_SetColorMode(camera_, bits), 1);
        SetWindow({0, 0, 1360, 1024});
        const std::vector<uint8_t> full = Snapshot(bits);
        for (const Window& w : kWindows) {
            SCOPED_TRACE(std::to_string(bits) + " bits, window " + std::to_string(w.width) + "x" +
                         std::to_string(w.height) + " at " + std::to_string(w.x) + "," +
                         std::to_string(w.y));
            SetWindow(w);
            const std::vector<uint8_t> part = Snapshot(bits);
            ASSERT_EQ(part.size(), static_cast<size_t>(w.width) * w.height * bits / 8);
            EXPECT_EQ(Differences(full, part, w, bits, border, w.y), 0u);
        }
        EXPECT_EQ(DrainErrors(), std::vector<int32_t>{});
    }
};

TEST_F(CaptureWindow, GrayPicturesAreTheCropExactly) {
    CompareWindowsWithTheFullPicture(8, 0);
    CompareWindowsWithTheFullPicture(16, 0);
}

TEST_F(CaptureWindow, ColourPicturesAreTheCropInsideATwoPixelBorder) {
    for (int32_t bits : {24, 32, 48, 64})
        CompareWindowsWithTheFullPicture(bits, 2);
}

TEST_F(CaptureWindow, GrayGainsPerSiteFollowTheWindowsStart) {
    // "Bayer convert" weighs each site of the mosaic by its colour: a window at an odd start
    // must weigh the same sensor samples as the full picture does.
    const std::pair<const char*, int32_t> gray[] = {
        {"gray-mode", 1},    {"gray-gain-r", 200}, {"gray-gain-g1", 128}, {"gray-gain-g2", 90},
        {"gray-gain-b", 40}, {"gray-offset-r", 7}, {"gray-offset-b", -9}};
    for (const auto& [name, value] : gray)
        ASSERT_EQ(PixoraEx_SetControl(camera_, PixoraEx_FindControl(name), value), 1) << name;
    CompareWindowsWithTheFullPicture(8, 0);
    // The luma of the colour picture: interpolated, so inside the border.
    ASSERT_EQ(PixoraEx_SetControl(camera_, PixoraEx_FindControl("gray-mode"), 2), 1);
    CompareWindowsWithTheFullPicture(8, 2);
}

TEST_F(CaptureWindow, AMirroredWindowIsTheSamePartOfTheMirroredPicture) {
    ASSERT_EQ(Pixora_SetMirrorV(camera_, 1), 1);
    ASSERT_EQ(Pixora_SetColorMode(camera_, 24), 1);
    SetWindow({0, 0, 1360, 1024});
    const std::vector<uint8_t> full = Snapshot(24);
    for (const Window& w : kWindows) {
        SCOPED_TRACE(std::to_string(w.x) + "," + std::to_string(w.y));
        SetWindow(w);
        const std::vector<uint8_t> part = Snapshot(24);
        // The window's top row is the full picture's row 1024 - y - height.
        EXPECT_EQ(Differences(full, part, w, 24, 2, 1024 - w.y - w.height), 0u);
    }
}

// A frame queue's processed frames of a window at an odd start are the window's snapshot:
// the queue's worker reads the mosaic by the pattern the window starts with too.
TEST_F(CaptureWindow, QueueFramesOfAWindowAreItsSnapshot) {
    const Window w = kWindows[0];
    for (int32_t bits : {8, 24}) {
        SCOPED_TRACE(bits);
        ASSERT_EQ(Pixora_SetColorMode(camera_, bits), 1);
        SetWindow(w);
        const std::vector<uint8_t> snapshot = Snapshot(bits);
        ASSERT_EQ(PixoraEx_OpenStream(camera_, nullptr), 1);
        PixoraStreamFrame frame{};
        frame.size = sizeof frame;
        ASSERT_EQ(PixoraEx_TakeFrame(camera_, &frame, 10000), PIXORA_TAKE_FRAME);
        ASSERT_EQ(frame.width, w.width);
        ASSERT_EQ(frame.height, w.height);
        const size_t row = static_cast<size_t>(w.width) * bits / 8;
        size_t differ = 0;
        for (int32_t y = 0; y < w.height; ++y) {
            const auto* taken = static_cast<const uint8_t*>(frame.pixels.data) +
                                static_cast<size_t>(frame.stride) * y;
            differ += std::memcmp(taken, &snapshot[row * y], row) != 0 ? 1 : 0;
        }
        EXPECT_EQ(differ, 0u) << "rows differ";
        EXPECT_EQ(PixoraEx_ReturnFrame(&frame), 1);
        EXPECT_EQ(PixoraEx_CloseStream(camera_), 1);
    }
}

}  // namespace
}  // namespace pixora::test
