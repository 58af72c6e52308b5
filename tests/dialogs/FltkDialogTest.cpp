// The dialogs drawn by the FLTK host on a real X display (skipped without one): each dialog
// in both languages compared with its template in a screenshot, and one interaction
// through real X events.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/fl_draw.H>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "DialogTestSupport.h"
#include "FakeCamera.h"
#include "StreamingThread.h"
#include "dialogs/DialogTemplates.h"
#include "dialogs/host/linux/FltkDialogHost.h"
#include "imaging/ExposureControl.h"
#include "platform/MessageWindow.h"
#include "preview/linux/X11HostWindow.h"

namespace pixora {
namespace {

using test::FakeAnalogSession;
using test::FakeImageSession;

int MulDiv(int a, int b, int c) {
    return (a * b + c / 2) / c;
}

struct Screenshot {
    std::vector<uint8_t> rgb;
    int width = 0;
    int height = 0;

    const uint8_t* At(int x, int y) const {
        return &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    }
    bool IsBackground(int x, int y) const {
        const uint8_t* p = At(x, y);
        return p[0] == 240 && p[1] == 240 && p[2] == 240;
    }
    // Pixels of the rectangle that differ from the dialog's background.
    int Ink(const WindowRect& r) const {
        int ink = 0;
        for (int y = std::max(0, r.y); y < std::min(height, r.y + r.height); ++y) {
            for (int x = std::max(0, r.x); x < std::min(width, r.x + r.width); ++x)
                ink += IsBackground(x, y) ? 0 : 1;
        }
        return ink;
    }
    void Save(const std::string& path) const {
        std::ofstream out(path, std::ios::binary);
        out << "P6\n" << width << " " << height << "\n255\n";
        out.write(reinterpret_cast<const char*>(rgb.data()),
                  static_cast<std::streamsize>(rgb.size()));
    }
};

// Where the template puts a control, in window pixels, for the dialog's base units.
WindowRect Expected(const DialogControlTemplate& c, int originX, int originY, int baseX,
                    int baseY) {
    return {originX + MulDiv(c.x, baseX, 4), originY + MulDiv(c.y, baseY, 8),
            MulDiv(c.width, baseX, 4), MulDiv(c.height, baseY, 8)};
}

// A text as it is drawn: '&' marks the next letter as the mnemonic, "&&" is one '&'.
std::string Displayed(const std::string& text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && ++i == text.size())
            break;
        shown += text[i];
    }
    return shown;
}

// Pixels of a control's width its text may take, by how the toolkit draws each widget: a
// label takes its whole rectangle; a check box or radio button puts its box (as wide as the
// font is high) 2 pixels in and the text 2 pixels after it; a group box writes its caption
// from 8 pixels in; a push button centres it in its frame; a closed list shows its item
// 3 pixels inside what its arrow (at most 20 pixels) leaves; an edit scrolls unless the text
// and 4 pixels for the cursor fit inside its frame.
int TextRoom(DialogControlClass cls, uint32_t style, const WindowRect& r, int fontSize) {
    switch (cls) {
        case DialogControlClass::Static:
            return r.width;
        case DialogControlClass::Button:
            switch (style & kButtonKindMask) {
                case kButtonAutoCheckBox:
                case kButtonAutoRadio:
                    return r.width - (fontSize + 4);
                case kButtonGroupBox:
                    return r.width - 2 * 8;
                default:
                    return r.width - Fl::box_dw(FL_UP_BOX);
            }
        case DialogControlClass::ComboBox: {
            const int arrow = std::min(20, r.height - Fl::box_dh(FL_DOWN_BOX));
            return r.width - arrow - Fl::box_dw(FL_DOWN_BOX) - 2 * 3;
        }
        case DialogControlClass::Edit:
            return r.width - Fl::box_dw(FL_DOWN_BOX) - 4;
        default:
            return 0;
    }
}

