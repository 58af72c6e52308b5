#include <cstring>
#include <vector>

#include "CameraFixture.h"

namespace pixora::test {
namespace {

using Snapshot = CameraTest;

constexpr int kWidth = 1360;
constexpr int kHeight = 1024;
// Colours of the eight bars of the "bars" scene, left to right (red, green, blue).
constexpr uint8_t kBars[8][3] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                 {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};

std::vector<uint8_t> Shot(PIXORA_HANDLE camera, int bits, int32_t rowOrder = 1) {
    std::vector<uint8_t> buffer(static_cast<size_t>(CameraTest::Stride(kWidth, bits)) * kHeight);
    EXPECT_EQ(Pixora_SetColorMode(camera, bits), 1);
    EXPECT_EQ(Pixora_SnapShot(camera, buffer.data(), static_cast<int32_t>(buffer.size()), rowOrder),
              1);
    return buffer;
}

TEST_F(Snapshot, ColourModesShowTheBarColours) {
    for (int bits : {24, 32, 48, 64}) {
        const std::vector<uint8_t> image = Shot(camera_, bits);
        const int bytes = bits / 8;
        const bool wide = bits >= 48;
        for (int bar = 0; bar < 8; ++bar) {
            const int x = bar * 170 + 85;
            const size_t at = static_cast<size_t>(300) * Stride(kWidth, bits) + x * bytes;
            for (int c = 0; c < 3; ++c) {
                // Channels are stored B, G, R; 10-bit modes hold words of 0..1023.
                int value =
                    wide ? (image[at + 2 * c] | image[at + 2 * c + 1] << 8) / 4 : image[at + c];
                const int expected = kBars[bar][2 - c] * 200 / 255;
                EXPECT_NEAR(value, expected, 30)
                    << bits << " bits, bar " << bar << " channel " << c;
            }
        }
    }
    EXPECT_TRUE(DrainErrors().empty());
}

TEST_F(Snapshot, MonochromeModesDeliverTheMosaic) {
    const std::vector<uint8_t> gray8 = Shot(camera_, 8);
    // The white bar reads about 200 on every site at the reference gain and exposure.
    EXPECT_NEAR(gray8[300 * Stride(kWidth, 8) + 85], 200, 30);
    const std::vector<uint8_t> gray16 = Shot(camera_, 16);
    const size_t at = static_cast<size_t>(300) * Stride(kWidth, 16) + 85 * 2;
    const int word = gray16[at] | gray16[at + 1] << 8;
    EXPECT_NEAR(word, 800, 120);
    EXPECT_LE(word, 1023);
}

TEST_F(Snapshot, RowOrderZeroDeliversTheLastMemoryRowFirst) {
    PixoraSim_SetScene(0, PIXORA_SIM_SCENE_GRADIENT);
    const std::vector<uint8_t> topDown = Shot(camera_, 24, 1);
    const std::vector<uint8_t> bottomUp = Shot(camera_, 24, 0);
    const size_t stride = Stride(kWidth, 24);
    for (int row : {0, 1, 511, 1023}) {
        EXPECT_EQ(
            0, std::memcmp(&bottomUp[row * stride], &topDown[(kHeight - 1 - row) * stride], stride))
            << row;
    }
}

TEST_F(Snapshot, NullBufferStillCapturesForGetImage) {
    ASSERT_EQ(Pixora_SetColorMode(camera_, 24), 1);
    EXPECT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
    std::vector<uint8_t> image(static_cast<size_t>(Stride(kWidth, 24)) * kHeight);
    EXPECT_EQ(Pixora_GetImage(camera_, image.data(), static_cast<int32_t>(image.size()), 1), 1);
    EXPECT_NEAR(image[300 * Stride(kWidth, 24) + 85 * 3], 200, 30);
    EXPECT_TRUE(DrainErrors().empty());
}

TEST_F(Snapshot, BufferOneByteShortFailsWithFive) {
    ASSERT_EQ(Pixora_SetColorMode(camera_, 32), 1);
    std::vector<uint8_t> buffer(static_cast<size_t>(Stride(kWidth, 32)) * kHeight - 1, 0xEE);
    EXPECT_EQ(Pixora_SnapShot(camera_, buffer.data(), static_cast<int32_t>(buffer.size()), 1), 0);
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{5});
    EXPECT_EQ(buffer.front(), 0xEE);
    EXPECT_EQ(Pixora_GetImage(camera_, nullptr, 0, 1), 0);
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{5});
}

TEST_F(Snapshot, GetImageBeforeAnyFrameHasNothingToCopy) {
    char buffer[16];
    EXPECT_EQ(Pixora_GetImage(camera_, buffer, sizeof buffer, 1), 0);
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{5});
}

