// The preview through the exports, with windows the application owns: the child variant in
// the application's window and the top-level variant, drawn by the session's worker while the
// application's thread only looks (and pumps now and then), read back from the screen.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"
#include "Win32Windows.h"

namespace pixora {
namespace {

using test::ClassOf;
using test::PumpUntil;

constexpr const char* kTestRoot = "Software\\PixoraWin32PreviewTest";

std::string TitleOf(HWND window) {
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    return title;
}

// Green of a client pixel as the screen shows it.
int GreenAt(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return color == CLR_INVALID ? -1 : GetGValue(color);
}

// The preview's top-level window of this thread, or null.
HWND TopLevelPreview() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            if (ClassOf(window).rfind("VideoRenderer_", 0) == 0) {
                *reinterpret_cast<HWND*>(data) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

class Win32PreviewExports : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("PIXORA_REGISTRY"))
            oldRegistry_ = old;
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot);
        _putenv_s("PIXORA_REGISTRY", (std::string("HKEY_CURRENT_USER\\") + kTestRoot).c_str());
        PixoraSim_Reset();
        PixoraSim_Configure("cameras=0 fps=0 scene=bars maxwait=300");
        camera_ = Pixora_Initialize(nullptr);
        ASSERT_NE(camera_, nullptr);
        ASSERT_EQ(Pixora_SetWaitTime(camera_, 0), 1);
    }
    void TearDown() override {
        if (camera_ != nullptr)
            Pixora_Release(camera_);
        PixoraSim_Reset();
        _putenv_s("PIXORA_REGISTRY", oldRegistry_.c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot);
    }

    PIXORA_HANDLE camera_ = nullptr;
    std::string oldRegistry_;
};

TEST_F(Win32PreviewExports, ChildWindowSitsInTheApplicationsWindowAndScales) {
    HWND parent =
        CreateWindowExA(0, "STATIC", "application", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 800,
                        600, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    ASSERT_EQ(Pixora_SetColorMode(camera_, 24), 1);
    ASSERT_EQ(Pixora_SetPreviewWindow(camera_, parent, 10, 20, 340, 256), 1);
    ASSERT_EQ(Pixora_Preview(camera_), 1);
    HWND child = GetDlgItem(parent, 6540);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(TitleOf(child), "ActiveMovie Window");
    EXPECT_EQ(ClassOf(child).rfind("VideoRenderer_", 0), 0u);
    EXPECT_EQ(static_cast<uint32_t>(GetWindowLongA(child, GWL_STYLE)), 0x52000000u);
    RECT placed{};
    GetWindowRect(child, &placed);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 10);
    EXPECT_EQ(placed.top, 20);
    EXPECT_EQ(placed.right - placed.left, 340);
    EXPECT_EQ(placed.bottom - placed.top, 256);
    // The bars, scaled to the child: white on the left of the top, black on the right.
    EXPECT_TRUE(PumpUntil([&] { return GreenAt(child, 10, 25) > 150; }));
    EXPECT_LT(GreenAt(child, 330, 25), 40);
    // The application makes the child smaller: the next frames scale to the new size.
    SetWindowPos(child, nullptr, 0, 0, 170, 128, SWP_NOMOVE | SWP_NOZORDER);
    // (The earlier, larger picture is white at that place: the new one ends in black there.)
    EXPECT_TRUE(PumpUntil([&] { return GreenAt(child, 165, 12) < 40; }));
    EXPECT_GT(GreenAt(child, 5, 12), 150);
    EXPECT_EQ(Pixora_StopPreview(camera_), 1);
    EXPECT_EQ(Pixora_Close(camera_), 1);
    EXPECT_EQ(GetDlgItem(parent, 6540), nullptr);  // torn down with the session's close
    DestroyWindow(parent);
}

TEST_F(Win32PreviewExports, ApplicationDestroyingItsWindowEndsDrawingQuietly) {
    HWND parent =
        CreateWindowExA(0, "STATIC", "application", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 400,
                        300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    ASSERT_EQ(Pixora_SetPreviewWindow(camera_, parent, 0, 0, 200, 150), 1);
    ASSERT_EQ(Pixora_Preview(camera_), 1);
    HWND child = GetDlgItem(parent, 6540);
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return GreenAt(child, 5, 10) > 150; }));
    DestroyWindow(parent);  // child and all, while the worker draws
    EXPECT_FALSE(IsWindow(child));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(Pixora_StopPreview(camera_), 1);
    EXPECT_EQ(Pixora_Close(camera_), 1);
}

TEST_F(Win32PreviewExports, TopLevelWindowIsCentredAndShowsTheFrameRightWayUp) {
    ASSERT_EQ(Pixora_SetColorMode(camera_, 8), 1);
    ASSERT_EQ(Pixora_Preview(camera_), 1);
    HWND window = TopLevelPreview();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(TitleOf(window), "Active Window");
    EXPECT_EQ(static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE)), 0x16CF0000u);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 1360);
    EXPECT_EQ(client.bottom, 1024);
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);
    // Bars on top (white at the left, black at the right), grey ramp in the last quarter.
    EXPECT_TRUE(PumpUntil([&] { return GreenAt(window, 40, 100) > 150; }));
    EXPECT_LT(GreenAt(window, 1320, 100), 40);
    EXPECT_LT(GreenAt(window, 5, 1000), 40);
    EXPECT_GT(GreenAt(window, 1350, 1000), 120);
    EXPECT_EQ(Pixora_Close(camera_), 1);
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace pixora

#endif  // _WIN32
