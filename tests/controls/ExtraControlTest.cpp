// A control added to the table appears with everything the table says of it, through the
// public interface only: this program runs against the test build's library, whose table
// has one row more than the camera's ("test-level", tests/controls/ExtraControlRows.cpp).
// The front ends' suites can run against the same library (the target
// PixoraSdk_530TZ_extra_control in tests/CMakeLists.txt).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "PixoraExtensions.h"
#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"
#include "ScopedRegistry.h"

namespace pixora::test {
namespace {

class ExtraControl : public ::testing::Test {
protected:
    void SetUp() override {
        PixoraSim_Reset();
        ASSERT_EQ(PixoraSim_Configure("cameras=0 fps=0"), 1);
        id_ = PixoraEx_FindControl("test-level");
        ASSERT_GE(id_, 0);
        camera_ = Pixora_Initialize(nullptr);
        ASSERT_NE(camera_, nullptr);
    }
    void TearDown() override {
        if (camera_ != nullptr)
            Pixora_Release(camera_);
        PixoraSim_Reset();
    }

    ScopedRegistry registry_;
    PIXORA_HANDLE camera_ = nullptr;
    int32_t id_ = -1;
};

TEST_F(ExtraControl, ItIsPublishedWithEverythingItsRowSays) {
    // After the camera's own controls, which keep their ids.
    EXPECT_EQ(id_, PixoraEx_GetControlCount() - 1);
    EXPECT_EQ(PixoraEx_FindControl("height"), id_ - 1);
    EXPECT_EQ(PixoraEx_FindControl("test-alias"), id_);
    PixoraControlInfo info{};
    info.size = sizeof info;
    ASSERT_EQ(PixoraEx_GetControlInfo(id_, &info), 1);
    EXPECT_EQ(info.id, id_);
    EXPECT_STREQ(info.name, "test-level");
    EXPECT_STREQ(info.label, "Test level");
    EXPECT_STREQ(info.description, "a control only the test build has");
    EXPECT_STREQ(info.unit, "levels");
    ASSERT_NE(info.aliases[0], nullptr);
    EXPECT_STREQ(info.aliases[0], "test-alias");
    EXPECT_EQ(info.aliases[1], nullptr);
    EXPECT_EQ(info.kind, PIXORA_CONTROL_INTEGER);
    EXPECT_EQ(info.minimum, -5);
    EXPECT_EQ(info.maximum, 50);
    EXPECT_EQ(info.step, 1);
    EXPECT_EQ(info.defaultValue, 7);
    EXPECT_EQ(info.cameraMinimum, -5);
    EXPECT_EQ(info.cameraMaximum, 50);
    EXPECT_EQ(info.filterIndex, 0);
    EXPECT_EQ(info.dialog, PIXORA_DIALOG_NONE);
    EXPECT_EQ(info.flags, PIXORA_CONTROL_SAVED | PIXORA_CONTROL_LOADED | PIXORA_CONTROL_LIVE |
                              PIXORA_CONTROL_NEEDS_CAMERA);
    EXPECT_STREQ(info.storedName, "Filter\\TestLevel");
    EXPECT_EQ(info.valueCount, 0);
    EXPECT_EQ(info.values, nullptr);
}

TEST_F(ExtraControl, ItIsSetCheckedAndReadBackByIdAndNoFilterIndexReachesIt) {
    int32_t value = 0;
    ASSERT_EQ(PixoraEx_GetControl(camera_, id_, &value), 1);
    EXPECT_EQ(value, 7);  // a first run's value
    EXPECT_EQ(PixoraEx_SetControl(camera_, id_, -5), 1);
    EXPECT_EQ(PixoraEx_GetControl(camera_, id_, &value), 1);
    EXPECT_EQ(value, -5);
    EXPECT_EQ(PixoraEx_SetControl(camera_, id_, 51), 0);
    EXPECT_EQ(Pixora_GetLastError(camera_), PIXORA_ERR_BAD_ARGUMENT);
    EXPECT_EQ(PixoraEx_GetControl(camera_, id_, &value), 1);
    EXPECT_EQ(value, -5);
    // The filter indices stay the camera's 27.
    EXPECT_EQ(Pixora_SetFilterValue(camera_, 28, 1), 0);
    EXPECT_EQ(Pixora_GetLastError(camera_), PIXORA_ERR_BAD_ARGUMENT);
}

TEST_F(ExtraControl, ItIsSavedAtReleaseAndLoadedByTheNextSession) {
    EXPECT_EQ(PixoraEx_SetControl(camera_, id_, 42), 1);
    EXPECT_EQ(Pixora_Release(camera_), 1);
    camera_ = nullptr;
    EXPECT_NE(registry_.Text().find("\"TestLevel\"=dword:0000002a"), std::string::npos)
        << registry_.Text();
    camera_ = Pixora_Initialize(nullptr);
    ASSERT_NE(camera_, nullptr);
    int32_t value = 0;
    ASSERT_EQ(PixoraEx_GetControl(camera_, id_, &value), 1);
    EXPECT_EQ(value, 42);
}

}  // namespace
}  // namespace pixora::test
