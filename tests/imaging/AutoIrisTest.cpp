#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "FakeCamera.h"
#include "TestImages.h"
#include "imaging/AutoIris.h"
#include "simulator/ScenePattern.h"

namespace pixora {
namespace {

using test::FakeCamera;
using test::MakeImage;
using test::SampleAt;
using test::SetSample;
using ::testing::_;
using ::testing::StrictMock;

using test::SyncExposureCounter;

TEST(AutoIrisFactor, AllBrightAllDarkAndMiddle) {
    EXPECT_NEAR(ExposureFactor({201, 201, 201, 201, 201}), 0.25, 1e-12);
    EXPECT_NEAR(ExposureFactor({10, 10, 10, 10, 10}), 1.5, 1e-12);
    EXPECT_EQ(ExposureFactor({100, 130, 160, 120, 150}), 1.0);
    EXPECT_NEAR(ExposureFactor({170, 100, 100, 100, 100}), 0.9, 1e-12);
    EXPECT_NEAR(ExposureFactor({60, 170, 99, 49, 201}), 1.05 - 0.1 + 0.05 + 0.1 - 0.15, 1e-12);
}

TEST(AutoIrisFactor, DeadBand) {
    EXPECT_FALSE(InDeadBand(0.55));
    EXPECT_FALSE(InDeadBand(1.25));
    EXPECT_TRUE(InDeadBand(0.65));
    EXPECT_TRUE(InDeadBand(1.15));
    EXPECT_FALSE(InDeadBand(0.6));
    EXPECT_FALSE(InDeadBand(1.2));
}

TEST(AutoIrisFactor, NewGainAndExposure) {
    EXPECT_EQ(NextGain(400, 0.25, 0, 1023), 100);
    EXPECT_EQ(NextGain(400, 1.5, 0, 1023), 600);
    EXPECT_EQ(NextGain(0, 1.5, 0, 1023), 4);  // climbs out of zero
    EXPECT_EQ(NextGain(2, 1.25, 0, 1023), 4);
    EXPECT_EQ(NextGain(3, 0.25, 0, 1023), 0);  // no floor when darkening
    EXPECT_EQ(NextGain(900, 1.5, 0, 1023), 1023);
    EXPECT_EQ(NextGain(0, 1.5, 10, 1023), 10);
    EXPECT_EQ(NextExposure(64, 1.5, 8, 1068), 96);
    EXPECT_EQ(NextExposure(64, 0.25, 8, 1068), 16);
    EXPECT_EQ(NextExposure(20, 0.25, 8, 1068), 8);
    EXPECT_EQ(NextExposure(1000, 1.5, 8, 1068), 1068);
    EXPECT_EQ(NextExposure(0, 1.5, 0, 1068), 4);
}

TEST(AutoIrisWindows, TruncatedFractionsOfTheImage) {
    const std::array<PixelRect, 5> windows = IrisWindows(1360, 1024);
    EXPECT_EQ(windows[0].left, 136);
    EXPECT_EQ(windows[0].top, 102);
    EXPECT_EQ(windows[0].right, 272);
    EXPECT_EQ(windows[0].bottom, 204);
    EXPECT_EQ(windows[1].top, 819);
    EXPECT_EQ(windows[1].bottom, 921);
    EXPECT_EQ(windows[2].left, 612);
    EXPECT_EQ(windows[2].right, 748);
    EXPECT_EQ(windows[4].left, 1088);
    EXPECT_EQ(windows[4].right, 1224);
}

TEST(AutoIrisCounter, OneFrameInThreeAcrossThreads) {
    SyncExposureCounter();
    std::atomic<int> measured{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 300; ++i) {
                if (AdvanceExposureFrameCounter()) {
                    ++measured;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(measured.load(), 400);  // 1200 frames after a measured one
}

// An 8-bit raw image whose memory rows 80..90 % in the left column band (the first window
// in bottom-up coordinates) read `first`, and everything else `rest`.
ImageBuffer Windows(int32_t first, int32_t rest, uint16_t bits = 8) {
    ImageBuffer raw = MakeImage(100, 100, bits);
    for (int32_t row = 0; row < 100; ++row) {
        for (int32_t column = 0; column < 100; ++column) {
            const bool inFirst = row >= 80 && row < 90 && column >= 10 && column < 20;
            const int32_t level = inFirst ? first : rest;
            SetSample(raw, column, row, 0, bits == 16 ? level * 4 : level);
        }
    }
    return raw;
}

class AutoIrisTest : public ::testing::Test {
protected:
    AnalogSettings analog;
    FakeCamera camera;
};

TEST_F(AutoIrisTest, GainModeCorrectsOnTheThirdFrame) {
    analog.Set(AnalogField::AutoIris, kAutoIrisGain);
    analog.Set(AnalogField::GlobalGain, 400);
    ImageBuffer raw = Windows(250, 250);
    StrictMock<test::MockDialogs> dialogs;
    // e = 0.85 - 4 x 0.15 in double precision is a hair below 0.25: 400 x e truncates to 99.
    EXPECT_CALL(dialogs, ShowAnalogValue(AnalogField::GlobalGain, 99)).Times(1);

    SyncExposureCounter();
    EXPECT_EQ(RunAutoIris(analog, &raw, &camera, &dialogs), 0);
    EXPECT_EQ(RunAutoIris(analog, &raw, &camera, &dialogs), 0);
    EXPECT_TRUE(camera.gainsSent.empty());
    EXPECT_EQ(RunAutoIris(analog, &raw, &camera, &dialogs), 1);
    ASSERT_EQ(camera.gainsSent.size(), 1u);
    EXPECT_EQ(camera.gainsSent[0], 99);
    EXPECT_EQ(analog.Get(AnalogField::GlobalGain), 99);
    EXPECT_TRUE(camera.exposuresSent.empty());
}

TEST_F(AutoIrisTest, ExposureModeLengthensADarkPicture) {
    analog.Set(AnalogField::AutoIris, kAutoIrisExposure);
    analog.Set(AnalogField::Exposure, 100);
    ImageBuffer raw = Windows(10, 10, 16);
    StrictMock<test::MockDialogs> dialogs;
    EXPECT_CALL(dialogs, ShowAnalogValue(AnalogField::Exposure, 150)).Times(1);
    SyncExposureCounter();
    RunAutoIris(analog, &raw, &camera, &dialogs);
    RunAutoIris(analog, &raw, &camera, &dialogs);
    EXPECT_EQ(RunAutoIris(analog, &raw, &camera, &dialogs), 1);
    ASSERT_EQ(camera.exposuresSent.size(), 1u);
    EXPECT_EQ(camera.exposuresSent[0], 150);
    EXPECT_EQ(analog.Get(AnalogField::Exposure), 150);
}

TEST_F(AutoIrisTest, DeadBandChangesNothing) {
    analog.Set(AnalogField::AutoIris, kAutoIrisGain);
    analog.Set(AnalogField::GlobalGain, 300);
    ImageBuffer raw = Windows(130, 130);
    SyncExposureCounter();
    for (int i = 0; i < 3; ++i) {
        RunAutoIris(analog, &raw, &camera, nullptr);
    }
    EXPECT_TRUE(camera.gainsSent.empty());
    EXPECT_EQ(analog.Get(AnalogField::GlobalGain), 300);
}

TEST_F(AutoIrisTest, OnlyTheFirstWindowSetsTheBase) {
    // First window bright (0.85), the other four mid-range: e = 0.85, inside the band.
    analog.Set(AnalogField::AutoIris, kAutoIrisGain);
    analog.Set(AnalogField::GlobalGain, 300);
    ImageBuffer raw = Windows(250, 130);
    SyncExposureCounter();
    for (int i = 0; i < 3; ++i) {
        RunAutoIris(analog, &raw, &camera, nullptr);
    }
    EXPECT_TRUE(camera.gainsSent.empty());

    // First window dark, the others bright: 1.1 - 4 x 0.15 = 0.5, a correction.
    ImageBuffer mixed = Windows(20, 250);
    for (int i = 0; i < 3; ++i) {
        RunAutoIris(analog, &mixed, &camera, nullptr);
    }
    ASSERT_EQ(camera.gainsSent.size(), 1u);
    EXPECT_EQ(camera.gainsSent[0], 150);
}

TEST_F(AutoIrisTest, GainClimbsOutOfZero) {
    analog.Set(AnalogField::AutoIris, kAutoIrisGain);
    analog.Set(AnalogField::GlobalGain, 0);
    ImageBuffer raw = Windows(0, 0);
    SyncExposureCounter();
    for (int i = 0; i < 3; ++i) {
        RunAutoIris(analog, &raw, &camera, nullptr);
    }
    EXPECT_EQ(analog.Get(AnalogField::GlobalGain), 4);
}

TEST_F(AutoIrisTest, NothingWithoutModeImageOrCamera) {
    ImageBuffer raw = Windows(250, 250);
    analog.Set(AnalogField::AutoIris, kAutoIrisOff);
    EXPECT_EQ(RunAutoIris(analog, &raw, &camera, nullptr), 0);
    analog.Set(AnalogField::AutoIris, 3);
    EXPECT_EQ(RunAutoIris(analog, &raw, &camera, nullptr), 0);
    analog.Set(AnalogField::AutoIris, kAutoIrisGain);
    EXPECT_EQ(RunAutoIris(analog, nullptr, &camera, nullptr), 0);
    EXPECT_EQ(RunAutoIris(analog, &raw, nullptr, nullptr), 0);
    camera.open = false;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(RunAutoIris(analog, &raw, &camera, nullptr), 0);
    }
    EXPECT_TRUE(camera.gainsSent.empty());
}

TEST_F(AutoIrisTest, ImagesTooSmallForTheWindowsAreNotCorrected) {
    analog.Set(AnalogField::AutoIris, kAutoIrisExposure);
    analog.Set(AnalogField::Exposure, 100);
    ImageBuffer raw = MakeImage(4, 4, 8);  // every window truncates to nothing
    SyncExposureCounter();
    for (int i = 0; i < 3; ++i) {
        RunAutoIris(analog, &raw, &camera, nullptr);
    }
    EXPECT_TRUE(camera.exposuresSent.empty());
}

// The virtual camera's sensor: its gradient scene (every window sees a different level) at
// the current gain and exposure, as the device layer delivers it.
class VirtualSensor : public FakeCamera {
public:
    void Render(ImageBuffer& raw) const {
        const ScenePattern pattern(
            {SceneKind::Gradient, 1, static_cast<uint32_t>(gain), static_cast<uint32_t>(exposure)});
        for (int32_t row = 0; row < raw.Height(); ++row) {
            std::memcpy(test::PixelAt(raw, 0, row), pattern.Row(static_cast<uint32_t>(row)),
                        static_cast<size_t>(raw.Width()));
        }
    }
};

double CurrentFactor(const ImageBuffer& raw) {
    std::array<uint32_t, 5> means{};
    const std::array<PixelRect, 5> windows = IrisWindows(raw.Width(), raw.Height());
    for (size_t i = 0; i < windows.size(); ++i) {
        uint64_t sum = 0;
        uint64_t count = 0;
        const PixelRect& w = windows[i];
        for (int32_t row = raw.Height() - w.bottom; row < raw.Height() - w.top; ++row) {
            for (int32_t column = w.left; column < w.right; ++column) {
                sum += static_cast<uint64_t>(SampleAt(raw, column, row));
                ++count;
            }
        }
        means[i] = static_cast<uint32_t>(sum / count);
    }
    return ExposureFactor(means);
}

struct LoopCase {
    int32_t mode;
    int32_t gain;
    int32_t exposure;
};

class AutoIrisClosedLoop : public ::testing::TestWithParam<LoopCase> {};

TEST_P(AutoIrisClosedLoop, SettlesInsideTheDeadBand) {
    const LoopCase c = GetParam();
    AnalogSettings analog;
    analog.Set(AnalogField::AutoIris, c.mode);
    analog.Set(AnalogField::GlobalGain, c.gain);
    analog.Set(AnalogField::Exposure, c.exposure);
    VirtualSensor sensor;
    sensor.gain = c.gain;
    sensor.exposure = c.exposure;
    ImageBuffer raw = MakeImage(1360, 1024, 8);
    sensor.Render(raw);
    ASSERT_FALSE(InDeadBand(CurrentFactor(raw))) << "the start must be off";

    SyncExposureCounter();
    int32_t settledFrames = 0;
    for (int frame = 0; frame < 90 && settledFrames < 9; ++frame) {
        sensor.Render(raw);
        settledFrames = InDeadBand(CurrentFactor(raw)) ? settledFrames + 1 : 0;
        RunAutoIris(analog, &raw, &sensor, nullptr);
    }
    EXPECT_GE(settledFrames, 9) << "gain " << sensor.gain << " exposure " << sensor.exposure;
    EXPECT_EQ(analog.Get(AnalogField::GlobalGain), sensor.gain);
    EXPECT_EQ(analog.Get(AnalogField::Exposure), sensor.exposure);
}

INSTANTIATE_TEST_SUITE_P(VirtualCamera, AutoIrisClosedLoop,
                         ::testing::Values(LoopCase{kAutoIrisExposure, 656, 8},
                                           LoopCase{kAutoIrisExposure, 656, 1068},
                                           LoopCase{kAutoIrisGain, 0, 64},
                                           LoopCase{kAutoIrisGain, 1023, 400}),
                         [](const ::testing::TestParamInfo<LoopCase>& param) {
                             const LoopCase& c = param.param;
                             return std::string(c.mode == kAutoIrisGain ? "Gain" : "Exposure") +
                                    "From" + std::to_string(c.gain) + "x" +
                                    std::to_string(c.exposure);
                         });

}  // namespace
}  // namespace pixora
