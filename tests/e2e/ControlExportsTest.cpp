// The controls extension: every control described completely, found by its names, and set
// and read by id exactly as the function behind it sets and reads it.
#include <cctype>
#include <limits>
#include <set>
#include <string>

#include "CameraFixture.h"
#include "PixoraExtensions.h"

namespace pixora::test {
namespace {

constexpr int32_t kLowest = std::numeric_limits<int32_t>::min();
constexpr int32_t kHighest = std::numeric_limits<int32_t>::max();

PixoraControlInfo InfoOf(int32_t id) {
    PixoraControlInfo info{};
    info.size = sizeof info;
    EXPECT_EQ(PixoraEx_GetControlInfo(id, &info), 1) << id;
    return info;
}

PixoraControlInfo Named(const char* name) {
    const int32_t id = PixoraEx_FindControl(name);
    EXPECT_GE(id, 0) << name;
    return InfoOf(id);
}

bool KebabCase(const std::string& name) {
    if (name.empty() || name.front() == '-' || name.back() == '-')
        return false;
    for (char c : name) {
        if (!(std::islower(static_cast<unsigned char>(c)) ||
              std::isdigit(static_cast<unsigned char>(c)) || c == '-'))
            return false;
    }
    return name.find("--") == std::string::npos;
}

TEST(ControlTable, EveryControlIsDescribedCompletely) {
    const int32_t count = PixoraEx_GetControlCount();
    ASSERT_GE(count, 36);
    std::set<std::string> names;
    std::set<int32_t> filterIndices;
    for (int32_t id = 0; id < count; ++id) {
        const PixoraControlInfo info = InfoOf(id);
        SCOPED_TRACE(info.name);
        EXPECT_EQ(info.id, id);
        EXPECT_TRUE(KebabCase(info.name));
        EXPECT_NE(std::string(info.label), "");
        EXPECT_NE(std::string(info.description), "");
        ASSERT_NE(info.unit, nullptr);
        ASSERT_NE(info.storedName, nullptr);
        ASSERT_NE(info.aliases, nullptr);
        EXPECT_TRUE(names.insert(info.name).second) << "a second control of that name";
        EXPECT_EQ(PixoraEx_FindControl(info.name), id);
        for (const char* const* alias = info.aliases; *alias != nullptr; ++alias) {
            EXPECT_TRUE(KebabCase(*alias)) << *alias;
            EXPECT_TRUE(names.insert(*alias).second) << *alias << " names two controls";
            EXPECT_EQ(PixoraEx_FindControl(*alias), id) << *alias;
        }
        EXPECT_LE(info.minimum, info.maximum);
        EXPECT_GE(info.step, 1);
        EXPECT_LE(info.cameraMinimum, info.cameraMaximum);
        if ((info.flags & PIXORA_CONTROL_REFUSED) == 0) {
            EXPECT_GE(info.defaultValue, info.minimum);
            EXPECT_LE(info.defaultValue, info.maximum);
        }
        if ((info.flags & PIXORA_CONTROL_CAMERA_CLAMPS) == 0) {
            EXPECT_EQ(info.cameraMinimum, info.minimum);
            EXPECT_EQ(info.cameraMaximum, info.maximum);
        }
        EXPECT_EQ((info.flags & PIXORA_CONTROL_SAVED) != 0,
                  (info.flags & PIXORA_CONTROL_LOADED) != 0 &&
                      std::string(info.storedName).find('\\') != std::string::npos);
        EXPECT_EQ((info.flags & PIXORA_CONTROL_LOADED) != 0, std::string(info.storedName) != "");
        EXPECT_GE(info.dialog, PIXORA_DIALOG_NONE);
        EXPECT_LE(info.dialog, PIXORA_DIALOG_ANALOG);
        switch (info.kind) {
            case PIXORA_CONTROL_BOOLEAN:
                EXPECT_EQ(info.minimum, 0);
                EXPECT_EQ(info.maximum, 1);
                EXPECT_EQ(info.values, nullptr);
                break;
            case PIXORA_CONTROL_ENUMERATION: {
                ASSERT_GT(info.valueCount, 1);
                ASSERT_NE(info.values, nullptr);
                std::set<std::string> valueNames;
                int32_t previous = kLowest;
                for (int32_t v = 0; v < info.valueCount; ++v) {
                    const PixoraControlValue& value = info.values[v];
                    EXPECT_TRUE(KebabCase(value.name)) << value.name;
                    EXPECT_NE(std::string(value.label), "");
                    EXPECT_TRUE(valueNames.insert(value.name).second) << value.name;
                    EXPECT_GT(value.value, previous) << value.name;
                    previous = value.value;
                }
                EXPECT_EQ(info.values[0].value, info.minimum);
                EXPECT_EQ(info.values[info.valueCount - 1].value, info.maximum);
                break;
            }
            default:
                EXPECT_EQ(info.kind, PIXORA_CONTROL_INTEGER);
                EXPECT_EQ(info.valueCount, 0);
                EXPECT_EQ(info.values, nullptr);
                break;
        }
        if (info.filterIndex != 0) {
            EXPECT_TRUE(filterIndices.insert(info.filterIndex).second);
            // The range extension reports what the same index's setter takes.
            int32_t low = 7;
            int32_t high = 7;
            const int32_t known = PixoraEx_GetFilterRange(info.filterIndex, &low, &high);
            if ((info.flags & PIXORA_CONTROL_REFUSED) != 0) {
                EXPECT_EQ(known, 0);
            } else if ((info.flags & PIXORA_CONTROL_ANY_VALUE) != 0) {
                EXPECT_EQ(known, 1);
                EXPECT_EQ(low, kLowest);
                EXPECT_EQ(high, kHighest);
            } else {
                EXPECT_EQ(known, 1);
                EXPECT_EQ(low, info.minimum);
                EXPECT_EQ(high, info.maximum);
            }
        }
    }
    // Every filter index is a control.
    EXPECT_EQ(filterIndices.size(), 27u);
    EXPECT_EQ(*filterIndices.begin(), PIXORA_FILTER_BRIGHTNESS);
    EXPECT_EQ(*filterIndices.rbegin(), PIXORA_FILTER_GRAY_OFFSET_B);
}

TEST(ControlTable, TheSettingsUsersKnowHaveTheirNamesRangesAndNeutralValues) {
    const PixoraControlInfo gamma = Named("gamma");
    EXPECT_EQ(gamma.filterIndex, PIXORA_FILTER_GAMMA);
    EXPECT_EQ(gamma.minimum, 0);
    EXPECT_EQ(gamma.maximum, 200);
    EXPECT_EQ(gamma.defaultValue, 100);
    EXPECT_EQ(gamma.dialog, PIXORA_DIALOG_IMAGE);
    EXPECT_EQ(std::string(gamma.storedName), "Filter\\Gamma");
    EXPECT_EQ(gamma.flags & (PIXORA_CONTROL_SAVED | PIXORA_CONTROL_LIVE),
              PIXORA_CONTROL_SAVED | PIXORA_CONTROL_LIVE);

    // The names of `pixora get` and `pixora set`, and their short forms.
    EXPECT_EQ(PixoraEx_FindControl("gain"), PixoraEx_FindControl("global-gain"));
    EXPECT_EQ(PixoraEx_FindControl("exposure"), PixoraEx_FindControl("exposure-time"));
    EXPECT_EQ(PixoraEx_FindControl("white-balance-red"), PixoraEx_FindControl("bayer-gain-red"));
    EXPECT_EQ(PixoraEx_FindControl("Gamma"), -1);
    EXPECT_EQ(PixoraEx_FindControl(""), -1);
    EXPECT_EQ(PixoraEx_FindControl(nullptr), -1);

    const PixoraControlInfo exposure = Named("exposure-time");
    EXPECT_EQ(exposure.minimum, 0);
    EXPECT_EQ(exposure.maximum, 1067);
    EXPECT_EQ(exposure.cameraMinimum, PIXORA_EXPOSURE_MIN);
    EXPECT_EQ(exposure.cameraMaximum, PIXORA_EXPOSURE_MAX);
    EXPECT_EQ(exposure.defaultValue, 64);
    EXPECT_NE(exposure.flags & PIXORA_CONTROL_SLOW_READ, 0);
    EXPECT_EQ(Named("global-gain").defaultValue, 656);

    const PixoraControlInfo autoIris = Named("auto-iris");
    EXPECT_EQ(autoIris.kind, PIXORA_CONTROL_ENUMERATION);
    ASSERT_EQ(autoIris.valueCount, 3);
    EXPECT_EQ(autoIris.values[PIXORA_AUTO_IRIS_GAIN].value, PIXORA_AUTO_IRIS_GAIN);
    EXPECT_EQ(std::string(autoIris.values[PIXORA_AUTO_IRIS_EXPOSURE].name), "exposure");
    EXPECT_EQ(autoIris.dialog, PIXORA_DIALOG_ANALOG);

    const PixoraControlInfo mode = Named("color-mode");
    ASSERT_EQ(mode.valueCount, 6);
    EXPECT_EQ(mode.values[2].value, 24);
    EXPECT_EQ(mode.defaultValue, 24);
    EXPECT_EQ(mode.flags & (PIXORA_CONTROL_SAVED | PIXORA_CONTROL_LOADED), PIXORA_CONTROL_LOADED);

    const PixoraControlInfo packed = Named("bayer-gain-rgb");
    EXPECT_EQ(packed.maximum, 0xFFFFFF);
    EXPECT_EQ(packed.defaultValue, 0x646464);
    EXPECT_NE(packed.flags & PIXORA_CONTROL_HEX, 0);
    EXPECT_NE(packed.flags & PIXORA_CONTROL_ANY_VALUE, 0);
    EXPECT_NE(Named("color-gain-red").flags & PIXORA_CONTROL_REFUSED, 0);

    // The capture window: the device refuses less than 4 x 3, the sensor is the limit.
    const PixoraControlInfo width = Named("width");
    const PixoraControlInfo height = Named("height");
    const PixoraControlInfo left = Named("offset-x");
    const PixoraControlInfo top = Named("offset-y");
    EXPECT_EQ(width.minimum, 4);
    EXPECT_EQ(width.maximum, 1360);
    EXPECT_EQ(height.minimum, 3);
    EXPECT_EQ(height.maximum, 1024);
    EXPECT_EQ(left.maximum, 1356);
    EXPECT_EQ(top.maximum, 1021);
    for (const PixoraControlInfo& window : {width, height, left, top}) {
        EXPECT_EQ(window.step, 1);
        EXPECT_EQ(std::string(window.unit), "pixels");
        EXPECT_NE(window.flags & PIXORA_CONTROL_WINDOW, 0);
        EXPECT_NE(window.flags & PIXORA_CONTROL_SAVED, 0);
        EXPECT_EQ(window.flags & PIXORA_CONTROL_LIVE, 0);
    }
    EXPECT_EQ(std::string(width.storedName), "Size_NN\\EH");
    EXPECT_EQ(width.defaultValue, 1360);
}

TEST(ControlTable, RecordsOutsideTheTableOrTooSmallAreRefused) {
    PixoraControlInfo info{};
    info.size = sizeof info;
    EXPECT_EQ(PixoraEx_GetControlInfo(-1, &info), 0);
    EXPECT_EQ(PixoraEx_GetControlInfo(PixoraEx_GetControlCount(), &info), 0);
    EXPECT_EQ(PixoraEx_GetControlInfo(0, nullptr), 0);
    info.size = sizeof info - 1;
    EXPECT_EQ(PixoraEx_GetControlInfo(0, &info), 0);
    EXPECT_EQ(info.name, nullptr);
}

using ControlExports = CameraTest;

TEST_F(ControlExports, FilterControlsAreTheFilterValues) {
    const int32_t count = PixoraEx_GetControlCount();
    for (int32_t id = 0; id < count; ++id) {
        const PixoraControlInfo info = InfoOf(id);
        if (info.filterIndex == 0 || info.filterIndex == PIXORA_FILTER_EXPOSURE_TIME)
            continue;  // the exposure's read waits for the camera: below
        SCOPED_TRACE(info.name);
        int32_t value = 7;
        if ((info.flags & PIXORA_CONTROL_REFUSED) != 0) {
            EXPECT_EQ(PixoraEx_SetControl(camera_, id, 0), 0);
            EXPECT_EQ(PixoraEx_GetControl(camera_, id, &value), 0);
            EXPECT_EQ(DrainErrors(), (std::vector<int32_t>{9, 9}));
            continue;
        }
        // Set by control, read by index; set by index, read by control.
        EXPECT_EQ(PixoraEx_SetControl(camera_, id, info.maximum), 1);
        int32_t ok = 0;
        EXPECT_EQ(Pixora_GetFilterValue(camera_, info.filterIndex, &ok), info.maximum);
        EXPECT_EQ(Pixora_SetFilterValue(camera_, info.filterIndex, info.minimum), 1);
        EXPECT_EQ(PixoraEx_GetControl(camera_, id, &value), 1);
        EXPECT_EQ(value, info.minimum);
        // What the index refuses, the control refuses with the same code.
        if ((info.flags & PIXORA_CONTROL_ANY_VALUE) == 0) {
            EXPECT_EQ(PixoraEx_SetControl(camera_, id, info.maximum + 1), 0);
            EXPECT_EQ(DrainErrors(), std::vector<int32_t>{9});
        }
        EXPECT_EQ(DrainErrors(), std::vector<int32_t>{});
    }
    // A boolean takes any value as its function does, and keeps 1.
    const int32_t balance = PixoraEx_FindControl("bayer-gain-auto");
    EXPECT_EQ(PixoraEx_SetControl(camera_, balance, 42), 1);
    int32_t value = 0;
    EXPECT_EQ(PixoraEx_GetControl(camera_, balance, &value), 1);
    EXPECT_EQ(value, 1);
    // The exposure: the camera keeps 8..1068 of it.
    const int32_t exposure = PixoraEx_FindControl("exposure");
    EXPECT_EQ(PixoraEx_SetControl(camera_, exposure, 3), 1);
    EXPECT_EQ(PixoraEx_GetControl(camera_, exposure, &value), 1);
    EXPECT_EQ(value, PIXORA_EXPOSURE_MIN);
}

TEST_F(ControlExports, ControlsWithFunctionsOfTheirOwnBehaveAsThoseFunctions) {
    int32_t value = 0;
    const int32_t mirror = PixoraEx_FindControl("mirror-v");
    EXPECT_EQ(PixoraEx_SetControl(camera_, mirror, 5), 1);
    EXPECT_EQ(Pixora_GetMirrorV(camera_), 1);
    EXPECT_EQ(Pixora_SetMirrorV(camera_, 0), 1);
    EXPECT_EQ(PixoraEx_GetControl(camera_, mirror, &value), 1);
    EXPECT_EQ(value, 0);

    const int32_t autoIris = PixoraEx_FindControl("auto-iris");
    EXPECT_EQ(PixoraEx_SetControl(camera_, autoIris, PIXORA_AUTO_IRIS_GAIN), 1);
    int32_t ok = 0;
    EXPECT_EQ(Pixora_GetAutoIris(camera_, &ok), PIXORA_AUTO_IRIS_GAIN);
    EXPECT_EQ(PixoraEx_SetControl(camera_, autoIris, 3), 0);
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{9});
    EXPECT_EQ(PixoraEx_SetControl(camera_, autoIris, PIXORA_AUTO_IRIS_OFF), 1);

