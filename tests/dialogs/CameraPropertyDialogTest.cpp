// The camera property dialog through its entry point, with the headless host as the user.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "DialogTestSupport.h"
#include "dialogs/DialogTemplates.h"
#include "platform/SettingsStore.h"
#include "settings/CaptureFormat.h"

namespace pixora {
namespace {

using test::HeadlessDialogs;

std::string SizeKey(int n) {
    char name[64];
    std::snprintf(name, sizeof name, "%s\\Size_%02d", kSettingsKey, n);
    return name;
}

void StoreSize(int n, int32_t th, int32_t tv, int32_t eh, int32_t ev, int32_t ehs, int32_t evs,
               int32_t buf = 10) {
    auto key = RegistryKey::Create(SizeKey(n));
    ASSERT_TRUE(key);
    key->Write(
        {{"TH", th}, {"TV", tv}, {"EH", eh}, {"EV", ev}, {"EHS", ehs}, {"EVS", evs}, {"Buf", buf}});
}

void StoreFormat(int32_t size, int32_t color, int32_t subSample, int32_t wait, int32_t clock) {
    auto key = RegistryKey::Create(kSettingsKey);
    ASSERT_TRUE(key);
    key->Write({{"Size", size},
                {"Color", color},
                {"SubSample", subSample},
                {"WaitTime", wait},
                {"Clock", clock}});
}

std::optional<int32_t> Stored(const std::string& keyPath, const char* name) {
    uint32_t value = 0;
    if (!SettingsStore::ForCurrentUser()->ReadValue(keyPath, name, &value))
        return std::nullopt;
    return static_cast<int32_t>(value);
}

bool KeyExists(const std::string& keyPath) {
    return SettingsStore::ForCurrentUser()->KeyExists(keyPath);
}

// What the session's first run leaves in the registry.
void StoreFirstRunDefaults() {
    StoreSize(0, 1360, 1024, 1360, 1024, 0, 0);
    StoreFormat(0, 2, 0, 10, 0);
}

std::vector<std::string> GeometryTexts(HeadlessDialog& d) {
    std::vector<std::string> texts;
    for (int32_t id = 1039; id <= 1044; ++id)
        texts.push_back(d.Text(id));
    return texts;
}

class CameraPropertyDialogTest : public ::testing::Test {
protected:
    HeadlessDialogs dialogs_;
};

TEST_F(CameraPropertyDialogTest, WithoutKeyShowsOnlyCustomWaitTenAndMonochrome8) {
    bool looked = false;
    dialogs_.Play([&](HeadlessDialog& d) {
        looked = true;
        EXPECT_EQ(d.Caption(), "Property");
        EXPECT_EQ(d.Items(kIdTabControl), std::vector<std::string>{"Stream Format"});
        EXPECT_EQ(d.Items(kIdSizeList), std::vector<std::string>{"Custom"});
        EXPECT_EQ(d.Text(kIdWaitTimeEdit), "10");
        EXPECT_EQ(d.SelectedText(kIdStreamFormatList), "Monochrome 8bit");
        EXPECT_EQ(d.Items(kIdStreamFormatList),
                  (std::vector<std::string>{"Monochrome 8bit", "Monochrome 10bit *", "Color 24bit",
                                            "Color 32bit", "Color 48bit *", "Color 64bit *"}));
        EXPECT_EQ(d.Items(kIdSubSampleList), std::vector<std::string>{"1/1"});
        EXPECT_EQ(d.Items(kIdClockList), (std::vector<std::string>{"Nomal", "Half"}));
        EXPECT_EQ(d.SelectedText(kIdClockList), "Nomal");
        EXPECT_EQ(GeometryTexts(d), std::vector<std::string>(6, "0"));
        d.Cancel();
    });
    EXPECT_EQ(RunCameraPropertyDialog(nullptr), kDialogCancel);
    EXPECT_TRUE(looked);
    EXPECT_EQ(dialogs_.Host().LastResourceId(), 106);
    EXPECT_FALSE(KeyExists(kSettingsKey));
}

TEST_F(CameraPropertyDialogTest, OnlyFormatWaitTimeOkAndCancelAreUsable) {
    StoreFirstRunDefaults();
    dialogs_.Play([&](HeadlessDialog& d) {
        EXPECT_EQ(d.Items(kIdSizeList), (std::vector<std::string>{"1360 x 1024", "Custom"}));
        EXPECT_EQ(d.Selection(kIdSizeList), 0);
        EXPECT_EQ(d.SelectedText(kIdStreamFormatList), "Color 24bit");
        EXPECT_EQ(GeometryTexts(d),
                  (std::vector<std::string>{"1360", "1024", "1360", "1024", "0", "0"}));
        for (int32_t id : {kIdStreamFormatList, kIdWaitTimeEdit, kIdOk, kIdCancel})
            EXPECT_TRUE(d.IsEnabled(id)) << id;
        for (int32_t id : {kIdApply, kIdSizeList, kIdSubSampleList, kIdClockList, 1039, 1040, 1041,
                           1042, 1043, 1044}) {
            EXPECT_FALSE(d.IsEnabled(id)) << id;
        }
        EXPECT_FALSE(d.Pick(kIdSizeList, 1));  // the user cannot reach a disabled list
        EXPECT_FALSE(d.Click(kIdApply));
        d.Cancel();
    });
    EXPECT_EQ(RunCameraPropertyDialog(nullptr), kDialogCancel);
}

TEST_F(CameraPropertyDialogTest, OkStoresFormatAndWaitTimeAndRewritesTheSelectedSize) {
    StoreFirstRunDefaults();
    // The stored entry differs from what a save writes back: OK writes what is shown.
    StoreSize(0, 1360, 1024, 1360, 1024, 0, 0, 4);
    dialogs_.Play([&](HeadlessDialog& d) {
        EXPECT_TRUE(d.Pick(kIdStreamFormatList, 4));
        EXPECT_TRUE(d.IsEnabled(kIdApply));
        EXPECT_TRUE(d.Type(kIdWaitTimeEdit, "25"));
        EXPECT_TRUE(d.Ok());
    });
    EXPECT_EQ(RunCameraPropertyDialog(nullptr), kDialogOk);
    EXPECT_EQ(Stored(kSettingsKey, "Color"), 4);
    EXPECT_EQ(Stored(kSettingsKey, "WaitTime"), 25);
    EXPECT_EQ(Stored(kSettingsKey, "Size"), 0);
    EXPECT_EQ(Stored(SizeKey(0), "EH"), 1360);
    EXPECT_EQ(Stored(SizeKey(0), "EVS"), 0);
    EXPECT_EQ(Stored(SizeKey(0), "Buf"), 4);  // not an edit: kept as loaded
}

TEST_F(CameraPropertyDialogTest, ApplyThenCancelKeepsTheAppliedValues) {
    StoreFirstRunDefaults();
    dialogs_.Play([&](HeadlessDialog& d) {
        EXPECT_TRUE(d.Pick(kIdStreamFormatList, 0));
        EXPECT_TRUE(d.Click(kIdApply));
        EXPECT_FALSE(d.IsEnabled(kIdApply));
        EXPECT_EQ(Stored(kSettingsKey, "Color"), 0);  // written at once
        EXPECT_TRUE(d.Pick(kIdStreamFormatList, 5));
        EXPECT_TRUE(d.Cancel());
    });
    EXPECT_EQ(RunCameraPropertyDialog(nullptr), kDialogCancel);
    EXPECT_EQ(Stored(kSettingsKey, "Color"), 0);
}

TEST_F(CameraPropertyDialogTest, StoredIndexWithoutItemLeavesNoSelectionAndOkStoresMinusOne) {
    StoreSize(0, 1360, 1024, 1360, 1024, 0, 0);
    StoreFormat(0, 9, 3, 10, 5);
    dialogs_.Play([&](HeadlessDialog& d) {
        EXPECT_EQ(d.Selection(kIdStreamFormatList), -1);
        EXPECT_EQ(d.Selection(kIdSubSampleList), -1);
        EXPECT_EQ(d.Selection(kIdClockList), -1);
        d.Ok();
    });
    EXPECT_EQ(RunCameraPropertyDialog(nullptr), kDialogOk);
    EXPECT_EQ(Stored(kSettingsKey, "Color"), -1);
    EXPECT_EQ(Stored(kSettingsKey, "SubSample"), -1);
    EXPECT_EQ(Stored(kSettingsKey, "Clock"), -1);
}

TEST_F(CameraPropertyDialogTest, SizesStopAtTheFirstMissingNumber) {
    StoreFormat(1, 2, 0, 10, 0);
    StoreSize(0, 1360, 1024, 1360, 1024, 0, 0);
    StoreSize(1, 1360, 1024, 640, 480, 8, 16);
    StoreSize(3, 1360, 1024, 320, 240, 0, 0);
    dialogs_.Play([&](HeadlessDialog& d) {
        EXPECT_EQ(d.Items(kIdSizeList),
                  (std::vector<std::string>{"1360 x 1024", "640 x 480", "Custom"}));
        EXPECT_EQ(d.Selection(kIdSizeList), 1);
        EXPECT_EQ(GeometryTexts(d),
                  (std::vector<std::string>{"1360", "1024", "640", "480", "8", "16"}));
        d.Ok();
    });
    EXPECT_EQ(RunCameraPropertyDialog(nullptr), kDialogOk);
    EXPECT_EQ(Stored(SizeKey(1), "EH"), 640);
    EXPECT_FALSE(KeyExists(SizeKey(2)));
    EXPECT_EQ(Stored(SizeKey(3), "EH"), 320);  // never loaded, never written
}

TEST_F(CameraPropertyDialogTest, ACustomSizeBecomesANewEntry) {
    StoreFirstRunDefaults();
    dialogs_.Play([&](HeadlessDialog& d) {
        // The controls are disabled for the user; another program's messages still work.
        EXPECT_TRUE(d.SendPick(kIdSizeList, 1));
        EXPECT_EQ(GeometryTexts(d)[2], "1360");  // picking the custom item changes nothing
        const char* values[] = {"1360", "1024", "800", "600", "100", "50"};
        for (int32_t i = 0; i < 6; ++i)
            EXPECT_TRUE(d.SendText(1039 + i, values[i]));
        EXPECT_TRUE(d.Click(kIdApply));
        EXPECT_EQ(d.Items(kIdSizeList),
                  (std::vector<std::string>{"1360 x 1024", "800 x 600", "Custom"}));
        EXPECT_EQ(d.Selection(kIdSizeList), 1);
        d.Ok();
    });
    EXPECT_EQ(RunCameraPropertyDialog(nullptr), kDialogOk);
    EXPECT_EQ(Stored(kSettingsKey, "Size"), 1);
    EXPECT_EQ(Stored(SizeKey(1), "EV"), 600);
    EXPECT_EQ(Stored(SizeKey(1), "EHS"), 100);
    EXPECT_EQ(Stored(SizeKey(1), "Buf"), 10);
}

TEST_F(CameraPropertyDialogTest, PickingAStoredSizeShowsItsGeometry) {
    StoreFormat(0, 2, 0, 10, 0);
    StoreSize(0, 1360, 1024, 1360, 1024, 0, 0);
    StoreSize(1, 1400, 1100, 640, 480, 8, 16);
    dialogs_.Play([&](HeadlessDialog& d) {
        EXPECT_TRUE(d.SendPick(kIdSizeList, 1));
        EXPECT_EQ(GeometryTexts(d),
                  (std::vector<std::string>{"1400", "1100", "640", "480", "8", "16"}));
        EXPECT_TRUE(d.IsEnabled(kIdApply));
        d.Ok();
    });
    EXPECT_EQ(RunCameraPropertyDialog(nullptr), kDialogOk);
    EXPECT_EQ(Stored(kSettingsKey, "Size"), 1);
}

TEST_F(CameraPropertyDialogTest, AFullTableRefusesACustomSize) {
    // One file with the hundred sizes, as a registry export.
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" +
                       std::string(kSettingsKey) +
                       "]\r\n\"Size\"=dword:00000007\r\n\"Color\"=dword:00000002\r\n";
    for (int n = 0; n < 100; ++n) {
        char section[256];
        std::snprintf(section, sizeof section,
                      "\r\n[HKEY_CURRENT_USER\\%s]\r\n\"TH\"=dword:00000550\r\n"
                      "\"EH\"=dword:%08x\r\n\"EV\"=dword:00000400\r\n",
                      SizeKey(n).c_str(), 1360 - n);
        text += section;
    }
    dialogs_.Registry().Write(text);
    dialogs_.Play([&](HeadlessDialog& d) {
        EXPECT_EQ(d.Items(kIdSizeList).size(), 101u);
        EXPECT_TRUE(d.SendPick(kIdSizeList, 100));
        EXPECT_TRUE(d.SendText(1041, "320"));
        EXPECT_TRUE(d.Click(kIdApply));
        EXPECT_EQ(d.Items(kIdSizeList).size(), 101u);
        EXPECT_EQ(d.Selection(kIdSizeList), 7);  // back on the stored size
        EXPECT_EQ(d.Text(1041), "1353");
        d.Ok();
    });
    EXPECT_EQ(RunCameraPropertyDialog(nullptr), kDialogOk);
    EXPECT_EQ(Stored(kSettingsKey, "Size"), 7);
    EXPECT_FALSE(KeyExists(SizeKey(100)));
    EXPECT_EQ(Stored(SizeKey(7), "EH"), 1353);
    EXPECT_EQ(Stored(SizeKey(99), "EH"), 1261);
}

TEST_F(CameraPropertyDialogTest, AStoredSizeNumberOutsideTheTableIsHarmless) {
    for (int32_t stored : {-3, 250, 5}) {
        test::ScopedRegistry registry;
        StoreSize(0, 1360, 1024, 1360, 1024, 0, 0);
        StoreFormat(stored, 2, 0, 10, 0);
        dialogs_.Play([&](HeadlessDialog& d) {
            EXPECT_EQ(d.Selection(kIdSizeList), -1) << stored;
            EXPECT_EQ(GeometryTexts(d), std::vector<std::string>(6, "0")) << stored;
            d.Ok();
        });
        EXPECT_EQ(RunCameraPropertyDialog(nullptr), kDialogOk);
        EXPECT_EQ(Stored(kSettingsKey, "Size"), -1);
        EXPECT_EQ(Stored(SizeKey(0), "EH"), 1360);  // no entry took the edits
    }
}

TEST_F(CameraPropertyDialogTest, WaitTimeIsStoredAsTyped) {
    StoreFirstRunDefaults();
    for (const auto& [typed, stored] : std::vector<std::pair<std::string, int32_t>>{
             {"0", 0}, {"abc", 0}, {"4294967295", -1}, {"99999999999", 0}, {"  40ms", 40}}) {
        dialogs_.Play([&](HeadlessDialog& d) {
            EXPECT_TRUE(d.Type(kIdWaitTimeEdit, typed));
            d.Ok();
        });
        EXPECT_EQ(RunCameraPropertyDialog(nullptr), kDialogOk);
        EXPECT_EQ(Stored(kSettingsKey, "WaitTime"), stored) << typed;
    }
}

TEST_F(CameraPropertyDialogTest, ClosingTheWindowIsCancel) {
    StoreFirstRunDefaults();
    dialogs_.Play([&](HeadlessDialog& d) {
        d.Pick(kIdStreamFormatList, 3);
        EXPECT_TRUE(d.Close());
    });
    EXPECT_EQ(RunCameraPropertyDialog(nullptr), kDialogCancel);
    EXPECT_EQ(Stored(kSettingsKey, "Color"), 2);
}

// The language follows the locale variables here; on Windows it is the system default
// language, which a test cannot switch (tests/win32 covers the Japanese templates there).
#ifndef _WIN32
TEST_F(CameraPropertyDialogTest, JapaneseTemplateAndLists) {
    StoreFirstRunDefaults();
    test::ScopedLanguage japanese("ja_JP.UTF-8");
    dialogs_.Play([&](HeadlessDialog& d) {
        EXPECT_EQ(d.Caption(), "プロパティ");
        EXPECT_EQ(d.Items(kIdTabControl), std::vector<std::string>{"ストリーム形式"});
        EXPECT_EQ(d.SelectedText(kIdStreamFormatList), "カラー 24bit");
        EXPECT_EQ(d.Items(kIdSizeList), (std::vector<std::string>{"1360 x 1024", "カスタム"}));
        EXPECT_EQ(d.Items(kIdClockList), (std::vector<std::string>{"標準", "ハーフ"}));
        EXPECT_EQ(d.Text(kIdCancel), "キャンセル");
        d.Cancel();
    });
    EXPECT_EQ(RunCameraPropertyDialog(nullptr), kDialogCancel);
    EXPECT_EQ(dialogs_.Host().LastResourceId(), 101);
}
#endif

}  // namespace
}  // namespace pixora
