// The dialog engine under the dialogs: number texts, up-down steps, the mailbox, the
// refresh channel, the headless host's controls, the language rule and the templates.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "DialogTestSupport.h"
#include "dialogs/DialogRefreshChannel.h"
#include "dialogs/DialogTemplates.h"
#include "dialogs/host/DialogControlState.h"
#include "dialogs/host/DialogLanguage.h"
#include "dialogs/host/DialogMailbox.h"

namespace pixora {
namespace {

TEST(ItemInt, ParsesLikeTheSystem) {
    struct Case {
        const char* text;
        bool isSigned;
        bool ok;
        int32_t value;
    } cases[] = {
        {"123", true, true, 123},        {"  -45", true, true, -45},
        {"-45", false, false, 0},        {"", true, false, 0},
        {"abc", false, false, 0},        {"12ab", true, true, 12},
        {"-", true, false, 0},           {"2147483647", true, true, 2147483647},
        {"2147483648", true, false, 0},  {"-2147483648", true, true, INT32_MIN},
        {"-2147483649", true, false, 0}, {"4294967295", false, true, -1},
        {"4294967296", false, false, 0}, {"000000000000000042", false, true, 42},
    };
    for (const Case& c : cases) {
        bool ok = !c.ok;
        EXPECT_EQ(ParseItemInt(c.text, &ok, c.isSigned), c.value) << c.text;
        EXPECT_EQ(ok, c.ok) << c.text;
    }
    EXPECT_EQ(ParseItemInt("7", nullptr, true), 7);
    EXPECT_EQ(FormatItemInt(-1, false), "4294967295");
    EXPECT_EQ(FormatItemInt(-1, true), "-1");
}

TEST(UpDownStep, StartsFromTheBuddyAndStaysInRange) {
    const auto step = [](int32_t position, const std::string* buddy, int32_t min, int32_t max,
                         int delta) {
        UpDownState upDown{min, max, position};
        const int32_t next = upDown.Step(delta, buddy);
        EXPECT_EQ(upDown.position, next);
        return next;
    };
    const std::string shown = "40";
    const std::string junk = "x";
    EXPECT_EQ(step(0, &shown, -255, 255, +1), 41);
    EXPECT_EQ(step(7, &junk, -255, 255, -1), 6);
    EXPECT_EQ(step(7, nullptr, 0, 7, +1), 7);
    const std::string far = "9999";
    EXPECT_EQ(step(0, &far, 0, 400, +1), 400);
    EXPECT_EQ(step(0, &far, 0, 400, -1), 399);
    // The system's default range runs from 100 down to 0: up lowers the position.
    EXPECT_EQ(step(50, nullptr, 100, 0, +1), 49);
}

TEST(Mailbox, RunsPostedTasksInOrderUntilClosed) {
    int wakes = 0;
    DialogMailbox mailbox([&] { ++wakes; });
    std::vector<int> ran;
    EXPECT_TRUE(mailbox.Post([&] { ran.push_back(1); }));
    EXPECT_TRUE(mailbox.Post([&] {
        ran.push_back(2);
        mailbox.Post([&] { ran.push_back(3); });  // runs on the next round
    }));
    EXPECT_EQ(wakes, 2);
    EXPECT_EQ(mailbox.RunPending(), 2);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_TRUE(mailbox.HasPending());
    mailbox.Close();
    EXPECT_FALSE(mailbox.HasPending());
    EXPECT_EQ(mailbox.RunPending(), 0);
    EXPECT_FALSE(mailbox.Post([&] { ran.push_back(4); }));
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_EQ(wakes, 3);
}

// A dialog closes while a streaming thread is still waking it: whatever the wake touches
// belongs to the dialog, so closing waits for it.
TEST(Mailbox, ClosingWaitsForAWakeInFlight) {
    std::atomic<bool> inWake{false};
    std::atomic<bool> release{false};
    std::atomic<bool> wakeDone{false};
    DialogMailbox mailbox([&] {
        inWake = true;
        while (!release.load())
            std::this_thread::yield();
        wakeDone = true;
    });
    std::thread poster([&] { EXPECT_TRUE(mailbox.Post([] {})); });
    while (!inWake.load())
        std::this_thread::yield();
    std::atomic<bool> closed{false};
    std::thread closer([&] {
        mailbox.Close();
        EXPECT_TRUE(wakeDone.load());
        closed = true;
    });
    EXPECT_FALSE(closed.load());
    release = true;
    closer.join();
    poster.join();
    EXPECT_TRUE(closed.load());
}

TEST(RefreshChannel, ManyRequestsMakeOnePendingTaskWithTheNewestValue) {
    auto mailbox = std::make_shared<DialogMailbox>(nullptr);
    int refreshes = 0;
    std::vector<std::pair<AnalogField, int32_t>> shown;
    DialogRefreshChannel channel(
        mailbox, [&] { ++refreshes; },
        [&](AnalogField field, int32_t value) { shown.emplace_back(field, value); });
    std::thread streaming([&] {
        for (int32_t i = 1; i <= 1000; ++i) {
            channel.RefreshImageSettings();
            channel.ShowAnalogValue(AnalogField::GlobalGain, i);
            channel.ShowAnalogValue(AnalogField::Exposure, -i);
        }
    });
    streaming.join();
    EXPECT_EQ(mailbox->RunPending(), 3);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(shown, (std::vector<std::pair<AnalogField, int32_t>>{
                         {AnalogField::GlobalGain, 1000}, {AnalogField::Exposure, -1000}}));
    channel.RefreshImageSettings();
    EXPECT_EQ(mailbox->RunPending(), 1);
    EXPECT_EQ(refreshes, 2);
    mailbox->Close();
    channel.RefreshImageSettings();
    channel.ShowAnalogValue(AnalogField::GlobalGain, 5);
    EXPECT_EQ(mailbox->RunPending(), 0);
    EXPECT_EQ(refreshes, 2);
}

// A small dialog to watch the headless controls with.
using C = DialogControlClass;
constexpr DialogControlTemplate kProbeControls[] = {
    {10, C::Edit, 0x50810080, 0, 0, 40, 12, {"start"}},
    {11, C::Static, 0x50020000, 0, 14, 40, 8, {"label"}},
    {20, C::Button, 0x50000009, 0, 30, 8, 8, {}},
    {21, C::Button, 0x50000009, 10, 30, 8, 8, {}},
    {22, C::Static, 0x50020000, 20, 30, 8, 8, {}},
    {23, C::Button, 0x50000009, 30, 30, 8, 8, {}},
    {24, C::Button, 0x50000009, 40, 30, 8, 8, {}},
    {30, C::Button, 0x58010003, 0, 40, 8, 8, {"disabled"}},
    {31, C::Button, 0x40010000, 0, 50, 8, 8, {"hidden"}},
    {40, C::Trackbar, 0x50010018, 0, 60, 90, 10, {}},
    {50, C::ComboBox, 0x50210103, 0, 70, 60, 100, {}},
    {60, C::Tab, 0x50000000, 0, 90, 60, 30, {}},
    {kIdOk, C::Button, 0x50010001, 0, 120, 40, 13, {"OK"}},
};
constexpr DialogTemplate kProbe{
    900,       DialogLanguage::English, 0x90C800C8, 0,   0, 200,           140,
    {"Probe"}, "MS Shell Dlg",          8,          400, 1, kProbeControls};

class RecordingProcedure final : public DialogProcedure {
public:
    void OnInitDialog(DialogWindow& dialog) override {
        dialog.SetItemText(10, "init");
        dialog.SetItemText(11, "shown");
    }
    void OnCommand(DialogWindow& dialog, int32_t id, int32_t code) override {
        commands.emplace_back(id, code);
        if (id == kIdOk || (id == kIdCancel && !ignoreCancel))
            dialog.EndDialog(id);
    }
    void OnHScroll(DialogWindow&, int32_t id) override { scrolls.push_back(id); }
    void OnNotify(DialogWindow&, int32_t id, int32_t code) override {
        notifications.emplace_back(id, code);
    }
    std::vector<std::pair<int32_t, int32_t>> commands;
    std::vector<int32_t> scrolls;
    std::vector<std::pair<int32_t, int32_t>> notifications;
    bool ignoreCancel = false;
};

TEST(HeadlessHost, ControlsBehaveAsTheProceduresExpect) {
    HeadlessDialogHost host;
    RecordingProcedure procedure;
    host.SetScript([&](HeadlessDialog& d) {
        // Setting an edit's text reports the change before returning; a label's does not.
        EXPECT_EQ(procedure.commands,
                  (std::vector<std::pair<int32_t, int32_t>>{{10, kEditChange}}));
        EXPECT_EQ(d.Text(11), "shown");

        EXPECT_TRUE(d.Click(21));
        EXPECT_TRUE(d.Click(23));
        EXPECT_TRUE(d.IsChecked(21));  // the static between splits the groups
        EXPECT_TRUE(d.Click(24));
        EXPECT_FALSE(d.IsChecked(23));
        EXPECT_TRUE(d.Click(20));
        EXPECT_FALSE(d.IsChecked(21));

        EXPECT_FALSE(d.Click(30));      // disabled
        EXPECT_FALSE(d.Click(31));      // hidden
        EXPECT_FALSE(d.Click(99));      // no such control
        EXPECT_FALSE(d.Type(20, "1"));  // not an edit

        d.TrackbarSetRangeMin(40, -10);
        d.TrackbarSetRangeMax(40, 10);
        d.TrackbarSetPos(40, 50);
        EXPECT_EQ(d.Position(40), 10);
        d.TrackbarSetRangeMax(40, 5);
        EXPECT_EQ(d.Position(40), 5);
        EXPECT_TRUE(d.Slide(40, -99));
        EXPECT_EQ(d.Position(40), -10);
        EXPECT_EQ(procedure.scrolls, std::vector<int32_t>{40});

        EXPECT_EQ(d.ComboInsertString(50, 0, "b"), 0);
        EXPECT_EQ(d.ComboSetCurSel(50, 0), 0);
        EXPECT_EQ(d.ComboInsertString(50, 0, "a"), 0);
        EXPECT_EQ(d.SelectedText(50), "b");  // the selection stays on its item
        EXPECT_EQ(d.ComboInsertString(50, 5, "z"), -1);
        EXPECT_EQ(d.ComboSetCurSel(50, 7), -1);
        EXPECT_EQ(d.ComboGetCurSel(50), -1);
        EXPECT_FALSE(d.Pick(50, 2));
        EXPECT_TRUE(d.Pick(50, 1));
        d.ComboDeleteString(50, 0);
        EXPECT_EQ(d.Selection(50), 0);

        EXPECT_EQ(d.TabInsertItem(60, 0, "one"), 0);
        EXPECT_EQ(d.TabGetCurSel(60), 0);
        EXPECT_EQ(d.TabInsertItem(60, 9, "two"), 1);
        EXPECT_TRUE(d.SelectTab(60, 0));  // already open: no report
        EXPECT_TRUE(d.SelectTab(60, 1));
        EXPECT_EQ(procedure.notifications,
                  (std::vector<std::pair<int32_t, int32_t>>{{60, kTabSelChange}}));
        // The script ends without closing: the user closes the window.
    });
    EXPECT_EQ(host.RunModal(kProbe, procedure, nullptr), kIdCancel);
    EXPECT_EQ(procedure.commands.back(), std::make_pair(kIdCancel, kButtonClicked));
    EXPECT_EQ(host.DialogsRun(), 1);
}

TEST(HeadlessHost, TypingIsKeyByKeyAndAnEndedDialogTakesNoInput) {
    HeadlessDialogHost host;
    RecordingProcedure procedure;
    host.SetScript([&](HeadlessDialog& d) {
        procedure.commands.clear();
        EXPECT_TRUE(d.Type(10, "ab"));
        EXPECT_EQ(d.Text(10), "ab");
        EXPECT_EQ(procedure.commands.size(), 2u);
        EXPECT_TRUE(d.Paste(10, "xyz"));
        EXPECT_EQ(procedure.commands.size(), 3u);
        EXPECT_TRUE(d.Ok());
        EXPECT_TRUE(d.Ended());
        EXPECT_FALSE(d.Type(10, "1"));
        EXPECT_FALSE(d.Close());
    });
    EXPECT_EQ(host.RunModal(kProbe, procedure, nullptr), kIdOk);
}

TEST(HeadlessHost, AProcedureThatIgnoresTheCloseBoxStillEnds) {
    HeadlessDialogHost host;
    RecordingProcedure procedure;
    procedure.ignoreCancel = true;
    EXPECT_EQ(host.RunModal(kProbe, procedure, nullptr), kIdCancel);
}

TEST(HeadlessHost, PostsFromOtherThreadsRunOnTheDialogThread) {
    HeadlessDialogHost host;
    RecordingProcedure procedure;
    host.SetScript([&](HeadlessDialog& d) {
        const std::thread::id dialogThread = std::this_thread::get_id();
        std::shared_ptr<DialogMailbox> mailbox = d.Mailbox();
        std::thread other([&] {
            mailbox->Post([&] {
                EXPECT_EQ(std::this_thread::get_id(), dialogThread);
                d.SetItemText(11, "from afar");
            });
        });
        EXPECT_TRUE(d.WaitUntil([&] { return d.Text(11) == "from afar"; }));
        other.join();
        d.Ok();
    });
    EXPECT_EQ(host.RunModal(kProbe, procedure, nullptr), kIdOk);
}

// The language follows the locale variables here; on Windows it is the system default
// language, which a test cannot switch (tests/win32 covers the Japanese templates there).
#ifndef _WIN32
TEST(DialogLanguageRule, JapaneseWhenTheFirstSetLocaleVariableSaysSo) {
    {
        test::ScopedLanguage ja("ja_JP.UTF-8");
        EXPECT_EQ(SystemDefaultLangId(), kLangIdJapanese);
        EXPECT_EQ(SystemDialogLanguage(), DialogLanguage::Japanese);
    }
    {
        test::ScopedLanguage c("C");
        EXPECT_EQ(SystemDefaultLangId(), kLangIdEnglishUs);
        setenv("LANG", "ja_JP", 1);  // LC_ALL comes first
        EXPECT_EQ(SystemDefaultLangId(), kLangIdEnglishUs);
        unsetenv("LC_ALL");
        EXPECT_EQ(SystemDefaultLangId(), kLangIdJapanese);
        setenv("LC_MESSAGES", "en_US.UTF-8", 1);
        EXPECT_EQ(SystemDefaultLangId(), kLangIdEnglishUs);
        setenv("LC_MESSAGES", "", 1);  // empty counts as unset
        EXPECT_EQ(SystemDefaultLangId(), kLangIdJapanese);
        unsetenv("LC_MESSAGES");
        unsetenv("LANG");
        EXPECT_EQ(SystemDefaultLangId(), kLangIdEnglishUs);
    }
}
#endif

// Every template: ids unique, controls inside the dialog (a list's dropped part aside),
// pages children, popups with the property caption in both languages.
TEST(DialogTemplates, AreWellFormedInBothLanguages) {
    using Getter = const DialogTemplate& (*)(DialogLanguage);
    const Getter getters[] = {CameraPropertyTemplate,  ImageFilterHostTemplate,
                              ImageFilterPageTemplate, GrayFilterPageTemplate,
                              AnalogGainHostTemplate,  AnalogGainPageTemplate};
    std::set<int32_t> resources;
    for (Getter get : getters) {
        for (DialogLanguage language : {DialogLanguage::English, DialogLanguage::Japanese}) {
            const DialogTemplate& t = get(language);
            EXPECT_EQ(t.language, language);
            EXPECT_TRUE(resources.insert(t.resourceId).second) << t.resourceId;
            EXPECT_STREQ(t.fontFace, "MS Shell Dlg");
            EXPECT_EQ(t.pointSize, 8);
            if (!t.IsChild()) {
                EXPECT_STREQ(t.caption.For(language),
                             language == DialogLanguage::Japanese ? "プロパティ" : "Property");
            }
            std::set<int32_t> ids;
            for (const DialogControlTemplate& c : t.controls) {
                if (c.id != kNoControlId) {
                    EXPECT_TRUE(ids.insert(c.id).second) << t.resourceId << " id " << c.id;
                }
                // Inside the dialog; the English analog page's "Exposure" box reaches one
                // unit past its edge, as designed, so only origins and heights are held.
                const int bottom = c.cls == C::ComboBox ? c.y + 12 : c.y + c.height;
                EXPECT_LT(c.x, t.width) << t.resourceId << " id " << c.id;
                EXPECT_LE(bottom, t.height) << t.resourceId << " id " << c.id;
            }
        }
    }
    EXPECT_EQ(resources,
              (std::set<int32_t>{101, 102, 103, 104, 105, 106, 107, 108, 110, 111, 112, 113}));
}

// Texts must not run into their neighbours: no two controls share a dialog unit, apart
// from the frames that hold others and an up-down control, which goes into the right end
// of its buddy edit (the control before it); a list counts with its closed height. A check
// box or radio button without a text of its own has a label just right of it.
TEST(DialogTemplates, ControlsDoNotOverlapAndEveryChoiceIsLabelled) {
    const auto bottom = [](const DialogControlTemplate& c) {
        return c.y + (c.cls == DialogControlClass::ComboBox ? 12 : c.height);
    };
    const auto kind = [](const DialogControlTemplate& c) {
        return c.cls == DialogControlClass::Button ? c.style & kButtonKindMask : 0xFFu;
    };
    for (const auto get :
         {CameraPropertyTemplate, ImageFilterHostTemplate, ImageFilterPageTemplate,
          GrayFilterPageTemplate, AnalogGainHostTemplate, AnalogGainPageTemplate}) {
        for (DialogLanguage language : {DialogLanguage::English, DialogLanguage::Japanese}) {
            const DialogTemplate& t = get(language);
            for (std::size_t i = 0; i < t.controls.size(); ++i) {
                const DialogControlTemplate& a = t.controls[i];
                const bool frame = a.cls == DialogControlClass::Tab || kind(a) == kButtonGroupBox;
                bool labelled = (kind(a) != kButtonAutoCheckBox && kind(a) != kButtonAutoRadio) ||
                                a.text.For(language)[0] != '\0';
                for (std::size_t j = 0; j < t.controls.size(); ++j) {
                    const DialogControlTemplate& b = t.controls[j];
                    labelled = labelled || (b.cls == DialogControlClass::Static && b.y == a.y &&
                                            b.x >= a.x + a.width && b.x <= a.x + a.width + 8);
                    if (j <= i || frame || b.cls == DialogControlClass::Tab ||
                        kind(b) == kButtonGroupBox ||
                        (j == i + 1 && b.cls == DialogControlClass::UpDown)) {
                        continue;
                    }
                    EXPECT_TRUE(a.x + a.width <= b.x || b.x + b.width <= a.x || bottom(a) <= b.y ||
                                bottom(b) <= a.y)
                        << t.resourceId << ": controls " << i << " and " << j;
                }
                EXPECT_TRUE(labelled) << t.resourceId << ": control " << a.id;
            }
        }
    }
}

TEST(DialogTemplates, BayerModeButtonsFormOneGroupOnBothPages) {
    for (const DialogTemplate* page : {&ImageFilterPageTemplate(DialogLanguage::English),
                                       &GrayFilterPageTemplate(DialogLanguage::English)}) {
        std::size_t index = 0;
        while (page->controls[index].id != 1031)
            ++index;
        std::size_t first = 0;
        std::size_t last = 0;
        RadioGroupRange(*page, index, &first, &last);
        EXPECT_EQ(page->controls[first].id, 1030);
        EXPECT_EQ(page->controls[last].id, 1033);
    }
}

}  // namespace
}  // namespace pixora
