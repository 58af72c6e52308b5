// Picture and analog settings, registers, device selection and persistence through the
// public interface.
#include <cstring>
#include <string>

#include "CameraFixture.h"

namespace pixora::test {
namespace {

using Settings = CameraTest;

int32_t Get(PIXORA_HANDLE camera, int32_t index, int32_t* ok = nullptr) {
    return Pixora_GetFilterValue(camera, index, ok);
}

TEST_F(Settings, FirstRunDefaults) {
    EXPECT_EQ(Pixora_GetColorMode(camera_), 24);
    EXPECT_EQ(Pixora_GetWaitTime(camera_), 10);
    EXPECT_EQ(Pixora_Width(camera_), 1360);
    EXPECT_EQ(Pixora_Height(camera_), 1024);
    EXPECT_EQ(Get(camera_, PIXORA_FILTER_GLOBAL_GAIN), 656);
    EXPECT_EQ(Get(camera_, PIXORA_FILTER_EXPOSURE_TIME), 64);
    for (int index : {PIXORA_FILTER_BAYER_GAIN_RED, PIXORA_FILTER_BAYER_GAIN_GREEN,
                      PIXORA_FILTER_BAYER_GAIN_BLUE, PIXORA_FILTER_GAMMA}) {
        EXPECT_EQ(Get(camera_, index), 100) << index;
    }
    EXPECT_EQ(Get(camera_, PIXORA_FILTER_BAYER_MODE), 3);
    for (int index = PIXORA_FILTER_GRAY_GAIN_R; index <= PIXORA_FILTER_GRAY_GAIN_B; ++index) {
        EXPECT_EQ(Get(camera_, index), 128) << index;
    }
    EXPECT_EQ(Get(camera_, PIXORA_FILTER_GRAY_MODE), 0);
    // Gain and exposure reached the camera.
    EXPECT_EQ(PixoraSim_ReadRegister(0, 6) | PixoraSim_ReadRegister(0, 7) << 6, 656);
    EXPECT_EQ(PixoraSim_ReadRegister(0, 158) | PixoraSim_ReadRegister(0, 159) << 6, 64);
}

TEST_F(Settings, RangesAreCheckedNeverClamped) {
    struct Case {
        int32_t index, low, high;
    };
    const Case cases[] = {{1, -255, 255}, {2, -127, 127}, {3, -360, 360}, {4, -255, 255},
                          {5, 0, 30},     {7, 0, 400},    {8, 0, 400},    {9, 0, 400},
                          {11, 0, 200},   {12, 0, 3},     {13, 0, 1023},  {18, 0, 1067},
                          {19, 0, 2},     {20, 0, 255},   {23, 0, 255},   {24, -255, 255},
                          {27, -255, 255}};
    for (const Case& c : cases) {
        EXPECT_EQ(Pixora_SetFilterValue(camera_, c.index, c.low), 1) << c.index;
        EXPECT_EQ(Pixora_SetFilterValue(camera_, c.index, c.high), 1) << c.index;
        EXPECT_EQ(Pixora_SetFilterValue(camera_, c.index, c.low - 1), 0) << c.index;
        EXPECT_EQ(Pixora_SetFilterValue(camera_, c.index, c.high + 1), 0) << c.index;
        EXPECT_EQ(DrainErrors(), (std::vector<int32_t>{9, 9})) << c.index;
        if (c.index != 13 && c.index != 18) {
            EXPECT_EQ(Get(camera_, c.index), c.high) << c.index;
        }
    }
    for (int32_t index : {0, 14, 15, 16, 17, 28, -1}) {
        int32_t ok = 7;
        EXPECT_EQ(Pixora_SetFilterValue(camera_, index, 0), 0) << index;
        EXPECT_EQ(Pixora_GetFilterValue(camera_, index, &ok), 0) << index;
        EXPECT_EQ(ok, 0);
        EXPECT_EQ(DrainErrors(), (std::vector<int32_t>{9, 9})) << index;
    }
}

TEST_F(Settings, PackedBayerGains) {
    EXPECT_EQ(Pixora_SetBayerGainRGB(camera_, 50 | 100 << 8 | 200 << 16 | 0x7F << 24), 1);
    EXPECT_EQ(Pixora_GetBayerGainRed(camera_, nullptr), 50);
    EXPECT_EQ(Pixora_GetBayerGainGreen(camera_, nullptr), 100);
    EXPECT_EQ(Pixora_GetBayerGainBlue(camera_, nullptr), 200);
    EXPECT_EQ(Pixora_GetBayerGainRGB(camera_, nullptr), 50 | 100 << 8 | 200 << 16);
    EXPECT_EQ(Pixora_SetBayerGainRed(camera_, 400), 1);
    EXPECT_EQ(Pixora_GetBayerGainRGB(camera_, nullptr) & 0xFF, 0x90);
    EXPECT_EQ(Pixora_SetBayerGainAuto(camera_, 42), 1);
    EXPECT_EQ(Pixora_GetBayerGainAuto(camera_, nullptr), 1);
}

TEST_F(Settings, GainAndExposureGoToTheCamera) {
    EXPECT_EQ(Pixora_SetGlobalGain(camera_, 1023), 1);
    EXPECT_EQ(PixoraSim_ReadRegister(0, 6) | PixoraSim_ReadRegister(0, 7) << 6, 1023);
    int32_t ok = 0;
    EXPECT_EQ(Pixora_GetGlobalGain(camera_, &ok), 1023);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(Pixora_SetExposureTime(camera_, 0), 1);  // stored as 0, the camera takes 8
    EXPECT_EQ(Pixora_GetExposureTime(camera_, nullptr), 8);
    EXPECT_EQ(PixoraSim_ReadRegister(0, 158) | PixoraSim_ReadRegister(0, 159) << 6, 8);
    EXPECT_EQ(Pixora_SetColorGainRed(camera_, 5), 0);
    EXPECT_EQ(Pixora_GetColorGainBlue(camera_, &ok), 0);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(DrainErrors(), (std::vector<int32_t>{9, 9}));
}

TEST_F(Settings, MirrorAutoIrisAndRegisters) {
    EXPECT_EQ(Pixora_SetMirrorV(camera_, 5), 1);
    EXPECT_EQ(Pixora_GetMirrorV(camera_), 1);
    EXPECT_EQ(Pixora_SetAutoIris(camera_, 3), 0);
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{9});
    EXPECT_EQ(Pixora_SetAutoIris(camera_, 2), 1);
    EXPECT_EQ(Pixora_GetAutoIris(camera_, nullptr), 2);
    // The sensor table left register 17 at 30 and 32 at 11.
    int32_t ok = 0;
    EXPECT_EQ(Pixora_ReadRegister(camera_, 17, &ok), 30);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(Pixora_ReadRegister(camera_, 32, &ok), 11);
    EXPECT_EQ(Pixora_WriteRegister(camera_, 0x120, 0x1FF25), 1);  // register 0x20, value 0xFF25
    EXPECT_EQ(PixoraSim_ReadRegister(0, 0x20), 0x25);
    EXPECT_EQ(Pixora_WriteRegister(camera_, 200, 1), 0);
    EXPECT_EQ(Pixora_ReadRegister(camera_, 200, &ok), 0);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(DrainErrors(), (std::vector<int32_t>{6, 6}));
}

TEST_F(Settings, ReleaseSavesAndTheNextSessionLoads) {
    Pixora_SetBrightness(camera_, -12);
    Pixora_SetGrayOffsetB(camera_, 7);
    Pixora_SetGlobalGain(camera_, 500);
    Pixora_SetExposureTime(camera_, 300);
    ASSERT_EQ(Pixora_Release(camera_), 1);
    camera_ = Pixora_Initialize(errors_);
    EXPECT_EQ(Pixora_GetBrightness(camera_, nullptr), -12);
    EXPECT_EQ(Pixora_GetGrayOffsetB(camera_, nullptr), 7);
    EXPECT_EQ(Pixora_GetGlobalGain(camera_, nullptr), 500);
    EXPECT_EQ(Pixora_GetExposureTime(camera_, nullptr), 300);
    EXPECT_NE(registry_.Text().find("\"Brightness\"=dword:fffffff4"), std::string::npos);
}

TEST_F(Settings, GainSubkeyWithOnlyGlobalFillsTheColourGains) {
    ASSERT_EQ(Pixora_Release(camera_), 1);
    registry_.Write(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Mendal\\Pixora530TZSdk\\Gain]\r\n"
        "\"Global\"=dword:000001f4\r\n");
    camera_ = Pixora_Initialize(errors_);
    EXPECT_EQ(Pixora_GetGlobalGain(camera_, nullptr), 500);
    ASSERT_EQ(Pixora_Release(camera_), 1);
    camera_ = nullptr;
    const std::string text = registry_.Text();
    for (const char* name : {"ColorG1", "ColorR", "ColorB", "ColorG2"}) {
        EXPECT_NE(text.find(std::string("\"") + name + "\"=dword:000001f4"), std::string::npos)
            << name;
    }
}