// Every text of the window's controls fits its control whole, measured with the face and
// size the dialog draws it with: the templates' texts, the items of the lists as the dialog
// filled them, and in each edit with an up-down control the ends of the up-down's range.
void CheckTextsFit(FltkDialogView& view, const DialogTemplate& t, int page, int originX,
                   int originY) {
    fl_font(static_cast<Fl_Font>(view.Font()), view.FontSize());
    const int lineHeight = fl_height();
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        const DialogControlTemplate* c = &t.controls[i];
        std::vector<std::string> texts = {c->text.For(t.language)};
        if (c->cls == DialogControlClass::ComboBox) {
            texts = view.ShownTexts(page, c->id);
        } else if (c->cls == DialogControlClass::UpDown && i > 0) {
            texts = view.ShownTexts(page, c->id);
            c = &t.controls[i - 1];  // shown by the buddy edit before it
        }
        WindowRect r = Expected(*c, originX, originY, view.BaseUnitX(), view.BaseUnitY());
        if (c->id != kNoControlId) {
            ASSERT_TRUE(view.ControlRect(page, c->id, &r));
        }
        for (const std::string& text : texts) {
            const std::string shown = Displayed(text);
            if (shown.empty() || c->cls == DialogControlClass::Tab)
                continue;  // tab headers take the width of their texts
            const int width = static_cast<int>(std::ceil(fl_width(shown.c_str())));
            const std::string where = "template " + std::to_string(t.resourceId) + " control " +
                                      std::to_string(c->id) + " \"" + shown + "\"";
            EXPECT_LE(width, TextRoom(c->cls, c->style, r, view.FontSize())) << where;
            if (c->cls == DialogControlClass::Static) {
                EXPECT_LE(lineHeight, r.height) << where;
            }
        }
    }
}

// Checks one window (the dialog, or a shown page at `originX`, `originY`) of a captured
// dialog against its template: every control sits where the template puts it, and is
// drawn there.
void CheckAgainstTemplate(FltkDialogView& view, const Screenshot& shot, const DialogTemplate& t,
                          int page, int originX, int originY) {
    const int bx = view.BaseUnitX();
    const int by = view.BaseUnitY();
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        const DialogControlTemplate& c = t.controls[i];
        WindowRect want = Expected(c, originX, originY, bx, by);
        if (c.cls == DialogControlClass::UpDown && i > 0) {
            // An up-down control moves into the right end of its buddy edit (the control
            // before it), which gets narrower by as much.
            const WindowRect buddy = Expected(t.controls[i - 1], originX, originY, bx, by);
            want = {buddy.x + buddy.width - want.width, buddy.y, want.width, buddy.height};
        }
        const std::string where = "template " + std::to_string(t.resourceId) + " control " +
                                  std::to_string(c.id) + " at " + std::to_string(c.x) + "," +
                                  std::to_string(c.y);
        WindowRect got = want;
        if (c.id != kNoControlId) {
            ASSERT_TRUE(view.ControlRect(page, c.id, &got)) << where;
            EXPECT_EQ(got.x, want.x) << where;
            EXPECT_EQ(got.y, want.y) << where;
            if (c.cls != DialogControlClass::Edit && c.cls != DialogControlClass::ComboBox) {
                // Edits give up their right end to their up-down buddies; lists are one
                // line high until dropped.
                EXPECT_EQ(got.width, want.width) << where;
                EXPECT_EQ(got.height, want.height) << where;
            }
        }
        // Something is drawn inside the rectangle: a frame, a box, text or a thumb. Labels
        // and the tab control of a page-less template may be empty.
        const bool mayBeEmpty =
            c.text.For(t.language)[0] == '\0' &&
            (c.cls == DialogControlClass::Static || c.cls == DialogControlClass::Tab);
        if (!mayBeEmpty) {
            EXPECT_GT(shot.Ink(want), 0) << where;
        }
        if (c.cls == DialogControlClass::Edit) {
            // The edit's field, at its right end where no text is, is lighter than the
            // dialog (white, or light gray while disabled).
            const uint8_t* p = shot.At(got.x + got.width - 4, got.y + got.height / 2);
            EXPECT_FALSE(p[0] == 240 && p[1] == 240 && p[2] == 240) << where;
            EXPECT_GT(p[0] + p[1] + p[2], 3 * 200) << where;
        }
    }
    CheckTextsFit(view, t, page, originX, originY);
}

Screenshot Capture(FltkDialogView& view, const std::string& name) {
    Screenshot shot;
    shot.rgb = view.Capture(&shot.width, &shot.height);
    if (const char* dir = std::getenv("PIXORA_DIALOG_SNAPSHOTS"))
        shot.Save(std::string(dir) + "/" + name + ".ppm");
    return shot;
}

// Test programs running side by side on one display would cover each other's dialogs and
// take each other's clicks: these tests take turns, across processes.
class DisplayTurn {
public:
    explicit DisplayTurn(const std::string& display) {
        std::string name = "/tmp/pixora-dialog-tests-";
        for (char c : display)
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        fd_ = open((name + ".lock").c_str(), O_RDWR | O_CREAT, 0666);
        if (fd_ >= 0)
            flock(fd_, LOCK_EX);
    }
    ~DisplayTurn() {
        if (fd_ >= 0)
            close(fd_);  // releases the lock
    }
    DisplayTurn(const DisplayTurn&) = delete;
    DisplayTurn& operator=(const DisplayTurn&) = delete;

private:
    int fd_ = -1;
};

class FltkDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0')
            GTEST_SKIP() << "no display";
        host_ = FltkDialogHost::IfDisplayReachable();
        if (host_ == nullptr)
            GTEST_SKIP() << "display not reachable";
        turn_ = std::make_unique<DisplayTurn>(display);
        SetDialogTestHost(nullptr);
    }
    void TearDown() override {
        if (host_ != nullptr)
            host_->SetObserver(nullptr);
        turn_.reset();
    }

    FltkDialogHost* host_ = nullptr;
    std::unique_ptr<DisplayTurn> turn_;
    test::ScopedRegistry registry_;
};

void CheckCameraDialog(FltkDialogView& view, DialogLanguage language, const std::string& name) {
    const Screenshot shot = Capture(view, name);
    ASSERT_FALSE(shot.rgb.empty());
    const DialogTemplate& t = CameraPropertyTemplate(language);
    EXPECT_EQ(view.ResourceId(), t.resourceId);
    EXPECT_EQ(shot.width, MulDiv(t.width, view.BaseUnitX(), 4));
    EXPECT_EQ(shot.height, MulDiv(t.height, view.BaseUnitY(), 8));
    CheckAgainstTemplate(view, shot, t, -1, 0, 0);
}

TEST_F(FltkDialogTest, CameraDialogInEnglishAndJapanese) {
    for (const auto& [locale, language] : {std::pair{"C", DialogLanguage::English},
                                           std::pair{"ja_JP.UTF-8", DialogLanguage::Japanese}}) {
        test::ScopedLanguage scoped(locale);
        bool seen = false;
        host_->SetObserver([&, language = language](FltkDialogView& view) {
            seen = true;
            EXPECT_EQ(view.FontName(), language == DialogLanguage::Japanese
                                           ? FltkDialogHost::kJapaneseFace
                                           : FltkDialogHost::kLatinFace);
            CheckCameraDialog(view, language,
                              language == DialogLanguage::Japanese ? "camera-ja" : "camera-en");
            view.Close();
        });
        EXPECT_EQ(RunCameraPropertyDialog(nullptr), kDialogCancel);
        EXPECT_TRUE(seen);
    }
}

TEST_F(FltkDialogTest, ImageFilterDialogWithBothPagesInEnglishAndJapanese) {
    for (const auto& [locale, language] : {std::pair{"C", DialogLanguage::English},
                                           std::pair{"ja_JP.UTF-8", DialogLanguage::Japanese}}) {
        test::ScopedLanguage scoped(locale);
        FakeImageSession session(0);
        bool seen = false;
        host_->SetObserver([&, language = language](FltkDialogView& view) {
            seen = true;
            const std::string suffix = language == DialogLanguage::Japanese ? "-ja" : "-en";
            const Screenshot shot = Capture(view, "image" + suffix);
            CheckAgainstTemplate(view, shot, ImageFilterHostTemplate(language), -1, 0, 0);
            WindowRect tab;
            ASSERT_TRUE(view.ControlRect(-1, kIdTabControl, &tab));
            WindowRect page;
            ASSERT_TRUE(view.PageRect(0, &page));
            EXPECT_EQ(page.x, tab.x + 30);
            EXPECT_EQ(page.y, tab.y + 25);
            EXPECT_TRUE(view.PageShown(0));
            EXPECT_FALSE(view.PageShown(1));
            CheckAgainstTemplate(view, shot, ImageFilterPageTemplate(language), 0, page.x, page.y);
            view.ClickTab(kIdTabControl, 1);
            EXPECT_FALSE(view.PageShown(0));
            EXPECT_TRUE(view.PageShown(1));
            const Screenshot gray = Capture(view, "gray" + suffix);
            ASSERT_TRUE(view.PageRect(1, &page));
            CheckAgainstTemplate(view, gray, GrayFilterPageTemplate(language), 1, page.x, page.y);
            view.Close();
        });
        EXPECT_EQ(RunImageFilterDialog(session, nullptr), kDialogCancel);
        EXPECT_TRUE(seen);
    }
}