    const int32_t mode = PixoraEx_FindControl("color-mode");
    EXPECT_EQ(PixoraEx_SetControl(camera_, mode, 48), 1);
    EXPECT_EQ(Pixora_GetColorMode(camera_), 48);
    EXPECT_EQ(PixoraEx_SetControl(camera_, mode, 12), 0);
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{9});
    EXPECT_EQ(Pixora_SetColorMode(camera_, 8), 1);
    EXPECT_EQ(PixoraEx_GetControl(camera_, mode, &value), 1);
    EXPECT_EQ(value, 8);

    // A negative wait time is refused without a code, as Pixora_SetWaitTime refuses it.
    const int32_t wait = PixoraEx_FindControl("wait-time");
    EXPECT_EQ(PixoraEx_SetControl(camera_, wait, 25), 1);
    EXPECT_EQ(Pixora_GetWaitTime(camera_), 25);
    EXPECT_EQ(PixoraEx_SetControl(camera_, wait, -1), 0);
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{});
    EXPECT_EQ(PixoraEx_GetControl(camera_, wait, &value), 1);
    EXPECT_EQ(value, 25);

    // The clock has no function: its range decides.
    const int32_t clock = PixoraEx_FindControl("clock");
    EXPECT_EQ(PixoraEx_GetControl(camera_, clock, &value), 1);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(PixoraEx_SetControl(camera_, clock, 1), 1);
    EXPECT_EQ(PixoraEx_GetControl(camera_, clock, &value), 1);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(PixoraEx_SetControl(camera_, clock, 2), 0);
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{9});
}

