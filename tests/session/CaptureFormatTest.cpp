#include "settings/CaptureFormat.h"

#include <gtest/gtest.h>

#include "ScopedRegistry.h"
#include "platform/SettingsStore.h"
#include "session/CameraSession.h"

namespace pixora {
namespace {

using test::ScopedRegistry;

int32_t Stored(const std::string& key, const std::string& name) {
    int32_t value = -12345;
    auto k = RegistryKey::Open(key);
    if (k)
        k->Read(name, &value);
    return value;
}

TEST(CaptureFormat, FirstRunWritesTheDefaults) {
    ScopedRegistry registry;
    FormatSettings format;
    EXPECT_EQ(LoadGeometry(format), 0);
    const std::string key = kSettingsKey;
    EXPECT_EQ(Stored(key, "Size"), 0);
    EXPECT_EQ(Stored(key, "Color"), 2);
    EXPECT_EQ(Stored(key, "SubSample"), 0);
    EXPECT_EQ(Stored(key, "WaitTime"), 10);
    EXPECT_EQ(Stored(key, "Clock"), 0);
    const std::string size = key + "\\Size_00";
    EXPECT_EQ(Stored(size, "TH"), 1360);
    EXPECT_EQ(Stored(size, "TV"), 1024);
    EXPECT_EQ(Stored(size, "EH"), 1360);
    EXPECT_EQ(Stored(size, "EV"), 1024);
    EXPECT_EQ(Stored(size, "EHS"), 0);
    EXPECT_EQ(Stored(size, "EVS"), 0);
    EXPECT_EQ(Stored(size, "Buf"), 10);
    EXPECT_EQ(RegistryKey::Open(key + "\\Size_01"), nullptr);

    // The second run finds the key and reads what the first wrote.
    EXPECT_EQ(LoadGeometry(format), 1);
    EXPECT_EQ(format.captureWidth, 1360);
    FormatValues values;
    EXPECT_EQ(LoadFormat(values), 1);
    EXPECT_EQ(values.colorModeIndex, 2);
}

TEST(CaptureFormat, SizeNumberSelectsTheSubkey) {
    ScopedRegistry registry;
    auto key = RegistryKey::Create(kSettingsKey);
    key->Write("Size", 3);
    auto size = key->CreateSubKey("Size_03");
    size->Write("EH", 640);
    size->Write("EV", 480);
    size->Write("EHS", 8);
    FormatSettings format;
    EXPECT_EQ(LoadGeometry(format), 1);
    EXPECT_EQ(format.captureWidth, 640);
    EXPECT_EQ(format.captureHeight, 480);
    EXPECT_EQ(format.startColumn, 8);
    EXPECT_EQ(format.startRow, 0);  // missing values keep the field
    EXPECT_EQ(format.bufferCount, 10);
}

TEST(CaptureFormat, MissingSizeOrSubkeyReadsNothing) {
    ScopedRegistry registry;
    auto key = RegistryKey::Create(kSettingsKey);
    FormatSettings format;
    format.captureWidth = 5;
    EXPECT_EQ(LoadGeometry(format), 0);
    key->Write("Size", 7);
    EXPECT_EQ(LoadGeometry(format), 0);
    EXPECT_EQ(format.captureWidth, 5);
}

TEST(CaptureFormat, FormatValuesAreTakenAsStored) {
    ScopedRegistry registry;
    FormatValues values;
    EXPECT_EQ(LoadFormat(values), 0);
    auto key = RegistryKey::Create(kSettingsKey);
    key->Write("Color", 9);
    key->Write("WaitTime", 0);
    EXPECT_EQ(LoadFormat(values), 1);
    EXPECT_EQ(values.colorModeIndex, 9);
    EXPECT_EQ(values.subSampleIndex, 0);
    EXPECT_EQ(values.waitTimeMs, 0);
}

TEST(GeometryCheck, BoundsOfTheSensorWindow) {
    FormatSettings f;
    EXPECT_TRUE(GeometryValid(f, 0));
    EXPECT_TRUE(GeometryValid(f, 2));
    EXPECT_FALSE(GeometryValid(f, 3));
    EXPECT_FALSE(GeometryValid(f, -1));
    f.startColumn = 400;
    f.captureWidth = 1000;
    EXPECT_FALSE(GeometryValid(f, 0));  // 1400 > 1360
    f.captureWidth = 960;
    EXPECT_TRUE(GeometryValid(f, 0));
    f = FormatSettings{};
    f.startRow = 1;
    EXPECT_FALSE(GeometryValid(f, 0));
    f.captureHeight = 0;  // empty windows pass; creating their images fails later
    EXPECT_TRUE(GeometryValid(f, 0));
    f = FormatSettings{};
    f.captureWidth = -1;
    EXPECT_FALSE(GeometryValid(f, 0));
}

TEST(SessionSettings, ColorModeAndWaitTime) {
    CameraSession session;
    EXPECT_EQ(session.GetColorMode(), 8);
    EXPECT_EQ(session.SetColorMode(12), 0);
    EXPECT_EQ(session.PopError(), 9);
    EXPECT_EQ(session.GetColorMode(), 8);
    for (int bits : {16, 24, 32, 48, 64, 8}) {
        EXPECT_EQ(session.SetColorMode(bits), 1);
        EXPECT_EQ(session.GetColorMode(), bits);
    }
    EXPECT_EQ(session.GetWaitTime(), 10);
    EXPECT_EQ(session.SetWaitTime(-1), 0);
    EXPECT_EQ(session.PopError(), 0);
    EXPECT_EQ(session.SetWaitTime(0), 1);
    EXPECT_EQ(session.GetWaitTime(), 0);
}

TEST(SessionSettings, StoredColorOutsideTheModesReadsAsMinusOne) {
    ScopedRegistry registry;
    RegistryKey::Create(kSettingsKey)->Write("Color", 6);
    CameraSession session;
    EXPECT_EQ(session.LoadFormat(), 1);
    EXPECT_EQ(session.ColorModeIndex(), 6);
    EXPECT_EQ(session.GetColorMode(), -1);
}

}  // namespace
}  // namespace pixora