TEST_F(Settings, EnumerationCountsCamerasWhileNamesUseTheIndex) {
    ASSERT_EQ(Pixora_Release(camera_), 1);
    PixoraSim_Configure("cameras=1,3");
    camera_ = Pixora_Initialize(errors_);
    DrainErrors();
    char names[PIXORA_DEVICE_NAME_COUNT][PIXORA_DEVICE_NAME_ENTRY];
    std::memset(names, 'x', sizeof names);
    EXPECT_EQ(Pixora_EnumDevice(camera_, &names[0][0]), 2);
    EXPECT_STREQ(names[0], "Pixora530TZ_01");
    EXPECT_STREQ(names[1], "Pixora530TZ_02");
    for (int i = 2; i < PIXORA_DEVICE_NAME_COUNT; ++i)
        EXPECT_STREQ(names[i], "") << i;
    char name[15];
    EXPECT_EQ(Pixora_GetDeviceName(camera_, 1, name, sizeof name), 1);
    EXPECT_STREQ(name, "Pixora530TZ_02");
    EXPECT_EQ(Pixora_GetDeviceName(camera_, 3, name, sizeof name), 1);
    EXPECT_STREQ(name, "Pixora530TZ_04");
    EXPECT_EQ(Pixora_GetDeviceName(camera_, 3, name, 14), 0);
    EXPECT_EQ(Pixora_GetDeviceName(camera_, 0, name, sizeof name), 0);
    EXPECT_EQ(Pixora_GetDeviceName(camera_, 8, name, sizeof name), 0);  // nothing recorded
    EXPECT_EQ(Pixora_EnumDevice(camera_, nullptr), 0);
    EXPECT_EQ(DrainErrors(), (std::vector<int32_t>{9, 2, 9}));
    EXPECT_EQ(Pixora_SetDeviceNumber(camera_, 2), 0);
    EXPECT_EQ(Pixora_SetDeviceNumber(camera_, 3), 1);
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{2});
    EXPECT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
    EXPECT_GE(PixoraSim_FramesSent(3), 1);
}