TEST_F(Snapshot, CaptureModePreparesOnceUntilStopped) {
    ASSERT_EQ(Pixora_SetColorMode(camera_, 24), 1);
    constexpr int kSampleWidthCommand = 10;
    PixoraSim_ClearLog(0);
    EXPECT_EQ(Pixora_Capture(camera_), 1);
    EXPECT_EQ(Pixora_Capture(camera_), 1);
    const int32_t prepared = PixoraSim_CommandsReceived(0, kSampleWidthCommand);
    EXPECT_GE(prepared, 1);
    EXPECT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
    EXPECT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
    EXPECT_EQ(PixoraSim_CommandsReceived(0, kSampleWidthCommand), prepared);
    EXPECT_EQ(Pixora_StopPreview(camera_), 1);
    EXPECT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
    EXPECT_GT(PixoraSim_CommandsReceived(0, kSampleWidthCommand), prepared);
    EXPECT_EQ(Pixora_StopPreview(camera_), 1);  // idle: nothing to stop
}

TEST_F(Snapshot, SaveImageWritesTheLastFrame) {
    ASSERT_EQ(Pixora_SetColorMode(camera_, 24), 1);
    const std::string bmp = registry_.File() + ".bmp";
    EXPECT_EQ(Pixora_SaveImage(camera_, bmp.c_str(), PIXORA_SAVE_BMP), 0);  // nothing yet
    EXPECT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
    EXPECT_EQ(Pixora_SaveImage(camera_, bmp.c_str(), PIXORA_SAVE_BMP), 1);
    FILE* f = std::fopen(bmp.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::fseek(f, 0, SEEK_END);
    EXPECT_EQ(std::ftell(f), 4177974);
    std::fclose(f);
    EXPECT_EQ(Pixora_SaveImage(camera_, bmp.c_str(), 99), 0);
    EXPECT_EQ(Pixora_SaveImage(camera_, nullptr, PIXORA_SAVE_PNG), 0);
}

TEST_F(Snapshot, FailedTransferRecordsNothing) {
    PixoraSim_SetFault(0, PIXORA_SIM_FAULT_STALL, 0);
    EXPECT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 0);
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{});
    PixoraSim_SetFault(0, PIXORA_SIM_FAULT_NONE, 0);
    EXPECT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
}

// A stored capture window crops the sensor where it starts: 101 x 151 samples from column
// 151, row 201 are exactly those of the full frame, each on its own colour site (colour
// mode 8 delivers the raw mosaic). The gradient shows the place, the bars the colour sites.
TEST_F(Snapshot, StoredWindowCropsTheSensorAtItsStart) {
    constexpr int kX = 151, kY = 201, kW = 101, kH = 151;
    const int scenes[] = {PIXORA_SIM_SCENE_GRADIENT, PIXORA_SIM_SCENE_BARS};
    std::vector<std::vector<uint8_t>> full;
    for (int scene : scenes) {
        ASSERT_EQ(PixoraSim_SetScene(0, scene), 1);
        full.push_back(Shot(camera_, 8));
    }
    Pixora_Release(camera_);
    registry_.Write(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Mendal\\Pixora530TZSdk]\r\n"
        "\"Size\"=dword:00000000\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Mendal\\Pixora530TZSdk\\Size_00]\r\n"
        "\"TH\"=dword:00000550\r\n\"TV\"=dword:00000400\r\n"
        "\"EH\"=dword:00000065\r\n\"EV\"=dword:00000097\r\n"
        "\"EHS\"=dword:00000097\r\n\"EVS\"=dword:000000c9\r\n");
    camera_ = Pixora_Initialize(errors_);
    ASSERT_NE(camera_, nullptr);
    ASSERT_EQ(Pixora_SetColorMode(camera_, 8), 1);
    for (std::size_t s = 0; s < std::size(scenes); ++s) {
        ASSERT_EQ(PixoraSim_SetScene(0, scenes[s]), 1);
        std::vector<uint8_t> window(static_cast<size_t>(Stride(kW, 8)) * kH);
        ASSERT_EQ(Pixora_SnapShot(camera_, window.data(), static_cast<int32_t>(window.size()), 1),
                  1);
        for (int row = 0; row < kH; ++row) {
            const uint8_t* got = &window[static_cast<size_t>(row) * Stride(kW, 8)];
            const uint8_t* want = &full[s][static_cast<size_t>(kY + row) * Stride(kWidth, 8) + kX];
            ASSERT_EQ(0, std::memcmp(got, want, kW)) << "scene " << scenes[s] << " row " << row;
        }
    }
    EXPECT_TRUE(DrainErrors().empty());
}

TEST_F(Snapshot, StoredColourOutsideTheSixModesIsRefusedWithNine) {
    Pixora_Release(camera_);
    registry_.Write(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Mendal\\Pixora530TZSdk]\r\n"
        "\"Color\"=dword:00000007\r\n\"Size\"=dword:00000000\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Mendal\\Pixora530TZSdk\\Size_00]\r\n");
    camera_ = Pixora_Initialize(errors_);
    DrainErrors();
    EXPECT_EQ(Pixora_GetColorMode(camera_), -1);
    EXPECT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 0);
    EXPECT_EQ(Pixora_Capture(camera_), 0);
    EXPECT_EQ(Pixora_StartPreview(camera_), 0);
    EXPECT_EQ(DrainErrors(), (std::vector<int32_t>{9, 9, 9}));
    EXPECT_EQ(Pixora_SetColorMode(camera_, 8), 1);
    EXPECT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
}

}  // namespace
}  // namespace pixora::test
