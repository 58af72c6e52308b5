// The session's worker draws while the application thread opens, closes, resizes and
// reads the window back: every call must see a whole window and a whole frame.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "PreviewTestImages.h"
#include "preview/PreviewWindow.h"

namespace pixora::test {
namespace {

// True when the picture is all black (nothing drawn yet) or one whole frame of a seed.
bool IsWholeFrame(const SurfacePicture& picture, int width, int height) {
    if (picture.width != width || picture.height != height) {
        return true;  // resized meanwhile: cleared to black or drawn scaled, not checked
    }
    if (std::all_of(picture.bgr.begin(), picture.bgr.end(), [](uint8_t b) { return b == 0; })) {
        return true;
    }
    for (int seed : {1, 2}) {
        if (CountMismatches(picture, 2, width, height, seed) == 0) {
            return true;
        }
    }
    return false;
}

TEST(PreviewConcurrency, WorkerDrawsWhileTheApplicationManagesTheWindow) {
    constexpr int kWidth = 48;
    constexpr int kHeight = 32;
    PreviewWindow window(SurfaceChoice::OffScreen);
    PreviewWindowRequest request;
    request.imageWidth = kWidth;
    request.imageHeight = kHeight;
    ASSERT_TRUE(window.Open(request));

    ModeImages frames[2];
    FillForMode(frames[0], 2, kWidth, kHeight, 1);
    FillForMode(frames[1], 2, kWidth, kHeight, 2);
    std::atomic<bool> stop{false};
    std::atomic<int> drawn{0};
    std::thread worker([&] {
        for (int i = 0; !stop.load(); ++i) {
            if (window.DrawFrame(2, frames[i % 2].View())) {
                drawn.fetch_add(1);
            }
        }
    });

    // Rounds go on until the worker has drawn a good number of frames (bounded, should
    // drawing fail), so both threads really interleave however they are scheduled.
    int torn = 0;
    for (int round = 0; round < 300 || (drawn.load() < 100 && round < 100000); ++round) {
        SurfacePicture picture;
        if (window.ReadBack(picture) && !IsWholeFrame(picture, kWidth, kHeight)) {
            ++torn;
        }
        switch (round % 30) {
            case 10:
                window.ResizeClient(kWidth / 2, kHeight / 2);
                break;
            case 12:
                window.ResizeClient(kWidth, kHeight);
                break;
            case 15:
                window.SetVisible(false);
                break;
            case 16:
                window.SetVisible(true);
                break;
            case 20:
                window.Close();
                break;
            case 22:
                EXPECT_TRUE(window.Open(request));
                break;
            default:
                (void)window.ClientState();
        }
        std::this_thread::yield();
    }
    stop = true;
    worker.join();
    EXPECT_EQ(torn, 0);
    EXPECT_GE(drawn.load(), 100);
}

}  // namespace
}  // namespace pixora::test
