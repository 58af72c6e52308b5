// The gray filter page, the second tab of the image filter dialog in monochrome modes.
#include <gtest/gtest.h>

#include <string>

#include "DialogTestSupport.h"
#include "StreamingThread.h"
#include "dialogs/DialogTemplates.h"
#include "imaging/ProcessFrame.h"

namespace pixora {
namespace {

using test::FakeImageSession;
using test::HeadlessDialogs;
using test::StreamingThread;

class GrayFilterPageTest : public ::testing::Test {
protected:
    // Runs the dialog in colour mode 0 with `script` acting on the gray page (tab 1 open).
    int32_t RunOnGrayPage(FakeImageSession& session,
                          const std::function<void(HeadlessDialog&, HeadlessWindow&)>& script) {
        dialogs_.Play([&](HeadlessDialog& d) {
            ASSERT_EQ(d.PageCount(), 2u);
            ASSERT_TRUE(d.SelectTab(kIdTabControl, 1));
            script(d, *d.Page(1));
        });
        return RunImageFilterDialog(session, nullptr);
    }

    HeadlessDialogs dialogs_;
};

TEST_F(GrayFilterPageTest, ShowsTheRowsModeAndBayerModeAllUsable) {
    FakeImageSession session(0);
    session.filter.Set(FilterField::GrayMode, 1);
    session.filter.Set(FilterField::GrayGainG2, 250);
    session.filter.Set(FilterField::GrayOffsetG1, -30);
    session.filter.Set(FilterField::BayerMode, 2);
    session.filter.Set(FilterField::GrayAutoGainCounter, -1);
    RunOnGrayPage(session, [&](HeadlessDialog& d, HeadlessWindow& gray) {
        EXPECT_EQ(gray.Template().resourceId, 112);
        EXPECT_EQ(gray.Text(2101), "128");
        EXPECT_EQ(gray.Text(2107), "250");
        EXPECT_EQ(gray.Text(2116), "-30");
        EXPECT_EQ(gray.Position(2115), -30);
        const DialogControlState* gain = gray.Control(2100);
        const DialogControlState* offset = gray.Control(2121);
        ASSERT_TRUE(gain && offset);
        EXPECT_EQ(gain->trackbar.rangeMax, 400);
        EXPECT_EQ(gain->trackbar.ticFrequency, 32);
        EXPECT_EQ(offset->trackbar.rangeMin, -255);
        EXPECT_EQ(offset->trackbar.ticFrequency, 32);
        for (int32_t id = 2100; id <= 2123; ++id)
            EXPECT_TRUE(gray.IsEnabled(id)) << id;
        EXPECT_TRUE(gray.IsChecked(1046));
        EXPECT_FALSE(gray.IsChecked(1045));
        EXPECT_TRUE(gray.IsChecked(1032));
        EXPECT_FALSE(gray.IsChecked(1035));
        d.Cancel();
    });
}

TEST_F(GrayFilterPageTest, AllFramesTogglesTheCounterWhateverTheBoxShows) {
    FakeImageSession session(0);
    RunOnGrayPage(session, [&](HeadlessDialog& d, HeadlessWindow& gray) {
        gray.Click(1035);
        EXPECT_EQ(session.filter.Get(FilterField::GrayAutoGainCounter), -1);
        gray.Click(1035);
        EXPECT_EQ(session.filter.Get(FilterField::GrayAutoGainCounter), 0);
        gray.Click(2074);  // "Once"
        EXPECT_EQ(session.filter.Get(FilterField::GrayAutoGainCounter), 1);
        EXPECT_FALSE(gray.IsChecked(1035));
        gray.Click(1035);  // after "Once": measurement off, though the box now shows a check
        EXPECT_EQ(session.filter.Get(FilterField::GrayAutoGainCounter), 0);
        EXPECT_TRUE(gray.IsChecked(1035));
        d.Ok();
    });
    EXPECT_EQ(session.filter.Get(FilterField::GrayAutoGainCounter), 0);
}

TEST_F(GrayFilterPageTest, GrayModeAndBayerModeAreSeparateRadioGroups) {
    FakeImageSession session(0);
    RunOnGrayPage(session, [&](HeadlessDialog& d, HeadlessWindow& gray) {
        EXPECT_TRUE(gray.Click(1047));
        EXPECT_EQ(session.filter.Get(FilterField::GrayMode), 2);
        EXPECT_FALSE(gray.IsChecked(1045));
        EXPECT_TRUE(gray.IsChecked(1033));  // the Bayer mode group is untouched
        EXPECT_TRUE(gray.Click(1030));
        EXPECT_EQ(session.filter.Get(FilterField::BayerMode), 0);
        EXPECT_TRUE(gray.IsChecked(1047));
        d.Cancel();
    });
    EXPECT_EQ(session.filter.Get(FilterField::GrayMode), 0);
    EXPECT_EQ(session.filter.Get(FilterField::BayerMode), 3);
}

TEST_F(GrayFilterPageTest, ABayerModePickedHereSurvivesOk) {
    // The image filter page reads its own Bayer-mode buttons on OK; they follow this page.
    FakeImageSession session(0);
    RunOnGrayPage(session, [&](HeadlessDialog& d, HeadlessWindow& gray) {
        EXPECT_TRUE(gray.Click(1031));
        EXPECT_TRUE(d.Page(0)->IsChecked(1031));
        EXPECT_FALSE(d.Page(0)->IsChecked(1033));
        d.Ok();
    });
    EXPECT_EQ(session.filter.Get(FilterField::BayerMode), 1);
}

TEST_F(GrayFilterPageTest, NegativeOffsetsComeFromTheSliderAndTheArrows) {
    FakeImageSession session(0);
    RunOnGrayPage(session, [&](HeadlessDialog& d, HeadlessWindow& gray) {
        EXPECT_TRUE(gray.Slide(2112, -40));
        EXPECT_EQ(gray.Text(2113), "-40");
        EXPECT_EQ(session.filter.Get(FilterField::GrayOffsetR), -40);
        EXPECT_TRUE(gray.Spin(2117, -1));
        EXPECT_EQ(gray.Text(2116), "-1");
        EXPECT_EQ(gray.Position(2115), -1);
        EXPECT_EQ(session.filter.Get(FilterField::GrayOffsetG1), -1);
        EXPECT_TRUE(gray.Type(2101, "300"));
        EXPECT_EQ(gray.Position(2100), 300);
        d.Ok();
    });
    EXPECT_EQ(session.filter.Get(FilterField::GrayOffsetR), -40);
    EXPECT_EQ(session.filter.Get(FilterField::GrayOffsetG1), -1);
    EXPECT_EQ(session.filter.Get(FilterField::GrayGainR), 300);
}

TEST_F(GrayFilterPageTest, MeasuredGainsShowUpWhileOpenAndCancelPutsTheOldOnesBack) {
    FakeImageSession session(0);
    session.filter.Set(FilterField::GrayMode, kGrayModeBayerConvert);
    const auto before = session.filter.Copy();
    StreamingThread stream(session.filter, 0, [&] { return session.published.Get(); });
    RunOnGrayPage(session, [&](HeadlessDialog& d, HeadlessWindow& gray) {
        EXPECT_TRUE(gray.Click(1047));  // a radio the refresh must leave alone
        EXPECT_TRUE(gray.Click(1046));
        EXPECT_TRUE(gray.Click(2074));  // measure once
        EXPECT_TRUE(d.WaitUntil([&] {
            return session.filter.Get(FilterField::GrayAutoGainCounter) == 0 &&
                   gray.Text(2101) == std::to_string(session.filter.Get(FilterField::GrayGainR)) &&
                   gray.Text(2101) != "128";
        }));
        EXPECT_TRUE(gray.IsChecked(1046));
        d.Cancel();
    });
    stream.Stop();
    EXPECT_EQ(session.filter.Copy(), before);
}

TEST_F(GrayFilterPageTest, OkReadsTheEightEdits) {
    FakeImageSession session(1);
    RunOnGrayPage(session, [&](HeadlessDialog& d, HeadlessWindow& gray) {
        EXPECT_TRUE(gray.Type(2110, "64"));
        // Written behind the dialog's back; OK takes what the edits show.
        session.filter.Set(FilterField::GrayOffsetB, 77);
        session.filter.Set(FilterField::GrayMode, 2);
        d.Ok();
    });
    EXPECT_EQ(session.filter.Get(FilterField::GrayGainB), 64);
    EXPECT_EQ(session.filter.Get(FilterField::GrayOffsetB), 0);
    EXPECT_EQ(session.filter.Get(FilterField::GrayMode), 2);  // not an edit
}

}  // namespace
}  // namespace pixora
