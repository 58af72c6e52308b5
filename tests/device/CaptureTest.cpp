// Single captures: what goes on the wire, results, the busy rules, a limited wait that
// expires, and converting the captured frame.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "FakeDriverPort.h"
#include "device/DeviceResult.h"
#include "device/PixoraDevice.h"
#include "image/ImageBuffer.h"
#include "platform/Clock.h"

namespace pixora {
namespace {

using test::FakeDriverPort;
using test::Request;

class CaptureTest : public ::testing::Test {
protected:
    CaptureTest() : device(port.Port()) { port.ClearLog(); }

    // Repeats FinishCapture until the worker has stored its result.
    int32_t CollectCapture() {
        for (int i = 0; i < 2000; ++i) {
            const int32_t result = device.FinishCapture();
            if (result != kDevBusy) {
                return result;
            }
            SleepMs(5);
        }
        return kDevBusy;
    }

    FakeDriverPort port;
    PixoraDevice device;
};

TEST_F(CaptureTest, OneWholeFrameOnPipeTwoWithoutAFrameRequest) {
    ASSERT_EQ(device.CaptureFrame(), kDevOk);
    const auto log = port.Log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].kind, Request::kOpen);
    EXPECT_EQ(log[0].path, "\\\\.\\Qvo530TZ-0");
    EXPECT_EQ(log[1].code, 0x222051u);
    EXPECT_EQ(log[1].in, (std::vector<uint8_t>{2, 0, 0, 0}));
    EXPECT_EQ(log[1].outSize, 1859584u);
    EXPECT_EQ(log[2].kind, Request::kClose);
    EXPECT_EQ(device.FinishCapture(), kDevOk);
    EXPECT_EQ(port.OpenHandles(), 0);
}

TEST_F(CaptureTest, TenBitSamplesDoubleTheByteCount) {
    device.SetSampleWidth(1);
    port.ClearLog();
    ASSERT_EQ(device.CaptureFrame(), kDevOk);
    EXPECT_EQ(port.Log()[1].outSize, 3719168u);
}

TEST_F(CaptureTest, ACameraGoneBeforeTheFrameIsATransferFailure) {
    port.FailFramesAfter(0);
    EXPECT_EQ(device.CaptureFrame(), kDevTransferFailed);
    EXPECT_EQ(port.OpenHandles(), 0);
}

TEST_F(CaptureTest, WhileACaptureRunsEverythingThatTouchesItsBufferIsBusy) {
    ASSERT_EQ(device.SetWindow(0, 0, 16, 8, 0), kDevOk);
    port.SetGated(true);
    int32_t first = -1;
    std::thread capture([&] { first = device.CaptureFrame(); });
    ASSERT_TRUE(port.WaitFrameReadsStarted(1));

    EXPECT_EQ(device.CaptureFrame(), kDevBusy);
    EXPECT_EQ(device.FinishCapture(), kDevBusy);
    std::vector<uint8_t> pixels(16 * 8);
    EXPECT_EQ(device.ConvertFrame(RawDestination{pixels.data(), pixels.size()}), kDevBusy);
    EXPECT_EQ(device.SetFrameGeometry(1791, 424, 1360, 1060, 14, 1024, 10), kDevBusy);
    EXPECT_EQ(device.SetWindow(0, 0, 32, 8, 0), kDevBusy);
    EXPECT_EQ(device.Window().width, 16);

    port.ReleaseFrames(1);
    capture.join();
    EXPECT_EQ(first, kDevOk);
    EXPECT_EQ(device.FinishCapture(), kDevOk);
    EXPECT_EQ(device.ConvertFrame(RawDestination{pixels.data(), pixels.size()}), kDevOk);
    EXPECT_EQ(pixels.front(), 1);
}

TEST_F(CaptureTest, AnExpiredLimitedWaitLeavesTheWorkerToFinishOnItsOwn) {
    ASSERT_EQ(device.SetWindow(0, 0, 16, 8, 0), kDevOk);
    device.SetCaptureWaitLimited(1);
    device.SetTransferTimeout(20);
    port.SetDefaultTimeout(60000);  // the driver itself waits much longer
    port.SetGated(true);

    EXPECT_EQ(device.CaptureFrame(), kDevTransferFailed);
    EXPECT_EQ(device.FinishCapture(), kDevBusy);
    EXPECT_EQ(device.CaptureFrame(), kDevBusy);

    port.ReleaseFrames(1);
    EXPECT_EQ(CollectCapture(), kDevOk);
    std::vector<uint8_t> pixels(16 * 8);
    EXPECT_EQ(device.ConvertFrame(RawDestination{pixels.data(), pixels.size()}), kDevOk);
    EXPECT_EQ(pixels.back(), 1);
    // The next capture starts cleanly.
    port.ReleaseFrames(1);
    EXPECT_EQ(device.CaptureFrame(), kDevOk);
    EXPECT_EQ(port.OpenHandles(), 0);
}

