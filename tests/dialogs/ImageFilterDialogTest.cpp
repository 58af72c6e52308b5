// The image filter dialog and its pages through the entry point, with the headless host as
// the user and a streaming thread running the processing chain meanwhile.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "DialogTestSupport.h"
#include "StreamingThread.h"
#include "dialogs/DialogTemplates.h"

namespace pixora {
namespace {

using test::FakeImageSession;
using test::HeadlessDialogs;
using test::StreamingThread;

// Slider rows of the image filter page: entry, trackbar, edit.
struct Row {
    FilterField entry;
    int32_t trackbar;
    int32_t edit;
};
constexpr Row kRows[] = {
    {FilterField::Brightness, 2001, 2002},
    {FilterField::Contrast, 2011, 2012},
    {FilterField::Hue, 2021, 2022},
    {FilterField::Saturation, 2031, 2032},
    {FilterField::Sharpness, 2041, 2042},
    {FilterField::BayerGainRed, 2051, 2052},
    {FilterField::BayerGainGreen, 2061, 2062},
    {FilterField::BayerGainBlue, 2071, 2072},
    {FilterField::Gamma, 2081, 2082},
};

class ImageFilterDialogTest : public ::testing::Test {
protected:
    HeadlessDialogs dialogs_;
};

TEST_F(ImageFilterDialogTest, MonochromeModeHasTwoTabsAndShowsDisabledColourRows) {
    FakeImageSession session(0);
    session.filter.Set(FilterField::Hue, 45);
    dialogs_.Play([&](HeadlessDialog& d) {
        EXPECT_EQ(d.Items(kIdTabControl),
                  (std::vector<std::string>{"Image Filter", "Gray Filter"}));
        ASSERT_EQ(d.PageCount(), 2u);
        HeadlessWindow& image = *d.Page(0);
        HeadlessWindow& gray = *d.Page(1);
        EXPECT_TRUE(image.Shown());
        EXPECT_FALSE(gray.Shown());
        EXPECT_EQ(image.PixelX(), 30);
        EXPECT_EQ(image.PixelY(), 25);
        EXPECT_EQ(gray.PixelX(), 30);
        for (int32_t edit : {2002, 2012, 2042, 2082})
            EXPECT_TRUE(image.IsEnabled(edit)) << edit;
        for (int32_t id : {2021, 2022, 2024, 2031, 2032, 2052, 2062, 2072, 2074, 1035, 1030, 1033})
            EXPECT_FALSE(image.IsEnabled(id)) << id;
        EXPECT_EQ(image.Text(2022), "45");
        EXPECT_EQ(image.Text(2052), "100");
        EXPECT_TRUE(image.IsChecked(1033));  // Bayer mode 3

        EXPECT_TRUE(d.SelectTab(kIdTabControl, 1));
        EXPECT_FALSE(image.Shown());
        EXPECT_TRUE(gray.Shown());
        EXPECT_FALSE(image.Slide(2001, 10));  // a hidden page takes no input
        EXPECT_TRUE(d.SelectTab(kIdTabControl, 0));
        EXPECT_TRUE(image.Shown());
        EXPECT_FALSE(gray.Shown());
        d.Ok();
    });
    EXPECT_EQ(RunImageFilterDialog(session, nullptr), kDialogOk);
    EXPECT_EQ(dialogs_.Host().LastResourceId(), 108);
}

TEST_F(ImageFilterDialogTest, ColourModeHasOneTabAndEveryRowEnabled) {
    FakeImageSession session(2);
    session.filter.Set(FilterField::WhiteBalanceRequest, 1);
    session.filter.Set(FilterField::BayerMode, 1);
    dialogs_.Play([&](HeadlessDialog& d) {
        EXPECT_EQ(d.Items(kIdTabControl), std::vector<std::string>{"Image Filter"});
        ASSERT_EQ(d.PageCount(), 1u);
        HeadlessWindow& image = *d.Page(0);
        for (const Row& row : kRows) {
            EXPECT_TRUE(image.IsEnabled(row.trackbar)) << row.trackbar;
            EXPECT_TRUE(image.IsEnabled(row.edit)) << row.edit;
        }
        for (int32_t id : {2074, 1035, 1030, 1031, 1032, 1033})
            EXPECT_TRUE(image.IsEnabled(id)) << id;
        EXPECT_TRUE(image.IsChecked(1031));
        EXPECT_FALSE(image.IsChecked(1033));
        EXPECT_FALSE(image.IsChecked(1035));  // whatever the request holds
        d.Cancel();
    });
    EXPECT_EQ(RunImageFilterDialog(session, nullptr), kDialogCancel);
}

TEST_F(ImageFilterDialogTest, RowsTakeTheirRangesAndTicks) {
    FakeImageSession session(3);
    dialogs_.Play([&](HeadlessDialog& d) {
        HeadlessWindow& image = *d.Page(0);
        const struct {
            int32_t trackbar, min, max, tick, updown;
        } expected[] = {
            {2001, -255, 255, 64, 2004}, {2011, -127, 127, 32, 2014}, {2021, -360, 360, 90, 2024},
            {2031, -255, 255, 64, 2034}, {2041, 0, 30, 4, 2044},      {2051, 0, 400, 32, 2054},
            {2061, 0, 400, 32, 2063},    {2071, 0, 400, 32, 2073},    {2081, 0, 200, 32, 2084}};
        for (const auto& e : expected) {
            const DialogControlState* t = image.Control(e.trackbar);
            ASSERT_NE(t, nullptr);
            EXPECT_EQ(t->trackbar.rangeMin, e.min) << e.trackbar;
            EXPECT_EQ(t->trackbar.rangeMax, e.max) << e.trackbar;
            EXPECT_EQ(t->trackbar.ticFrequency, e.tick) << e.trackbar;
            const DialogControlState* u = image.Control(e.updown);
            ASSERT_NE(u, nullptr);
            EXPECT_EQ(u->upDown.min, e.min);
            EXPECT_EQ(u->upDown.max, e.max);
            EXPECT_EQ(u->upDown.buddyId, e.trackbar + 1);
        }
        d.Cancel();
    });
    RunImageFilterDialog(session, nullptr);
}

TEST_F(ImageFilterDialogTest, SliderReachesTheNextFrameBeforeOkAndCancelRestores) {
    FakeImageSession session(2);
    StreamingThread stream(session.filter, 2, [&] { return session.published.Get(); });
    dialogs_.Play([&](HeadlessDialog& d) {
        HeadlessWindow& image = *d.Page(0);
        EXPECT_TRUE(d.WaitUntil([&] { return stream.OutputSumAtBrightness(0) >= 0; }));
        EXPECT_TRUE(image.Slide(2001, 80));
        EXPECT_EQ(image.Text(2002), "80");
        // The streaming thread processes a frame with the new brightness while the dialog
        // is still open.
        EXPECT_TRUE(d.WaitUntil(
            [&] { return stream.OutputSumAtBrightness(80) > stream.OutputSumAtBrightness(0); }));
        d.Cancel();
    });
    EXPECT_EQ(RunImageFilterDialog(session, nullptr), kDialogCancel);
    EXPECT_EQ(session.filter.Get(FilterField::Brightness), 0);
}

TEST_F(ImageFilterDialogTest, CancelRestoresWhiteBalanceGainsMeasuredMeanwhile) {
    FakeImageSession session(2);
    const auto before = session.filter.Copy();
    StreamingThread stream(session.filter, 2, [&] { return session.published.Get(); });
    dialogs_.Play([&](HeadlessDialog& d) {
        HeadlessWindow& image = *d.Page(0);
        EXPECT_TRUE(image.Click(2074));  // "Once"
        // The chain measures on its next frame, clears the request and asks for a refresh,
        // which reaches this thread.
        EXPECT_TRUE(d.WaitUntil([&] {
            return session.filter.Get(FilterField::WhiteBalanceRequest) == 0 &&
                   image.Text(2052) ==
                       std::to_string(session.filter.Get(FilterField::BayerGainRed)) &&
                   image.Text(2052) != "100";
        }));
        EXPECT_EQ(image.Position(2051), session.filter.Get(FilterField::BayerGainRed));
        d.Cancel();
    });
    EXPECT_EQ(RunImageFilterDialog(session, nullptr), kDialogCancel);
    stream.Stop();
    EXPECT_EQ(session.filter.Copy(), before);
}

TEST_F(ImageFilterDialogTest, OnceThenOkLeavesTheRequestForTheChain) {
    FakeImageSession session(2);
    dialogs_.Play([&](HeadlessDialog& d) {
        HeadlessWindow& image = *d.Page(0);
        EXPECT_TRUE(image.Click(1035));
        EXPECT_TRUE(image.IsChecked(1035));
        EXPECT_EQ(session.filter.Get(FilterField::WhiteBalanceRequest), 1);
        EXPECT_EQ(session.filter.Get(FilterField::WhiteBalanceCompanion1), 0);
        EXPECT_TRUE(image.Click(2074));
        EXPECT_FALSE(image.IsChecked(1035));
        d.Ok();
    });
    EXPECT_EQ(RunImageFilterDialog(session, nullptr), kDialogOk);
    EXPECT_EQ(session.filter.Get(FilterField::WhiteBalanceRequest), 1);
    EXPECT_EQ(session.filter.Get(FilterField::WhiteBalanceCompanion1), 1);
    EXPECT_EQ(session.filter.Get(FilterField::WhiteBalanceCompanion2), 1);
}

TEST_F(ImageFilterDialogTest, AllFramesOnAndOff) {
    FakeImageSession session(2);
    session.filter.Set(FilterField::WhiteBalanceCompanion1, 1);
    dialogs_.Play([&](HeadlessDialog& d) {
        HeadlessWindow& image = *d.Page(0);
        image.Click(1035);
        EXPECT_EQ(session.filter.Get(FilterField::WhiteBalanceRequest), 1);
        EXPECT_EQ(session.filter.Get(FilterField::WhiteBalanceCompanion1), 0);
        image.Click(1035);
        EXPECT_EQ(session.filter.Get(FilterField::WhiteBalanceRequest), 0);
        d.Ok();
    });
    RunImageFilterDialog(session, nullptr);
}

TEST_F(ImageFilterDialogTest, DefaultThenCancelLeavesTheSettingsAsBefore) {
    FakeImageSession session(0);
    session.filter.Set(FilterField::Contrast, -20);
    session.filter.Set(FilterField::Gamma, 150);
    session.filter.Set(FilterField::BayerMode, 0);
    session.filter.Set(FilterField::GrayGainG1, 300);
    session.filter.Set(FilterField::GrayOffsetB, -9);
    const auto before = session.filter.Copy();
    dialogs_.Play([&](HeadlessDialog& d) {
        EXPECT_TRUE(d.Click(kIdDefault));
        EXPECT_EQ(session.filter.Get(FilterField::Contrast), 0);
        EXPECT_EQ(session.filter.Get(FilterField::Gamma), 100);
        EXPECT_EQ(session.filter.Get(FilterField::GrayGainG1), 128);
        EXPECT_EQ(d.Page(0)->Text(2012), "0");
        EXPECT_EQ(d.Page(0)->Position(2081), 100);
        d.Cancel();
    });
    EXPECT_EQ(RunImageFilterDialog(session, nullptr), kDialogCancel);
    EXPECT_EQ(session.filter.Copy(), before);
}

TEST_F(ImageFilterDialogTest, DefaultLeavesGrayModeWhiteBalanceFlagsAndAutoGainAlone) {
    FakeImageSession session(1);
    session.filter.Set(FilterField::GrayMode, 2);
    session.filter.Set(FilterField::WhiteBalanceRequest, 1);
    session.filter.Set(FilterField::GrayAutoGainCounter, -1);
    session.filter.Set(FilterField::Sharpness, 7);
    session.filter.Set(FilterField::BayerMode, 1);
    session.filter.Set(FilterField::GrayGainR, 200);
    session.filter.Set(FilterField::GrayOffsetR, 40);
    dialogs_.Play([&](HeadlessDialog& d) {
        EXPECT_TRUE(d.Click(kIdDefault));
        HeadlessWindow& gray = *d.Page(1);
        EXPECT_EQ(gray.Text(2101), "128");
        EXPECT_EQ(gray.Text(2113), "0");
        EXPECT_TRUE(d.Page(0)->IsChecked(1033));
        EXPECT_TRUE(gray.IsChecked(1031));  // the gray page keeps showing the old mode
        d.Ok();
    });
    EXPECT_EQ(RunImageFilterDialog(session, nullptr), kDialogOk);
    EXPECT_EQ(session.filter.Get(FilterField::Sharpness), 0);
    EXPECT_EQ(session.filter.Get(FilterField::BayerMode), 3);
    EXPECT_EQ(session.filter.Get(FilterField::GrayGainR), 128);
    EXPECT_EQ(session.filter.Get(FilterField::GrayOffsetR), 0);
    EXPECT_EQ(session.filter.Get(FilterField::GrayMode), 2);
    EXPECT_EQ(session.filter.Get(FilterField::WhiteBalanceRequest), 1);
    EXPECT_EQ(session.filter.Get(FilterField::GrayAutoGainCounter), -1);
}

TEST_F(ImageFilterDialogTest, TypedValuesAreNotClampedAndTheTrackbarShowsTheNearestEnd) {
    FakeImageSession session(2);
    dialogs_.Play([&](HeadlessDialog& d) {
        HeadlessWindow& image = *d.Page(0);
        EXPECT_TRUE(image.Type(2002, "999"));
        EXPECT_EQ(session.filter.Get(FilterField::Brightness), 999);
        EXPECT_EQ(image.Position(2001), 255);
        // The keyboard gives a numeric edit digits only.
        EXPECT_TRUE(image.Type(2012, "-5x"));
        EXPECT_EQ(image.Text(2012), "5");
        EXPECT_EQ(session.filter.Get(FilterField::Contrast), 5);
        // Empty text reads as 0.
        EXPECT_TRUE(image.Type(2022, ""));
        EXPECT_EQ(session.filter.Get(FilterField::Hue), 0);
        d.Ok();
    });
    EXPECT_EQ(RunImageFilterDialog(session, nullptr), kDialogOk);
    EXPECT_EQ(session.filter.Get(FilterField::Brightness), 999);
}

TEST_F(ImageFilterDialogTest, ANegativeGammaReachesTheChainSafely) {
    FakeImageSession session(2);
    StreamingThread stream(session.filter, 2, [&] { return session.published.Get(); });
    dialogs_.Play([&](HeadlessDialog& d) {
        HeadlessWindow& image = *d.Page(0);
        EXPECT_TRUE(image.Paste(2082, "-7"));
        EXPECT_EQ(session.filter.Get(FilterField::Gamma), -7);
        EXPECT_EQ(image.Position(2081), 0);
        const int64_t seen = stream.Frames();
        EXPECT_TRUE(d.WaitUntil([&] { return stream.Frames() > seen + 1; }));
        d.Ok();
    });
    EXPECT_EQ(RunImageFilterDialog(session, nullptr), kDialogOk);
    stream.Stop();
    EXPECT_EQ(session.filter.Get(FilterField::Gamma), -7);
}

TEST_F(ImageFilterDialogTest, TheUpDownStepsFromWhatTheEditShows) {
    FakeImageSession session(2);
    dialogs_.Play([&](HeadlessDialog& d) {
        HeadlessWindow& image = *d.Page(0);
        EXPECT_TRUE(image.Spin(2004, -1));
        EXPECT_EQ(image.Text(2002), "-1");
        EXPECT_EQ(session.filter.Get(FilterField::Brightness), -1);
        EXPECT_TRUE(image.Type(2002, "254"));
        EXPECT_TRUE(image.Spin(2004, +1));
        EXPECT_TRUE(image.Spin(2004, +1));  // held at the top of the range
        EXPECT_EQ(session.filter.Get(FilterField::Brightness), 255);
        d.Ok();
    });
    RunImageFilterDialog(session, nullptr);
}

TEST_F(ImageFilterDialogTest, OkReadsTheEditsAndTheCheckedRadio) {
    FakeImageSession session(3);
    dialogs_.Play([&](HeadlessDialog& d) {
        HeadlessWindow& image = *d.Page(0);
        EXPECT_TRUE(image.Click(1030));
        EXPECT_EQ(session.filter.Get(FilterField::BayerMode), 0);
        EXPECT_FALSE(image.IsChecked(1033));  // one group
        EXPECT_TRUE(image.Slide(2041, 12));
        // Something else writes the entry behind the dialog's back; OK takes the edit.
        session.filter.Set(FilterField::Sharpness, 3);
        session.filter.Set(FilterField::BayerMode, 2);
        d.Ok();
    });
    EXPECT_EQ(RunImageFilterDialog(session, nullptr), kDialogOk);
    EXPECT_EQ(session.filter.Get(FilterField::Sharpness), 12);
    EXPECT_EQ(session.filter.Get(FilterField::BayerMode), 0);
}

// The language follows the locale variables here; on Windows it is the system default
// language, which a test cannot switch (tests/win32 covers the Japanese templates there).
#ifndef _WIN32
TEST_F(ImageFilterDialogTest, JapaneseTemplatesKeepEnglishPageTexts) {
    FakeImageSession session(0);
    test::ScopedLanguage japanese("ja_JP.UTF-8");
    dialogs_.Play([&](HeadlessDialog& d) {
        EXPECT_EQ(d.Caption(), "プロパティ");
        EXPECT_EQ(d.Text(kIdDefault), "規定値(&D)");
        EXPECT_EQ(d.Page(0)->Template().resourceId, 103);
        EXPECT_EQ(d.Page(1)->Template().resourceId, 113);
        EXPECT_EQ(d.Items(kIdTabControl),
                  (std::vector<std::string>{"Image Filter", "Gray Filter"}));
        d.Cancel();
    });
    RunImageFilterDialog(session, nullptr);
    EXPECT_EQ(dialogs_.Host().LastResourceId(), 102);
}
#endif

// Windows always has a desktop, so the system's dialog host is always there: a dialog would
// come up and wait for a user.
#ifndef _WIN32
TEST_F(ImageFilterDialogTest, WithoutAnyHostNothingIsShownOrChanged) {
    FakeImageSession session(2);
    session.filter.Set(FilterField::Brightness, 33);
    const auto before = session.filter.Copy();
    SetDialogTestHost(nullptr);
    test::ScopedNoDisplay noDisplay;
    EXPECT_FALSE(PropertyDialogsAvailable());
    EXPECT_EQ(RunImageFilterDialog(session, nullptr), kDialogNoHost);
    EXPECT_EQ(RunCameraPropertyDialog(nullptr), kDialogNoHost);
    test::FakeAnalogSession analog;
    EXPECT_EQ(RunAnalogGainDialog(analog, nullptr), kDialogNoHost);
    EXPECT_TRUE(analog.Gains().empty());
    EXPECT_EQ(session.filter.Copy(), before);
    EXPECT_EQ(session.published.Publications(), 0);
    SetDialogTestHost(&dialogs_.Host());
    EXPECT_TRUE(PropertyDialogsAvailable());
}
#endif

TEST_F(ImageFilterDialogTest, TheRefreshTargetIsWithdrawnAndHarmlessAfterTheDialog) {
    FakeImageSession session(2);
    std::shared_ptr<DialogRefresh> kept;
    dialogs_.Play([&](HeadlessDialog& d) {
        kept = session.published.Get();
        ASSERT_NE(kept, nullptr);
        d.Ok();
    });
    RunImageFilterDialog(session, nullptr);
    EXPECT_EQ(session.published.Get(), nullptr);
    EXPECT_EQ(session.published.Publications(), 2);
    kept->RefreshImageSettings();  // a late call from the streaming thread does nothing
    kept->ShowAnalogValue(AnalogField::GlobalGain, 3);
}

// Two sessions with dialogs open at the same time: each refresh reaches its own dialog.
TEST_F(ImageFilterDialogTest, TwoSessionsKeepTheirOwnOpenDialogs) {
    FakeImageSession first(2);
    FakeImageSession second(2);
    first.filter.Set(FilterField::Brightness, 1);
    second.filter.Set(FilterField::Brightness, 2);
    std::atomic<int> open{0};
    dialogs_.Play([&](HeadlessDialog& d) {
        HeadlessWindow& image = *d.Page(0);
        const std::string initial = image.Text(2002);
        ++open;
        // Each dialog waits for its own session's new value, and must never see the other's.
        const std::string wanted = initial == "1" ? "101" : "102";
        const std::string other = initial == "1" ? "102" : "101";
        EXPECT_TRUE(d.WaitUntil([&] { return image.Text(2002) == wanted; })) << initial;
        EXPECT_NE(image.Text(2002), other);
        d.Ok();
    });
    std::thread a([&] { EXPECT_EQ(RunImageFilterDialog(first, nullptr), kDialogOk); });
    std::thread b([&] { EXPECT_EQ(RunImageFilterDialog(second, nullptr), kDialogOk); });
    while (open.load() < 2 || !first.published.Get() || !second.published.Get())
        std::this_thread::yield();
    first.filter.Set(FilterField::Brightness, 101);
    second.filter.Set(FilterField::Brightness, 102);
    first.published.Get()->RefreshImageSettings();
    second.published.Get()->RefreshImageSettings();
    a.join();
    b.join();
    EXPECT_EQ(first.filter.Get(FilterField::Brightness), 101);
    EXPECT_EQ(second.filter.Get(FilterField::Brightness), 102);
}

}  // namespace
}  // namespace pixora