TEST_F(FltkDialogTest, AnalogGainDialogInEnglishAndJapanese) {
    for (const auto& [locale, language] : {std::pair{"C", DialogLanguage::English},
                                           std::pair{"ja_JP.UTF-8", DialogLanguage::Japanese}}) {
        test::ScopedLanguage scoped(locale);
        FakeAnalogSession session;
        bool seen = false;
        host_->SetObserver([&, language = language](FltkDialogView& view) {
            seen = true;
            const std::string suffix = language == DialogLanguage::Japanese ? "-ja" : "-en";
            const Screenshot shot = Capture(view, "analog" + suffix);
            CheckAgainstTemplate(view, shot, AnalogGainHostTemplate(language), -1, 0, 0);
            WindowRect page;
            ASSERT_TRUE(view.PageRect(0, &page));
            EXPECT_EQ(page.width,
                      MulDiv(AnalogGainPageTemplate(language).width, view.BaseUnitX(), 4));
            CheckAgainstTemplate(view, shot, AnalogGainPageTemplate(language), 0, page.x, page.y);
            view.Close();
        });
        EXPECT_EQ(RunAnalogGainDialog(session, nullptr), kDialogCancel);
        EXPECT_TRUE(seen);
    }
}

TEST_F(FltkDialogTest, TheParentWindowOwnsTheDialog) {
    auto owner = X11HostWindow::Create(40, 30, 200, 100);
    ASSERT_NE(owner, nullptr);
    PIXORA_HWND messageWindow = CreateMessageWindow();
    // X ids have their three top bits clear: this one names no window, ever.
    const uint64_t bogus = 0x7FFFFFFF;
    struct Case {
        PIXORA_HWND parent;
        unsigned long expected;
    } cases[] = {
        {owner->Handle(), static_cast<unsigned long>(owner->Id())},
        {nullptr, 0},
        {messageWindow, 0},  // not an X window
        {reinterpret_cast<PIXORA_HWND>(static_cast<uintptr_t>(bogus)), 0},
    };
    for (const Case& c : cases) {
        unsigned long seen = 1;
        int x = -1;
        int y = -1;
        host_->SetObserver([&](FltkDialogView& view) {
            seen = view.OwnerId();
            view.ScreenPosition(&x, &y);
            view.Close();
        });
        EXPECT_EQ(RunCameraPropertyDialog(c.parent), kDialogCancel);
        EXPECT_EQ(seen, c.expected);
        if (c.expected != 0) {
            // The template's position 0, 0 counts from the owner's corner.
            EXPECT_EQ(x, 40);
            EXPECT_EQ(y, 30);
        }
    }
    DestroyMessageWindow(messageWindow);
}