TEST(CaptureLifetime, DestroyingTheDeviceWaitsForAnOutstandingCapture) {
    FakeDriverPort port;
    {
        PixoraDevice device(port.Port());
        device.SetCaptureWaitLimited(1);
        device.SetTransferTimeout(10);
        port.SetDefaultTimeout(60000);
        port.SetGated(true);
        EXPECT_EQ(device.CaptureFrame(), kDevTransferFailed);
        port.ReleaseFrames(1);
    }
    EXPECT_EQ(port.OpenHandles(), 0);
    EXPECT_EQ(port.FramesCompleted(), 1);
}

TEST_F(CaptureTest, ConvertFrameRefusesMissingOrSmallDestinations) {
    ASSERT_EQ(device.SetWindow(0, 0, 16, 8, 0), kDevOk);
    ASSERT_EQ(device.CaptureFrame(), kDevOk);
    std::vector<uint8_t> pixels(16 * 8, 0xEE);
    EXPECT_EQ(device.ConvertFrame(RawDestination{}), kDevNoBuffer);
    EXPECT_EQ(device.ConvertFrame(RawDestination{pixels.data(), pixels.size() - 1}), kDevNoBuffer);
    EXPECT_EQ(device.ConvertFrame(RawDestination{pixels.data(), pixels.size(), 15}), kDevNoBuffer);
    EXPECT_EQ(device.ConvertFrame(RawDestination{pixels.data(), pixels.size(), 0, 2}),
              kDevNoBuffer);
    EXPECT_EQ(pixels[0], 0xEE);
    EXPECT_EQ(device.ConvertFrame(RawDestination{pixels.data(), pixels.size()}), kDevOk);
    EXPECT_EQ(pixels[0], 1);
}

TEST_F(CaptureTest, ConvertFrameIntoAnImageUsesItsStrideAndDepth) {
    ASSERT_EQ(device.SetWindow(0, 0, 1001, 4, 0), kDevOk);
    ASSERT_EQ(device.CaptureFrame(), kDevOk);
    ImageBuffer image;
    ASSERT_EQ(image.Create(1001, 4, 8), 1);
    ASSERT_EQ(image.Stride(), 1004);
    ASSERT_EQ(device.ConvertFrame(image), kDevOk);
    for (int row = 0; row < 4; ++row) {
        const uint8_t* line = image.Bits() + row * image.Stride();
        EXPECT_EQ(line[0], 1);
        EXPECT_EQ(line[1000], 1);
        EXPECT_EQ(line[1001], 0);  // padding untouched
    }
    ImageBuffer wide;
    ASSERT_EQ(wide.Create(1001, 4, 16), 1);
    EXPECT_EQ(device.ConvertFrame(wide), kDevNoBuffer);  // 8-bit samples need an 8-bit image
    ImageBuffer small;
    ASSERT_EQ(small.Create(1000, 4, 8), 1);
    EXPECT_EQ(device.ConvertFrame(small), kDevNoBuffer);
    ImageBuffer empty;
    EXPECT_EQ(device.ConvertFrame(empty), kDevNoBuffer);
}

TEST_F(CaptureTest, TenBitFramesConvertIntoSixteenBitValues) {
    ASSERT_EQ(device.SetWindow(0, 0, 8, 4, 0), kDevOk);
    device.SetSampleWidth(1);
    ASSERT_EQ(device.CaptureFrame(), kDevOk);  // every byte of frame 1 is 0x01
    ImageBuffer image;
    ASSERT_EQ(image.Create(8, 4, 16), 1);
    ASSERT_EQ(device.ConvertFrame(image), kDevOk);
    uint16_t value = 0;
    std::memcpy(&value, image.Bits(), 2);
    EXPECT_EQ(value, 1 * 4 + 1);
}

}  // namespace
}  // namespace pixora
