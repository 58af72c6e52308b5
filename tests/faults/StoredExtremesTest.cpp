// Picture and analog settings are read back from the settings file as stored, without range
// checks. Whatever a damaged or hand-edited file holds, capturing in every colour mode must
// neither crash nor misbehave (the sanitizer builds watch the arithmetic) and must still
// deliver frames.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "BoundedCall.h"
#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"
#include "ScopedRegistry.h"
#include "StoredSettings.h"

namespace pixora::test {
namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

const char* const kFilterNames[] = {"Brightness", "Contrast", "Hue",    "Saturation", "Sharpness",
                                    "R_Gain",     "G_Gain",   "B_Gain", "Gamma",      "BayerMode"};
const char* const kGrayNames[] = {"Mode",     "GainR1",   "GainG1",   "GainG2",  "GainB1",
                                  "OffsetR1", "OffsetG1", "OffsetG2", "OffsetB1"};
const char* const kGainNames[] = {"Global",  "ColorG1",  "ColorR",   "ColorB",
                                  "ColorG2", "Exposure", "V_Mirror", "AutoIris"};

// Every stored picture and analog value set to `value`, except the gray mode and auto-iris
// mode, which select the code paths under test.
std::string ExtremeSettings(int32_t value, int32_t grayMode, int32_t autoIris) {
    std::string text = SettingsText(StoredFormat{});
    const std::string root = "\r\n[HKEY_CURRENT_USER\\Software\\Mendal\\Pixora530TZSdk\\";
    text += root + "Filter]\r\n";
    for (const char* name : kFilterNames)
        text += Dword(name, static_cast<uint32_t>(value));
    text += root + "Gray]\r\n";
    for (const char* name : kGrayNames) {
        const bool mode = std::string(name) == "Mode";
        text += Dword(name, static_cast<uint32_t>(mode ? grayMode : value));
    }
    text += root + "Gain]\r\n";
    for (const char* name : kGainNames) {
        const bool iris = std::string(name) == "AutoIris";
        text += Dword(name, static_cast<uint32_t>(iris ? autoIris : value));
    }
    return text;
}

struct Extreme {
    int32_t value;
    int32_t grayMode;
    int32_t autoIris;
};

class StoredExtremes : public ::testing::TestWithParam<Extreme> {
protected:
    void SetUp() override {
        PixoraSim_Reset();
        ASSERT_EQ(PixoraSim_Configure("cameras=0 fps=0 scene=bars maxwait=100"), 1);
        registry_.Write(
            ExtremeSettings(GetParam().value, GetParam().grayMode, GetParam().autoIris));
        frames_ = PixoraMsg_CreateWindow();
        camera_ = Pixora_Initialize(nullptr);
        ASSERT_NE(camera_, nullptr);
    }

    void TearDown() override {
        EXPECT_EQ(Pixora_Release(camera_), 1);
        PixoraMsg_DestroyWindow(frames_);
        PixoraSim_Reset();
    }

    ScopedRegistry registry_;
    PIXORA_HWND frames_ = nullptr;
    PIXORA_HANDLE camera_ = nullptr;
};

TEST_P(StoredExtremes, EveryColourModeCapturesAndStreams) {
    const StoredFormat format;
    std::vector<uint8_t> buffer(static_cast<size_t>(StrideOf(format.width, 64)) * format.height);
    for (int32_t bits : {8, 16, 24, 32, 48, 64}) {
        SCOPED_TRACE(bits);
        ASSERT_EQ(Pixora_SetColorMode(camera_, bits), 1);
        EXPECT_EQ(Bounded("Pixora_SnapShot",
                          [&] {
                              return Pixora_SnapShot(camera_, buffer.data(),
                                                     static_cast<int32_t>(buffer.size()), 1);
                          }),
                  1);
        ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, buffer.data(),
                                         static_cast<int32_t>(buffer.size()), 0),
                  1);
        PixoraMessage msg{};
        ASSERT_EQ(PixoraMsg_Get(frames_, &msg, 5000), 1);
        EXPECT_NE(msg.wParam, 0u);
        EXPECT_EQ(Bounded("Pixora_StopPreview", [&] { return Pixora_StopPreview(camera_); }), 1);
        while (PixoraMsg_Get(frames_, &msg, 0) == 1) {
        }
    }
}

std::string Signed(int32_t v) {
    return v == kMin   ? "Min"
           : v == kMax ? "Max"
           : v < 0     ? "Minus" + std::to_string(-static_cast<int64_t>(v))
                       : std::to_string(v);
}

std::string ExtremeName(const ::testing::TestParamInfo<Extreme>& param) {
    return Signed(param.param.value) + "_Gray" + Signed(param.param.grayMode) + "_Iris" +
           Signed(param.param.autoIris);
}

INSTANTIATE_TEST_SUITE_P(Values, StoredExtremes,
                         ::testing::Values(Extreme{kMin, 0, 0}, Extreme{kMax, 0, 0},
                                           Extreme{-1, 0, 0}, Extreme{100000, 0, 0},
                                           Extreme{kMin, 1, 0}, Extreme{kMax, 1, 0},
                                           Extreme{kMin, 2, 0}, Extreme{kMax, 2, 0},
                                           Extreme{kMax, 0, 1}, Extreme{kMin, 0, 2},
                                           Extreme{kMax, 7, 1}, Extreme{-1000, -1, -1}),
                         ExtremeName);

}  // namespace
}  // namespace pixora::test
