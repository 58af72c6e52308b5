// The analog gain dialog through its entry point, with the headless host as the user.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "DialogTestSupport.h"
#include "FakeCamera.h"
#include "StreamingThread.h"
#include "dialogs/DialogTemplates.h"
#include "imaging/ExposureControl.h"

namespace pixora {
namespace {

using test::FakeAnalogSession;
using test::HeadlessDialogs;
using test::StreamingThread;

class AnalogGainDialogTest : public ::testing::Test {
protected:
    int32_t Run(FakeAnalogSession& session,
                const std::function<void(HeadlessDialog&, HeadlessWindow&)>& script) {
        dialogs_.Play([&](HeadlessDialog& d) {
            ASSERT_EQ(d.PageCount(), 1u);
            script(d, *d.Page(0));
        });
        return RunAnalogGainDialog(session, nullptr);
    }

    HeadlessDialogs dialogs_;
};

TEST_F(AnalogGainDialogTest, RangesTicksAndStatesFromTheDeviceAndSettings) {
    FakeAnalogSession session;
    session.analog.Set(AnalogField::ColorGainR, 12);
    session.analog.Set(AnalogField::VerticalMirror, 1);
    session.analog.Set(AnalogField::AutoIris, 2);
    Run(session, [&](HeadlessDialog& d, HeadlessWindow& page) {
        EXPECT_EQ(d.Items(kIdTabControl), std::vector<std::string>{"Analog Gain"});
        EXPECT_EQ(page.PixelX(), 30);
        EXPECT_EQ(page.PixelY(), 25);
        const DialogControlState* gain = page.Control(kIdGainTrackbar);
        const DialogControlState* exposure = page.Control(kIdExposureTrackbar);
        ASSERT_TRUE(gain && exposure);
        EXPECT_EQ(gain->trackbar.rangeMin, 0);
        EXPECT_EQ(gain->trackbar.rangeMax, 1023);
        EXPECT_EQ(gain->trackbar.ticFrequency, 127);
        EXPECT_EQ(gain->trackbar.position, 656);
        EXPECT_EQ(exposure->trackbar.rangeMin, 8);
        EXPECT_EQ(exposure->trackbar.rangeMax, 1068);
        EXPECT_EQ(exposure->trackbar.ticFrequency, 132);
        EXPECT_EQ(page.Text(kIdGainEdit), "656");
        EXPECT_EQ(page.Text(kIdExposureEdit), "64");
        // Colour gains: shown, not usable.
        EXPECT_EQ(page.Text(1021), "12");
        EXPECT_EQ(page.Control(1020)->trackbar.rangeMax, 0);
        EXPECT_EQ(page.Control(1020)->trackbar.ticFrequency, 0);
        for (int32_t id : {1018, 1019, 1039, 1020, 1021, 1040, 1024, 1025, 1042})
            EXPECT_FALSE(page.IsEnabled(id)) << id;
        EXPECT_TRUE(page.IsEnabled(kIdGainEdit));
        EXPECT_TRUE(page.IsChecked(kIdMirrorCheck));
        EXPECT_TRUE(page.IsChecked(kIdAutoIrisGainCheck));
        EXPECT_FALSE(page.IsChecked(kIdAutoIrisExposureCheck));
        d.Ok();
    });
    EXPECT_TRUE(session.Gains().empty());  // opening sends nothing to the camera
    EXPECT_EQ(dialogs_.Host().LastResourceId(), 111);
}

TEST_F(AnalogGainDialogTest, DraggingSendsEveryValueAndCancelSendsTheOldOneAgain) {
    FakeAnalogSession session;
    const auto before = session.analog.Copy();
    EXPECT_EQ(Run(session,
                  [&](HeadlessDialog& d, HeadlessWindow& page) {
                      for (int32_t pos : {700, 705, 710})
                          EXPECT_TRUE(page.Slide(kIdGainTrackbar, pos));
                      EXPECT_EQ(page.Text(kIdGainEdit), "710");
                      EXPECT_EQ(session.analog.Get(AnalogField::GlobalGain), 710);
                      d.Cancel();
                  }),
              kDialogCancel);
    EXPECT_EQ(session.Gains(), (std::vector<int32_t>{700, 705, 710, 656}));
    EXPECT_EQ(session.Exposures(), std::vector<int32_t>{64});
    EXPECT_EQ(session.analog.Copy(), before);
}

TEST_F(AnalogGainDialogTest, DefaultThenCancelRestoresSettingsAndCamera) {
    FakeAnalogSession session;
    session.analog.Set(AnalogField::GlobalGain, 300);
    session.analog.Set(AnalogField::ColorGainG1, 5);
    session.analog.Set(AnalogField::Exposure, 500);
    session.analog.Set(AnalogField::AutoIris, 1);
    const auto before = session.analog.Copy();
    Run(session, [&](HeadlessDialog& d, HeadlessWindow& page) {
        EXPECT_TRUE(d.Click(kIdDefault));
        EXPECT_EQ(session.analog.Get(AnalogField::GlobalGain), 656);
        EXPECT_EQ(session.analog.Get(AnalogField::ColorGainG1), 0);
        EXPECT_EQ(session.analog.Get(AnalogField::Exposure), 64);
        EXPECT_EQ(session.analog.Get(AnalogField::AutoIris), 1);  // stays
        EXPECT_EQ(page.Text(kIdGainEdit), "656");
        EXPECT_EQ(page.Position(kIdExposureTrackbar), 64);
        d.Cancel();
    });
    EXPECT_EQ(session.Gains(), (std::vector<int32_t>{656, 300}));
    EXPECT_EQ(session.Exposures(), (std::vector<int32_t>{64, 500}));
    EXPECT_EQ(session.analog.Copy(), before);
}

TEST_F(AnalogGainDialogTest, MirrorSwapsTheRowParityOfTheBayerMode) {
    FakeAnalogSession session;
    Run(session, [&](HeadlessDialog& d, HeadlessWindow& page) {
        EXPECT_TRUE(page.Click(kIdMirrorCheck));
        EXPECT_EQ(session.analog.Get(AnalogField::VerticalMirror), 1);
        EXPECT_EQ(session.filter.Get(FilterField::BayerMode), 2);
        EXPECT_TRUE(page.Click(kIdMirrorCheck));
        EXPECT_EQ(session.analog.Get(AnalogField::VerticalMirror), 0);
        EXPECT_EQ(session.filter.Get(FilterField::BayerMode), 3);
        session.filter.Set(FilterField::BayerMode, 0);
        EXPECT_TRUE(page.Click(kIdMirrorCheck));
        EXPECT_EQ(session.filter.Get(FilterField::BayerMode), 1);
        d.Cancel();  // puts the Bayer mode back as it was when the dialog opened
    });
    EXPECT_EQ(session.filter.Get(FilterField::BayerMode), 3);
    EXPECT_EQ(session.analog.Get(AnalogField::VerticalMirror), 0);
}

TEST_F(AnalogGainDialogTest, GainAndExposureIrisBoxesExcludeEachOther) {
    FakeAnalogSession session;
    session.analog.Set(AnalogField::AutoIris, 1);
    Run(session, [&](HeadlessDialog& d, HeadlessWindow& page) {
        EXPECT_TRUE(page.IsChecked(kIdAutoIrisExposureCheck));
        EXPECT_TRUE(page.Click(kIdAutoIrisGainCheck));
        EXPECT_FALSE(page.IsChecked(kIdAutoIrisExposureCheck));
        EXPECT_EQ(session.analog.Get(AnalogField::AutoIris), 2);
        EXPECT_TRUE(page.Click(kIdAutoIrisGainCheck));
        EXPECT_EQ(session.analog.Get(AnalogField::AutoIris), 0);
        EXPECT_TRUE(page.Click(kIdAutoIrisExposureCheck));
        EXPECT_EQ(session.analog.Get(AnalogField::AutoIris), 1);
        d.Ok();
    });
    EXPECT_EQ(session.analog.Get(AnalogField::AutoIris), 1);
}

TEST_F(AnalogGainDialogTest, TypedGainAndExposureGoToTheCameraAsTyped) {
    FakeAnalogSession session;
    EXPECT_EQ(Run(session,
                  [&](HeadlessDialog& d, HeadlessWindow& page) {
                      EXPECT_TRUE(page.Type(kIdGainEdit, "5000"));
                      EXPECT_EQ(page.Position(kIdGainTrackbar), 1023);
                      EXPECT_TRUE(page.Type(kIdExposureEdit, "2"));
                      d.Ok();
                  }),
              kDialogOk);
    // Key by key, as typed; the camera keeps the low bits of the gain and clamps the exposure.
    EXPECT_EQ(session.Gains(), (std::vector<int32_t>{5, 50, 500, 5000}));
    EXPECT_EQ(session.Exposures(), std::vector<int32_t>{2});
    EXPECT_EQ(session.analog.Get(AnalogField::GlobalGain), 5000);
    EXPECT_EQ(session.analog.Get(AnalogField::Exposure), 2);
}

TEST_F(AnalogGainDialogTest, AutomaticIrisWritesTheGainEditWhileStreaming) {
    FakeAnalogSession session;
    session.analog.Set(AnalogField::AutoIris, 2);
    test::RangeCamera camera;
    // A dark scene: the automatic iris raises the gain on every third frame.
    StreamingThread stream(
        session.filter, 2, [&] { return session.published.Get(); }, &session.analog, &camera);
    EXPECT_EQ(Run(session,
                  [&](HeadlessDialog& d, HeadlessWindow& page) {
                      EXPECT_TRUE(d.WaitUntil([&] { return page.Text(kIdGainEdit) == "1023"; }));
                      EXPECT_EQ(page.Position(kIdGainTrackbar), 1023);
                      d.Ok();
                  }),
              kDialogOk);
    stream.Stop();
    // The edit's change went on to the camera like a typed value.
    ASSERT_FALSE(session.Gains().empty());
    EXPECT_EQ(session.Gains().back(), 1023);
    EXPECT_EQ(session.analog.Get(AnalogField::GlobalGain), 1023);
}

// The language follows the locale variables here; on Windows it is the system default
// language, which a test cannot switch (tests/win32 covers the Japanese templates there).
#ifndef _WIN32
TEST_F(AnalogGainDialogTest, JapanesePageIsWider) {
    FakeAnalogSession session;
    test::ScopedLanguage japanese("ja_JP.UTF-8");
    Run(session, [&](HeadlessDialog& d, HeadlessWindow& page) {
        EXPECT_EQ(page.Template().resourceId, 105);
        EXPECT_EQ(page.Template().width, 251);
        EXPECT_EQ(d.Text(kIdCancel), "キャンセル");
        d.Cancel();
    });
    EXPECT_EQ(dialogs_.Host().LastResourceId(), 104);
}
#endif

}  // namespace
}  // namespace pixora
