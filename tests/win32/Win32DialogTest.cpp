// The property dialogs as the system's dialog manager shows them: templates, controls found
// by id, and a scripted thread that plays the user with the messages the system would send.
// Windows only: the file compiles to nothing elsewhere.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "DialogTestSupport.h"
#include "Win32Windows.h"
#include "dialogs/DialogTemplates.h"
#include "dialogs/PropertyDialogs.h"
#include "dialogs/host/DialogHosts.h"
#include "dialogs/host/DialogLanguage.h"
#include "dialogs/host/win32/Win32DialogHost.h"
#include "dialogs/host/win32/Win32DialogTemplate.h"

namespace pixora {
namespace {

using test::ClassOf;
using test::FakeAnalogSession;
using test::FakeImageSession;
using test::ScopedRegistry;

std::wstring WideText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

std::string Text(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ComboItem(HWND combo, int index) {
    char text[256] = {};
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring TabItem(HWND tab, int index) {
    wchar_t text[256] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(tab, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

// Waits (bounded) until `ready` holds; false when it never did.
bool WaitFor(const std::function<bool()>& ready) {
    for (int i = 0; i < 1000; ++i) {
        if (ready())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// The visible, enabled dialog window of thread `thread`; null once `giveUp` is set first.
HWND FindDialog(DWORD thread, const std::atomic<bool>& giveUp) {
    HWND found = nullptr;
    while (found == nullptr && !giveUp) {
        EnumThreadWindows(
            thread,
            [](HWND window, LPARAM data) -> BOOL {
                if (ClassOf(window) == "#32770" && IsWindowVisible(window) &&
                    IsWindowEnabled(window)) {
                    *reinterpret_cast<HWND*>(data) = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        if (found == nullptr)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return found;
}

// The child page of `dialog` that holds control `id`.
HWND PageWith(HWND dialog, int id) {
    struct Search {
        int id;
        HWND page;
    } search{id, nullptr};
    EnumChildWindows(
        dialog,
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (ClassOf(window) == "#32770" && GetDlgItem(window, s->id) != nullptr) {
                s->page = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.page;
}

// A user's click on an up-down control's upper (+1) or lower (-1) arrow.
void ClickUpDown(HWND upDown, int direction) {
    RECT r{};
    GetClientRect(upDown, &r);
    const int x = (r.right - r.left) / 2;
    const int y = direction > 0 ? r.bottom / 4 : r.bottom * 3 / 4;
    SendMessageA(upDown, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(upDown, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// A user's click on tab `index`.
void ClickTab(HWND tab, int index) {
    RECT r{};
    SendMessageA(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    const LPARAM point = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(tab, WM_LBUTTONUP, 0, point);
}

// A key pressed and released on a control.
void PressKey(HWND control, WPARAM key) {
    SendMessageA(control, WM_KEYDOWN, key, 1);
    SendMessageA(control, WM_KEYUP, key, 0xC0000001);
}

// Plays the user of the next dialog of the constructing thread on a thread of its own.
// Expectations inside `play` are reported by gtest as usual. It looks for the dialog until
// it comes or the dialog's thread is done with it (Finish), so a dialog that never shows
// cannot leave it waiting, and one that shows late is still closed.
class ScriptedUser {
public:
    explicit ScriptedUser(std::function<void(HWND dialog)> play)
        : dialogThread_(GetCurrentThreadId()), thread_([this, play = std::move(play)] {
              HWND dialog = FindDialog(dialogThread_, giveUp_);
              found_ = dialog != nullptr;
              if (dialog == nullptr)
                  return;
              play(dialog);
              // The script ends the dialog; if it failed to, the close box does (a Cancel).
              closed_ = WaitFor([dialog] { return !IsWindow(dialog); });
              if (!closed_)
                  PostMessageA(dialog, WM_CLOSE, 0, 0);
          }) {}
    ~ScriptedUser() { Finish(); }
    ScriptedUser(const ScriptedUser&) = delete;
    ScriptedUser& operator=(const ScriptedUser&) = delete;

    // The dialog's thread is back from the dialog: waits for the script; true when it
    // found its dialog and the dialog ended by what the script did.
    bool Finish() {
        giveUp_ = true;
        if (thread_.joinable())
            thread_.join();
        return found_ && closed_;
    }

private:
    DWORD dialogThread_;
    std::atomic<bool> found_{false};
    std::atomic<bool> closed_{false};
    std::atomic<bool> giveUp_{false};
    std::thread thread_;  // last: it uses the members above
};

// --- Templates --------------------------------------------------------------------------

// Reads a zero-terminated UTF-16 string at `*at` and moves past it.
std::wstring ReadString(const uint16_t* words, size_t* at) {
    std::wstring text;
    while (words[*at] != 0)
        text.push_back(static_cast<wchar_t>(words[(*at)++]));
    ++*at;
    return text;
}

TEST(Win32DialogTemplate, HeaderCarriesStyleSizeCaptionAndFontInTheTemplatesLanguage) {
    for (DialogLanguage language : {DialogLanguage::English, DialogLanguage::Japanese}) {
        const DialogTemplate& dialog = CameraPropertyTemplate(language);
        const std::vector<uint32_t> bytes = BuildDialogTemplateEx(dialog);
        const auto* words = reinterpret_cast<const uint16_t*>(bytes.data());
        EXPECT_EQ(words[0], 1);       // version
        EXPECT_EQ(words[1], 0xFFFF);  // extended
        EXPECT_EQ(bytes[3], 0x90C800C8u);
        EXPECT_EQ(words[8], dialog.controls.size());
        EXPECT_EQ(words[9], 0);
        EXPECT_EQ(words[10], 0);
        EXPECT_EQ(words[11], 313);
        EXPECT_EQ(words[12], 221);
        size_t at = 15;  // after menu and class
        EXPECT_EQ(words[13], 0);
        EXPECT_EQ(words[14], 0);
        const std::wstring caption = ReadString(words, &at);
        EXPECT_EQ(caption, language == DialogLanguage::Japanese ? L"\u30d7\u30ed\u30d1\u30c6\u30a3"
                                                                : L"Property");
        EXPECT_EQ(words[at++], 8);       // points
        EXPECT_EQ(words[at++], 400);     // weight
        EXPECT_EQ(words[at++], 0x0100);  // not italic, character set 1
        EXPECT_EQ(ReadString(words, &at), L"MS Shell Dlg");
        // The first control, on a 32-bit boundary: the tab control with its class by name.
        at = (at + 1) / 2 * 2;
        EXPECT_EQ(bytes[at / 2 + 2], 0x50000000u);  // style
        EXPECT_EQ(words[at + 6], 7);
        EXPECT_EQ(words[at + 8], 299);
        EXPECT_EQ(bytes[at / 2 + 5], 1001u);  // id
        at += 12;
        EXPECT_EQ(ReadString(words, &at), L"SysTabControl32");
    }
}

TEST(Win32DialogLanguage, FollowsTheSystemDefaultLanguage) {
    EXPECT_EQ(SystemDefaultLangId(), static_cast<int32_t>(GetSystemDefaultLangID()));
    EXPECT_EQ(SystemDialogLanguage() == DialogLanguage::Japanese, GetSystemDefaultLangID() == 1041);
    EXPECT_EQ(DisplayDialogHost(), &Win32DialogHost::Instance());
}

// --- Camera property dialog -------------------------------------------------------------

TEST(Win32CameraDialog, ShowsItsControlsAndKeepsWhatTheUserChose) {
    ScopedRegistry registry;
    if (SystemDialogLanguage() != DialogLanguage::English)
        GTEST_SKIP() << "the English texts are checked on systems whose default language is not "
                        "Japanese";
    ScriptedUser user([](HWND dialog) {
        EXPECT_EQ(ClassOf(dialog), "#32770");
        EXPECT_EQ(Text(dialog), "Property");
        const LONG style = GetWindowLongA(dialog, GWL_STYLE);
        EXPECT_EQ(static_cast<uint32_t>(style) & 0x80C80000u, 0x80C80000u);  // popup, caption
        // The client area is the template's 313 x 221 dialog units.
        RECT units{0, 0, 313, 221};
        MapDialogRect(dialog, &units);
        RECT client{};
        GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, units.right);
        EXPECT_EQ(client.bottom, units.bottom);

        HWND tab = GetDlgItem(dialog, 1001);
        EXPECT_EQ(ClassOf(tab), "SysTabControl32");
        EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 1);
        EXPECT_EQ(TabItem(tab, 0), L"Stream Format");

        HWND format = GetDlgItem(dialog, 1009);
        EXPECT_EQ(ClassOf(format), "ComboBox");
        EXPECT_EQ(SendMessageA(format, CB_GETCOUNT, 0, 0), 6);
        EXPECT_EQ(ComboItem(format, 0), "Monochrome 8bit");
        EXPECT_EQ(ComboItem(format, 5), "Color 64bit *");
        EXPECT_EQ(SendDlgItemMessageA(dialog, 1009, CB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(SendDlgItemMessageA(dialog, 1010, CB_GETCOUNT, 0, 0), 1);
        EXPECT_EQ(ComboItem(GetDlgItem(dialog, 1010), 0), "Custom");
        EXPECT_EQ(ComboItem(GetDlgItem(dialog, 1014), 0), "Nomal");
        EXPECT_EQ(ComboItem(GetDlgItem(dialog, 1014), 1), "Half");
        EXPECT_EQ(ClassOf(GetDlgItem(dialog, 1045)), "Edit");
        BOOL ok = FALSE;
        EXPECT_EQ(GetDlgItemInt(dialog, 1045, &ok, FALSE), 10u);
        EXPECT_TRUE(ok);
        EXPECT_EQ(Text(GetDlgItem(dialog, 1002)), "Apply(&A)");
        EXPECT_EQ(Text(GetDlgItem(dialog, 2)), "Cancel");

        for (int id : {1009, 1045, 1, 2})
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
        for (int id : {1002, 1010, 1012, 1014, 1039, 1044})
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;

        // The user picks "Color 24bit" with the keyboard and types a wait time.
        PressKey(format, VK_DOWN);
        PressKey(format, VK_DOWN);
        EXPECT_EQ(SendMessageA(format, CB_GETCURSEL, 0, 0), 2);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, 1002)));  // the procedure saw it
        SetDlgItemTextA(dialog, 1045, "25");
        SendDlgItemMessageA(dialog, kIdOk, BM_CLICK, 0, 0);
    });
    EXPECT_EQ(RunCameraPropertyDialog(nullptr), kDialogOk);
    ASSERT_TRUE(user.Finish());

    // Shown again: the stored choice; the close box is a Cancel.
    ScriptedUser again([](HWND dialog) {
        EXPECT_EQ(SendDlgItemMessageA(dialog, 1009, CB_GETCURSEL, 0, 0), 2);
        EXPECT_EQ(Text(GetDlgItem(dialog, 1045)), "25");
        SendMessageA(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(RunCameraPropertyDialog(nullptr), kDialogCancel);
    ASSERT_TRUE(again.Finish());
}

std::wstring WideComboItem(HWND combo, int index) {
    wchar_t text[256] = {};
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

// Run with a Japanese system default language (under Wine: LANG=ja_JP.UTF-8, which also
// gives the Japanese code page, so the ANSI dialog functions carry the texts).
TEST(Win32CameraDialog, JapaneseSystemShowsTheJapaneseTemplateAndLists) {
    if (SystemDialogLanguage() != DialogLanguage::Japanese)
        GTEST_SKIP() << "needs a system whose default language is Japanese (1041)";
    ScopedRegistry registry;
    ScriptedUser user([](HWND dialog) {
        EXPECT_EQ(WideText(dialog), L"\u30d7\u30ed\u30d1\u30c6\u30a3");
        EXPECT_EQ(TabItem(GetDlgItem(dialog, 1001), 0),
                  L"\u30b9\u30c8\u30ea\u30fc\u30e0\u5f62\u5f0f");
        EXPECT_EQ(WideComboItem(GetDlgItem(dialog, 1009), 0), L"\u767d\u9ed2 8bit");
        EXPECT_EQ(WideComboItem(GetDlgItem(dialog, 1010), 0), L"\u30ab\u30b9\u30bf\u30e0");
        EXPECT_EQ(WideComboItem(GetDlgItem(dialog, 1014), 1), L"\u30cf\u30fc\u30d5");
        EXPECT_EQ(WideText(GetDlgItem(dialog, 2)), L"\u30ad\u30e3\u30f3\u30bb\u30eb");
        SendDlgItemMessageA(dialog, kIdCancel, BM_CLICK, 0, 0);
    });
    EXPECT_EQ(RunCameraPropertyDialog(nullptr), kDialogCancel);
    ASSERT_TRUE(user.Finish());
}

TEST(Win32CameraDialog, BelongsToItsOwnerWhileItRuns) {
    ScopedRegistry registry;
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                                 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    ScriptedUser user([owner](HWND dialog) {
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
        EXPECT_FALSE(IsWindowEnabled(owner));  // modal
        SendDlgItemMessageA(dialog, kIdCancel, BM_CLICK, 0, 0);
    });
    EXPECT_EQ(RunCameraPropertyDialog(owner), kDialogCancel);
    ASSERT_TRUE(user.Finish());
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);

    // A handle that names no window: the dialog has no owner.
    ScriptedUser unowned([](HWND dialog) {
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
        // Escape, through the dialog's own loop (which turns it into Cancel).
        PostMessageA(GetDlgItem(dialog, kIdOk), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    });
    EXPECT_EQ(RunCameraPropertyDialog(reinterpret_cast<PIXORA_HWND>(0x1234)), kDialogCancel);
    ASSERT_TRUE(unowned.Finish());
}

// The Japanese template through the host: texts survive whatever the system's code page.
TEST(Win32CameraDialog, JapaneseTemplateShowsJapaneseTexts) {
    struct Procedure final : DialogProcedure {
        void OnInitDialog(DialogWindow& dialog) override {
            dialog.TabInsertItem(kIdTabControl, 0, "\xe3\x82\xb9\xe3\x83\x88\xe3\x83\xaa");
            dialog.ComboInsertString(kIdClockList, 0, "\xe6\xa8\x99\xe6\xba\x96");  // 標準
            dialog.SetItemText(kIdWaitTimeEdit, "\xe5\xbe\x85");                    // 待
        }
        void OnCommand(DialogWindow& dialog, int32_t id, int32_t code) override {
            if (id == kIdTabControl)
                return;
            if (id == kIdWaitTimeEdit && code == kEditChange)
                edits.push_back(dialog.GetItemText(id));
            if (id == kIdCancel)
                dialog.EndDialog(kIdCancel);
        }
        std::vector<std::string> edits;
    } procedure;
    ScriptedUser user([](HWND dialog) {
        EXPECT_EQ(WideText(dialog), L"\u30d7\u30ed\u30d1\u30c6\u30a3");
        EXPECT_EQ(WideText(GetDlgItem(dialog, 2)), L"\u30ad\u30e3\u30f3\u30bb\u30eb");
        EXPECT_EQ(TabItem(GetDlgItem(dialog, 1001), 0), L"\u30b9\u30c8\u30ea");
        wchar_t item[16] = {};
        SendMessageW(GetDlgItem(dialog, 1014), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
        EXPECT_EQ(std::wstring(item), L"\u6a19\u6e96");
        EXPECT_EQ(WideText(GetDlgItem(dialog, 1045)), L"\u5f85");
        SendDlgItemMessageA(dialog, kIdCancel, BM_CLICK, 0, 0);
    });
    const DialogTemplate& japanese = CameraPropertyTemplate(DialogLanguage::Japanese);
    EXPECT_EQ(Win32DialogHost::Instance().RunModal(japanese, procedure, nullptr), kIdCancel);
    ASSERT_TRUE(user.Finish());
    // Setting the edit's text reported the change, with the text, at once.
    ASSERT_EQ(procedure.edits.size(), 1u);
    EXPECT_EQ(procedure.edits[0], "\xe5\xbe\x85");
}

// --- Image filter dialog ----------------------------------------------------------------

TEST(Win32ImageFilterDialog, SlidersSpinnersTabsAndRefreshesReachTheSettings) {
    ScopedRegistry registry;
    FakeImageSession session(0);  // monochrome: with the gray filter tab
    session.filter.Set(FilterField::Brightness, 10);
    session.filter.Set(FilterField::Contrast, -3);
    session.filter.Set(FilterField::Gamma, 100);
    session.filter.Set(FilterField::BayerMode, 2);
    for (FilterField gain : {FilterField::GrayGainR, FilterField::GrayGainG1,
                             FilterField::GrayGainG2, FilterField::GrayGainB}) {
        session.filter.Set(gain, 128);
    }
    std::atomic<bool> refreshed{false};
    ScriptedUser user([&](HWND dialog) {
        HWND tab = GetDlgItem(dialog, kIdTabControl);
        EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 2);
        EXPECT_EQ(TabItem(tab, 0), L"Image Filter");
        EXPECT_EQ(TabItem(tab, 1), L"Gray Filter");
        HWND image = PageWith(dialog, 2002);
        HWND gray = PageWith(dialog, 2101);
        ASSERT_NE(image, nullptr);
        ASSERT_NE(gray, nullptr);
        EXPECT_EQ(GetParent(image), tab);
        EXPECT_TRUE(IsWindowVisible(image));
        EXPECT_FALSE(IsWindowVisible(gray));
        EXPECT_EQ(ClassOf(GetDlgItem(image, 2001)), "msctls_trackbar32");
        EXPECT_EQ(ClassOf(GetDlgItem(image, 2004)), "msctls_updown32");
        EXPECT_EQ(Text(GetDlgItem(image, 2002)), "10");
        EXPECT_EQ(SendDlgItemMessageA(image, 2001, TBM_GETPOS, 0, 0), 10);
        EXPECT_EQ(SendDlgItemMessageA(image, 2001, TBM_GETRANGEMIN, 0, 0), -255);
        EXPECT_EQ(SendDlgItemMessageA(image, 2001, TBM_GETRANGEMAX, 0, 0), 255);
        EXPECT_EQ(SendDlgItemMessageA(image, 2004, UDM_GETBUDDY, 0, 0),
                  reinterpret_cast<LRESULT>(GetDlgItem(image, 2002)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(image, 2021)));  // hue: colour only
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(image, 2081)));   // gamma

        // The brightness slider to its right end with the keyboard.
        PressKey(GetDlgItem(image, 2001), VK_END);
        EXPECT_EQ(session.filter.Get(FilterField::Brightness), 255);
        EXPECT_EQ(Text(GetDlgItem(image, 2002)), "255");
        // Contrast one step up with the up-down control's arrow.
        ClickUpDown(GetDlgItem(image, 2014), +1);
        EXPECT_EQ(Text(GetDlgItem(image, 2012)), "-2");
        EXPECT_EQ(session.filter.Get(FilterField::Contrast), -2);
        EXPECT_EQ(SendDlgItemMessageA(image, 2011, TBM_GETPOS, 0, 0), -2);
        // Typed into the gamma edit.
        SetDlgItemTextA(image, 2082, "150");
        EXPECT_EQ(session.filter.Get(FilterField::Gamma), 150);

        // The gray tab.
        ClickTab(tab, 1);
        EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 1);
        EXPECT_TRUE(IsWindowVisible(gray));
        EXPECT_FALSE(IsWindowVisible(image));
        EXPECT_EQ(SendDlgItemMessageA(gray, 1032, BM_GETCHECK, 0, 0), BST_CHECKED);
        SendDlgItemMessageA(gray, 1046, BM_CLICK, 0, 0);
        EXPECT_EQ(session.filter.Get(FilterField::GrayMode), 1);
        EXPECT_EQ(SendDlgItemMessageA(gray, 1046, BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(SendDlgItemMessageA(gray, 1045, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        // The Bayer-mode buttons are a group of their own.
        EXPECT_EQ(SendDlgItemMessageA(gray, 1032, BM_GETCHECK, 0, 0), BST_CHECKED);

        // A measurement on the streaming thread asks for a refresh, many times over.
        std::shared_ptr<DialogRefresh> target = session.published.Get();
        ASSERT_NE(target, nullptr);
        session.filter.Set(FilterField::GrayGainR, 300);
        std::thread streaming([&] {
            for (int i = 0; i < 2000; ++i)
                target->RefreshImageSettings();
        });
        streaming.join();
        refreshed = WaitFor([&] { return Text(GetDlgItem(gray, 2101)) == "300"; });
        EXPECT_EQ(SendDlgItemMessageA(gray, 2100, TBM_GETPOS, 0, 0), 300);

        SendDlgItemMessageA(dialog, kIdCancel, BM_CLICK, 0, 0);
    });
    EXPECT_EQ(RunImageFilterDialog(session, nullptr), kDialogCancel);
    ASSERT_TRUE(user.Finish());
    EXPECT_TRUE(refreshed);
    // Cancel put the record back.
    EXPECT_EQ(session.filter.Get(FilterField::Brightness), 10);
    EXPECT_EQ(session.filter.Get(FilterField::Contrast), -3);
    EXPECT_EQ(session.filter.Get(FilterField::GrayMode), 0);
    // Late requests of a closed dialog do nothing.
    if (auto late = session.published.Get())
        late->RefreshImageSettings();
}

// --- Analog gain dialog -----------------------------------------------------------------

TEST(Win32AnalogDialog, AutomaticIrisValuesReachTheEditOnTheDialogsThread) {
    ScopedRegistry registry;
    FakeAnalogSession session;
    session.analog.Set(AnalogField::GlobalGain, 656);
    session.analog.Set(AnalogField::Exposure, 64);
    session.filter.Set(FilterField::BayerMode, 3);
    const std::thread::id dialogThread = std::this_thread::get_id();
    ScriptedUser user([&](HWND dialog) {
        HWND page = PageWith(dialog, 1015);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(Text(GetDlgItem(page, 1015)), "656");
        EXPECT_EQ(SendDlgItemMessageA(page, 1014, TBM_GETRANGEMAX, 0, 0), 1023);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, 1018)));  // colour gains
        std::shared_ptr<DialogRefresh> target = session.published.Get();
        ASSERT_NE(target, nullptr);
        std::thread streaming([&] {
            for (int value = 600; value <= 700; ++value)
                target->ShowAnalogValue(AnalogField::GlobalGain, value);
        });
        streaming.join();
        EXPECT_TRUE(WaitFor([&] { return Text(GetDlgItem(page, 1015)) == "700"; }));
        EXPECT_TRUE(WaitFor([&] {
            const std::vector<int32_t> gains = session.Gains();
            return !gains.empty() && gains.back() == 700;
        }));
        EXPECT_EQ(session.GainThread(), dialogThread);
        EXPECT_EQ(SendDlgItemMessageA(page, 1014, TBM_GETPOS, 0, 0), 700);

        // Automatic iris by gain: checking it unchecks the exposure box.
        SendDlgItemMessageA(page, 1037, BM_CLICK, 0, 0);
        SendDlgItemMessageA(page, 1036, BM_CLICK, 0, 0);
        EXPECT_EQ(SendDlgItemMessageA(page, 1036, BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(SendDlgItemMessageA(page, 1037, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        // Mirror on: Bayer mode 3 becomes 2.
        SendDlgItemMessageA(page, 1029, BM_CLICK, 0, 0);
        EXPECT_EQ(session.filter.Get(FilterField::BayerMode), 2);
        SendDlgItemMessageA(dialog, kIdOk, BM_CLICK, 0, 0);
    });
    EXPECT_EQ(RunAnalogGainDialog(session, nullptr), 1);
    ASSERT_TRUE(user.Finish());
    EXPECT_EQ(session.analog.Get(AnalogField::GlobalGain), 700);
    EXPECT_EQ(session.analog.Get(AnalogField::AutoIris), 2);
}

}  // namespace
}  // namespace pixora

#endif  // _WIN32