// Runs `command` through the shell; true when it exited with 0.
bool Shell(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// Waits for another thread's effect on the settings; false after a generous limit (a
// safety net, not a measurement).
bool Eventually(const std::function<bool()>& done) {
    for (int i = 0; i < 3000; ++i) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

struct ShownDialog {
    unsigned long window = 0;
    int baseX = 0;
    int baseY = 0;
    WindowRect page;
};

// The user clicks, types and drags with real X events (xdotool) on the image filter dialog
// running on another thread, then presses OK.
TEST_F(FltkDialogTest, RealClicksTypingAndDraggingReachTheSettings) {
    if (!Shell("command -v xdotool > /dev/null"))
        GTEST_SKIP() << "xdotool missing";
    test::ScopedLanguage english("C");
    FakeImageSession session(2);
    std::promise<ShownDialog> shown;
    host_->SetObserver([&](FltkDialogView& view) {
        ShownDialog d;
        d.window = view.WindowId();
        d.baseX = view.BaseUnitX();
        d.baseY = view.BaseUnitY();
        view.PageRect(0, &d.page);
        shown.set_value(d);
    });
    std::atomic<int32_t> result{0};
    std::thread dialog([&] { result = RunImageFilterDialog(session, nullptr); });
    std::future<ShownDialog> showing = shown.get_future();
    if (showing.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        dialog.join();  // the host could not show it and returned
        FAIL() << "the dialog was not shown: " << result.load();
    }
    const ShownDialog d = showing.get();

    // Centre of a control of the page, or of the dialog itself, in window pixels.
    const auto centre = [&](const DialogTemplate& t, int32_t id, bool onPage) {
        const DialogControlTemplate* c = t.Find(id);
        const int x = (onPage ? d.page.x : 0) + MulDiv(c->x + c->width / 2, d.baseX, 4);
        const int y = (onPage ? d.page.y : 0) + MulDiv(c->y + c->height / 2, d.baseY, 8);
        return std::to_string(x) + " " + std::to_string(y);
    };
    const std::string window = std::to_string(d.window);
    const auto click = [&](const std::string& at) {
        return Shell("xdotool windowraise " + window + " mousemove --sync --window " + window +
                     " " + at + " click 1");
    };
    const DialogTemplate& page = ImageFilterPageTemplate(DialogLanguage::English);

    EXPECT_TRUE(click(centre(page, kIdAllFramesCheck, true)));
    EXPECT_TRUE(
        Eventually([&] { return session.filter.Get(FilterField::WhiteBalanceRequest) == 1; }));

    EXPECT_TRUE(click(centre(page, 2002, true)));
    // Keys go to the focus window, which without a window manager is the one under the
    // pointer; another suite's window may appear there, so the dialog takes the focus.
    EXPECT_TRUE(
        Shell("xdotool windowfocus --sync " + window + " key ctrl+a type --delay 20 '4x2'"));
    EXPECT_TRUE(Eventually([&] { return session.filter.Get(FilterField::Brightness) == 42; }));

    // Gamma: press on the trackbar's left end and drag to its right end.
    const DialogControlTemplate* gamma = page.Find(2081);
    const int y = d.page.y + MulDiv(gamma->y + gamma->height / 2, d.baseY, 8);
    const int left = d.page.x + MulDiv(gamma->x, d.baseX, 4) + 2;
    const int right = d.page.x + MulDiv(gamma->x + gamma->width, d.baseX, 4) + 10;
    // A hand moves in steps while the button is down.
    std::string drag = "xdotool windowraise " + window + " mousemove --sync --window " + window +
                       " " + std::to_string(left) + " " + std::to_string(y) +
                       " mousedown 1 sleep 0.1";
    for (int step = 1; step <= 4; ++step) {
        drag += " mousemove --sync --window " + window + " " +
                std::to_string(left + (right - left) * step / 4) + " " + std::to_string(y) +
                " sleep 0.05";
    }
    EXPECT_TRUE(Shell(drag + " mouseup 1"));
    EXPECT_TRUE(Eventually([&] { return session.filter.Get(FilterField::Gamma) == 200; }));

    EXPECT_TRUE(click(centre(ImageFilterHostTemplate(DialogLanguage::English), kIdOk, false)));
    dialog.join();
    EXPECT_EQ(result.load(), kDialogOk);
    EXPECT_EQ(session.filter.Get(FilterField::Brightness), 42);
    EXPECT_EQ(session.filter.Get(FilterField::Gamma), 200);
    EXPECT_EQ(session.filter.Get(FilterField::WhiteBalanceRequest), 1);
}

// The streaming thread's automatic iris writes the gain edit of the shown dialog; the
// edit's change then goes to the camera from the dialog's thread.
TEST_F(FltkDialogTest, AutomaticIrisReachesTheShownDialog) {
    if (!Shell("command -v xdotool > /dev/null"))
        GTEST_SKIP() << "xdotool missing";
    test::ScopedLanguage english("C");
    FakeAnalogSession session;
    session.analog.Set(AnalogField::AutoIris, 2);
    std::promise<ShownDialog> shown;
    host_->SetObserver([&](FltkDialogView& view) {
        ShownDialog d;
        d.window = view.WindowId();
        d.baseX = view.BaseUnitX();
        d.baseY = view.BaseUnitY();
        shown.set_value(d);
    });
    std::atomic<int32_t> result{0};
    std::thread dialog([&] { result = RunAnalogGainDialog(session, nullptr); });
    std::future<ShownDialog> showing = shown.get_future();
    if (showing.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        dialog.join();
        FAIL() << "the dialog was not shown: " << result.load();
    }
    const ShownDialog d = showing.get();
    test::RangeCamera camera;
    test::StreamingThread stream(
        session.filter, 2, [&] { return session.published.Get(); }, &session.analog, &camera);
    const auto reachedCamera = [&] {
        const std::vector<int32_t> gains = session.Gains();
        return !gains.empty() && gains.back() == 1023;
    };
    EXPECT_TRUE(Eventually(reachedCamera));
    stream.Stop();
    const DialogControlTemplate* ok = AnalogGainHostTemplate(DialogLanguage::English).Find(kIdOk);
    EXPECT_TRUE(Shell("xdotool windowraise " + std::to_string(d.window) +
                      " mousemove --sync --window " + std::to_string(d.window) + " " +
                      std::to_string(MulDiv(ok->x + ok->width / 2, d.baseX, 4)) + " " +
                      std::to_string(MulDiv(ok->y + ok->height / 2, d.baseY, 8)) + " click 1"));
    dialog.join();
    EXPECT_EQ(result.load(), kDialogOk);
    EXPECT_EQ(session.analog.Get(AnalogField::GlobalGain), 1023);  // OK read the edit
}

}  // namespace
}  // namespace pixora