TEST_F(ControlExports, UnknownIdsHandlesAndMissingValuesAreRefused) {
    int32_t value = 0;
    const int32_t count = PixoraEx_GetControlCount();
    EXPECT_EQ(PixoraEx_SetControl(camera_, count, 0), 0);
    EXPECT_EQ(PixoraEx_GetControl(camera_, -1, &value), 0);
    EXPECT_EQ(PixoraEx_GetControl(camera_, 0, nullptr), 0);
    EXPECT_EQ(DrainErrors(), (std::vector<int32_t>{9, 9, 9}));
    PIXORA_HANDLE unknown = reinterpret_cast<PIXORA_HANDLE>(uintptr_t{0x5A5A});
    EXPECT_EQ(PixoraEx_SetControl(unknown, 0, 0), 0);
    EXPECT_EQ(PixoraEx_GetControl(unknown, 0, &value), 0);
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{});
}

TEST_F(ControlExports, TheCaptureWindowIsSetByItsFourControlsAndSavedAtRelease) {
    const int32_t left = PixoraEx_FindControl("offset-x");
    const int32_t top = PixoraEx_FindControl("offset-y");
    const int32_t width = PixoraEx_FindControl("width");
    const int32_t height = PixoraEx_FindControl("height");
    EXPECT_EQ(PixoraEx_SetControl(camera_, width, 681), 1);
    EXPECT_EQ(PixoraEx_SetControl(camera_, height, 501), 1);
    EXPECT_EQ(PixoraEx_SetControl(camera_, left, 101), 1);
    EXPECT_EQ(PixoraEx_SetControl(camera_, top, 33), 1);
    EXPECT_EQ(Pixora_Width(camera_), 681);
    EXPECT_EQ(Pixora_Height(camera_), 501);
    int32_t value = 0;
    EXPECT_EQ(PixoraEx_GetControl(camera_, left, &value), 1);
    EXPECT_EQ(value, 101);
    // Below the device's 4 x 3, or beyond the sensor, one control at a time.
    EXPECT_EQ(PixoraEx_SetControl(camera_, width, 3), 0);
    EXPECT_EQ(PixoraEx_SetControl(camera_, height, 1025), 0);
    EXPECT_EQ(PixoraEx_SetControl(camera_, left, -1), 0);
    EXPECT_EQ(DrainErrors(), (std::vector<int32_t>{9, 9, 9}));
    std::vector<uint8_t> picture(static_cast<size_t>(Stride(681, 24)) * 501);
    EXPECT_EQ(Pixora_SetColorMode(camera_, 24), 1);
    EXPECT_EQ(Pixora_SnapShot(camera_, picture.data(), static_cast<int32_t>(picture.size()), 0), 1);

    // Together they must stay on the sensor: the capture refuses them with error 7.
    EXPECT_EQ(PixoraEx_SetControl(camera_, left, 1000), 1);
    EXPECT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 0), 0);
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{7});
    EXPECT_EQ(PixoraEx_SetControl(camera_, left, 101), 1);

    // The window is saved in its size entry and the next session opens with it.
    EXPECT_EQ(Pixora_Release(camera_), 1);
    camera_ = nullptr;
    const std::string text = registry_.Text();
    EXPECT_NE(text.find("\"EH\"=dword:000002a9"), std::string::npos) << text;
    EXPECT_NE(text.find("\"EHS\"=dword:00000065"), std::string::npos) << text;
    camera_ = Pixora_Initialize(nullptr);
    ASSERT_NE(camera_, nullptr);
    EXPECT_EQ(Pixora_Width(camera_), 681);
    EXPECT_EQ(Pixora_Height(camera_), 501);
    EXPECT_EQ(PixoraEx_GetControl(camera_, top, &value), 1);
    EXPECT_EQ(value, 33);
}

TEST_F(ControlExports, ASessionThatChangesNoWindowLeavesItsSizeEntryAsStored) {
    // Another program's window written while this session runs stays.
    EXPECT_EQ(Pixora_Release(camera_), 1);
    camera_ = Pixora_Initialize(nullptr);
    ASSERT_NE(camera_, nullptr);
    std::string text = registry_.Text();
    const std::string full = "\"EH\"=dword:00000550";
    const size_t at = text.find(full);
    ASSERT_NE(at, std::string::npos) << text;
    text.replace(at, full.size(), "\"EH\"=dword:00000100");
    registry_.Write(text);
    EXPECT_EQ(PixoraEx_SetControl(camera_, PixoraEx_FindControl("gamma"), 120), 1);
    EXPECT_EQ(Pixora_Release(camera_), 1);
    camera_ = nullptr;
    EXPECT_NE(registry_.Text().find("\"EH\"=dword:00000100"), std::string::npos);
    EXPECT_NE(registry_.Text().find("\"Gamma\"=dword:00000078"), std::string::npos);
}

}  // namespace
}  // namespace pixora::test