TEST_F(Settings, CameraInfoRecord) {
    PixoraCameraInfo info{};
    info.size = 35;
    EXPECT_EQ(Pixora_GetCameraInfo(camera_, &info), 0);
    EXPECT_EQ(Pixora_GetCameraInfo(camera_, nullptr), 0);
    EXPECT_EQ(DrainErrors(), (std::vector<int32_t>{5, 9}));
    info.size = 36;
    ASSERT_EQ(Pixora_GetCameraInfo(camera_, &info), 1);
    EXPECT_EQ(info.size, 36u);
    EXPECT_EQ(info.sensorWidth, 1360);
    EXPECT_EQ(info.sensorHeight, 1024);
    EXPECT_EQ(info.gainMin, 0);
    EXPECT_EQ(info.gainMax, 1023);
    EXPECT_EQ(info.reserved1, 0);
    EXPECT_EQ(info.reserved2, 0);
    EXPECT_EQ(info.exposureMin, 8);
    EXPECT_EQ(info.exposureMax, 1068);
}

TEST_F(Settings, InvalidStoredGeometryFallsBackWithSeven) {
    ASSERT_EQ(Pixora_Release(camera_), 1);
    registry_.Write(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Mendal\\Pixora530TZSdk]\r\n"
        "\"Size\"=dword:00000000\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Mendal\\Pixora530TZSdk\\Size_00]\r\n"
        "\"EH\"=dword:000003e8\r\n\"EHS\"=dword:00000190\r\n");
    camera_ = Pixora_Initialize(errors_);
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{7});
    EXPECT_EQ(Pixora_Width(camera_), 1360);
    EXPECT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
}

}  // namespace
}  // namespace pixora::test
