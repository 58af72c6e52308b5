// The three property dialog exports with the headless host playing the user.
#include <atomic>
#include <cstdlib>
#include <string>

#include "CameraFixture.h"
#include "dialogs/DialogTemplates.h"
#include "dialogs/host/DialogHosts.h"
#include "dialogs/host/HeadlessDialogHost.h"
#include "dialogs/host/HeadlessWindow.h"

namespace pixora::test {
namespace {

constexpr int32_t kBrightnessTrackbar = 2001;

class DialogExports : public CameraTest {
protected:
    void SetUp() override {
        CameraTest::SetUp();
        SetDialogTestHost(&host_);
    }
    void TearDown() override {
        SetDialogTestHost(nullptr);
        CameraTest::TearDown();
    }
    HeadlessDialogHost host_;
};

TEST_F(DialogExports, SliderMovesReachTheSessionAndCancelPutsThemBack) {
    int32_t seenDuringDialog = 0;
    host_.SetScript([&](HeadlessDialog& dialog) {
        ASSERT_TRUE(dialog.Page(0)->Slide(kBrightnessTrackbar, 77));
        seenDuringDialog = Pixora_GetBrightness(camera_, nullptr);
        dialog.Cancel();
    });
    EXPECT_EQ(Pixora_SetImageDlg(camera_, nullptr), 1);
    EXPECT_EQ(seenDuringDialog, 77);
    EXPECT_EQ(Pixora_GetBrightness(camera_, nullptr), 0);

    host_.SetScript([&](HeadlessDialog& dialog) {
        dialog.Page(0)->Slide(kBrightnessTrackbar, -40);
        dialog.Ok();
    });
    EXPECT_EQ(Pixora_SetImageDlg(camera_, nullptr), 1);
    EXPECT_EQ(Pixora_GetBrightness(camera_, nullptr), -40);
    EXPECT_EQ(host_.DialogsRun(), 2);
    EXPECT_TRUE(DrainErrors().empty());
}

TEST_F(DialogExports, AnalogDialogDrivesTheCameraAndCancelRestoresIt) {
    host_.SetScript([&](HeadlessDialog& dialog) {
        HeadlessWindow& page = *dialog.Page(0);
        EXPECT_EQ(page.Text(kIdGainEdit), "656");
        page.Slide(kIdGainTrackbar, 300);
        EXPECT_EQ(PixoraSim_ReadRegister(0, 6) | PixoraSim_ReadRegister(0, 7) << 6, 300);
        dialog.Cancel();
    });
    EXPECT_EQ(Pixora_SetAnalogDlg(camera_, nullptr), 1);
    EXPECT_EQ(Pixora_GetGlobalGain(camera_, nullptr), 656);
    EXPECT_EQ(PixoraSim_ReadRegister(0, 6) | PixoraSim_ReadRegister(0, 7) << 6, 656);
}

TEST_F(DialogExports, MirrorSwapsTheBayerRowParity) {
    ASSERT_EQ(Pixora_GetBayerMode(camera_, nullptr), 3);
    host_.SetScript([&](HeadlessDialog& dialog) {
        dialog.Page(0)->Click(kIdMirrorCheck);
        dialog.Ok();
    });
    EXPECT_EQ(Pixora_SetAnalogDlg(camera_, nullptr), 1);
    EXPECT_EQ(Pixora_GetMirrorV(camera_), 1);
    EXPECT_EQ(Pixora_GetBayerMode(camera_, nullptr), 2);
    EXPECT_EQ(Pixora_SetAnalogDlg(camera_, nullptr), 1);
    EXPECT_EQ(Pixora_GetMirrorV(camera_), 0);
    EXPECT_EQ(Pixora_GetBayerMode(camera_, nullptr), 3);
}

TEST_F(DialogExports, CameraDialogPausesPreviewAndReloadsTheFormatAfterOk) {
    ASSERT_EQ(Pixora_SetWaitTime(camera_, 0), 1);
    ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, nullptr, 0, 1), 1);
    std::atomic<bool> streamingDuringDialog{true};
    host_.SetScript([&](HeadlessDialog& dialog) {
        PixoraMessage msg{};
        while (PixoraMsg_Get(frames_, &msg, 0) == 1) {
        }
        streamingDuringDialog = PixoraMsg_Get(frames_, &msg, 100) == 1;
        // Entering through the edit; the lists keep their item positions.
        dialog.Pick(kIdStreamFormatList, 0);  // "Monochrome 8bit"
        dialog.Paste(kIdWaitTimeEdit, "3");
        dialog.Ok();
    });
    EXPECT_EQ(Pixora_SetCameraDlg(camera_, nullptr), 1);
    EXPECT_FALSE(streamingDuringDialog.load());
    EXPECT_EQ(Pixora_GetColorMode(camera_), 8);
    EXPECT_EQ(Pixora_GetWaitTime(camera_), 3);
    PixoraMessage msg{};
    ASSERT_TRUE(NextFrameMessage(&msg));  // streaming again, in the new mode
    bool sawEightBit = false;
    for (int i = 0; i < 10 && !sawEightBit; ++i) {
        if (msg.wParam != 0) {
            sawEightBit = reinterpret_cast<const PixoraFrameInfo*>(msg.wParam)->bitsPerPixel == 8;
        }
        if (!sawEightBit) {
            ASSERT_TRUE(NextFrameMessage(&msg));
        }
    }
    EXPECT_TRUE(sawEightBit);
    EXPECT_EQ(Pixora_StopPreview(camera_), 1);
}

TEST_F(DialogExports, AutomaticIrisWritesIntoTheOpenAnalogDialog) {
    // Far too bright everywhere: the automatic gain lowers the gain and shows it in 1015.
    PixoraSim_SetScene(0, PIXORA_SIM_SCENE_GRADIENT);
    ASSERT_EQ(Pixora_SetGlobalGain(camera_, 1023), 1);
    ASSERT_EQ(Pixora_SetExposureTime(camera_, 400), 1);
    ASSERT_EQ(Pixora_SetAutoIris(camera_, 2), 1);
    ASSERT_EQ(Pixora_SetWaitTime(camera_, 0), 1);
    ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, nullptr, 0, 1), 1);
    std::string shown;
    host_.SetScript([&](HeadlessDialog& dialog) {
        HeadlessWindow& page = *dialog.Page(0);
        const std::string first = page.Text(kIdGainEdit);
        dialog.WaitUntil([&] { return page.Text(kIdGainEdit) != first; });
        shown = page.Text(kIdGainEdit);
        dialog.Ok();
    });
    EXPECT_EQ(Pixora_SetAnalogDlg(camera_, nullptr), 1);
    EXPECT_EQ(Pixora_StopPreview(camera_), 1);
    ASSERT_FALSE(shown.empty());
    EXPECT_LT(std::atoi(shown.c_str()), 1023);
}

// Windows always has a desktop, so the system's dialog host is always there: a dialog would
// come up and wait for a user.
#ifndef _WIN32
TEST_F(DialogExports, WithoutAnyHostTheExportsReportFour) {
    SetDialogTestHost(nullptr);
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    EXPECT_EQ(Pixora_SetImageDlg(camera_, nullptr), 0);
    EXPECT_EQ(Pixora_SetAnalogDlg(camera_, nullptr), 0);
    EXPECT_EQ(Pixora_SetCameraDlg(camera_, nullptr), 0);
    if (display)
        setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_EQ(DrainErrors(), (std::vector<int32_t>{4, 4, 4}));
    EXPECT_EQ(Pixora_GetBrightness(camera_, nullptr), 0);
}
#endif

}  // namespace
}  // namespace pixora::test
