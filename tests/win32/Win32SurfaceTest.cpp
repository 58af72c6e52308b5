// The preview window on Windows: class, title, style and placement as the system reports
// them, and frames drawn 1:1 and through the preview's scaler, read back from the screen.
// Windows only: the file compiles to nothing elsewhere.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "Win32Windows.h"
#include "image/ImageBuffer.h"
#include "preview/PreviewWindow.h"
#include "preview/WindowSurface.h"
#include "preview/win32/Win32Surface.h"

namespace pixora {
namespace {

using test::ClassOf;
using test::Pump;

constexpr const char* kClassName = "VideoRenderer_0badf00d_12345678";

HWND Handle(WindowSurface& surface) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(surface.NativeId()));
}

std::string TitleOf(HWND window) {
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    return title;
}

std::unique_ptr<WindowSurface> TopLevel(int32_t width, int32_t height,
                                        const char* className = kClassName) {
    SurfaceRequest request;
    request.place.width = width;
    request.place.height = height;
    request.title = kPreviewTopLevelTitle;
    request.className = className;
    return CreateWindowSurface(request, SurfaceChoice::Automatic);
}

// An application window to put child previews in.
class ParentWindow {
public:
    ParentWindow() {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = "PixoraTestParent";
        RegisterClassExA(&windowClass);
        window_ = CreateWindowExA(0, "PixoraTestParent", "parent",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 50, 40, 800,
                                  600, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        Pump();
    }
    ~ParentWindow() {
        if (IsWindow(window_))
            DestroyWindow(window_);
        Pump();
    }
    HWND Handle() const { return window_; }

private:
    HWND window_ = nullptr;
};

// A picture whose every pixel tells where it is: blue = x, green = y, red = x + y (low
// bytes), so a row or column out of place shows.
struct TestFrame {
    int32_t width;
    int32_t height;
    int32_t bits;
    std::vector<uint8_t> pixels;
    int32_t stride;

    TestFrame(int32_t w, int32_t h, int32_t bitsPerPixel)
        : width(w), height(h), bits(bitsPerPixel) {
        stride = ((w * bitsPerPixel / 8) + 3) / 4 * 4 + 4;  // padding the surface must skip
        pixels.assign(static_cast<size_t>(stride) * static_cast<size_t>(h), 0xEE);
        for (int32_t y = 0; y < h; ++y) {
            uint8_t* row = pixels.data() + static_cast<size_t>(y) * stride;
            for (int32_t x = 0; x < w; ++x) {
                if (bits == 8) {
                    row[x] = static_cast<uint8_t>(x * 3 + y * 5);
                } else {
                    uint8_t* p = row + x * (bits / 8);
                    p[0] = static_cast<uint8_t>(x);
                    p[1] = static_cast<uint8_t>(y);
                    p[2] = static_cast<uint8_t>(x + y);
                }
            }
        }
    }
    SurfaceFrame Frame(bool lastRowOnTop) const {
        return SurfaceFrame{pixels.data(), width, height, stride, bits, lastRowOnTop};
    }
    // Blue, green, red expected at screen position (x, y).
    void Expected(int32_t x, int32_t y, bool lastRowOnTop, uint8_t* bgr) const {
        const int32_t memoryRow = lastRowOnTop ? height - 1 - y : y;
        const uint8_t* row = pixels.data() + static_cast<size_t>(memoryRow) * stride;
        if (bits == 8) {
            bgr[0] = bgr[1] = bgr[2] = row[x];
        } else {
            bgr[0] = row[x * (bits / 8)];
            bgr[1] = row[x * (bits / 8) + 1];
            bgr[2] = row[x * (bits / 8) + 2];
        }
    }
};

// Number of pixels of the read-back picture that differ from the frame's.
int CountMismatches(const SurfacePicture& picture, const TestFrame& frame, bool lastRowOnTop,
                    int32_t width, int32_t height) {
    int mismatches = 0;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint8_t expected[3];
            frame.Expected(x, y, lastRowOnTop, expected);
            const uint8_t* got = picture.Pixel(x, y);
            if (got[0] != expected[0] || got[1] != expected[1] || got[2] != expected[2])
                ++mismatches;
        }
    }
    return mismatches;
}

// What GetPixel on a fresh DC of the window says, as blue, green, red.
void ScreenPixel(HWND window, int x, int y, uint8_t* bgr) {
    HDC dc = GetDC(window);
    const COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    bgr[0] = GetBValue(color);
    bgr[1] = GetGValue(color);
    bgr[2] = GetRValue(color);
}

TEST(Win32PreviewWindow, TopLevelVariantHasItsClassTitleStyleAndCentredPlace) {
    auto surface = TopLevel(680, 512);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->Kind(), SurfaceKind::Win32);
    HWND window = Handle(*surface);
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(ClassOf(window), kClassName);
    EXPECT_EQ(TitleOf(window), "Active Window");
    EXPECT_EQ(static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE)), 0x16CF0000u);
    EXPECT_EQ(GetParent(window), nullptr);

    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), kClassName, &info));
    EXPECT_EQ(info.style, 0u);
    EXPECT_EQ(info.hbrBackground, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(info.cbClsExtra, 0);
    EXPECT_EQ(info.cbWndExtra, 0);

    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right, 680);
    EXPECT_EQ(client.bottom, 512);
    RECT outer{};
    ASSERT_TRUE(GetWindowRect(window, &outer));
    RECT expected{0, 0, 680, 512};
    ASSERT_TRUE(AdjustWindowRectEx(&expected, 0x16CF0000, FALSE, 0));
    const int outerWidth = expected.right - expected.left;
    const int outerHeight = expected.bottom - expected.top;
    EXPECT_EQ(outer.right - outer.left, outerWidth);
    EXPECT_EQ(outer.bottom - outer.top, outerHeight);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2);
    const SurfaceGeometry geometry = surface->Geometry();
    EXPECT_EQ(geometry.x, outer.left);
    EXPECT_EQ(geometry.y, outer.top);
    EXPECT_EQ(geometry.width, outerWidth);

    const SurfaceState state = surface->QueryState();
    EXPECT_TRUE(state.alive);
    EXPECT_TRUE(state.visible);
    EXPECT_EQ(state.width, 680);
    EXPECT_EQ(state.height, 512);

    // Closing the surface takes the window and its class away.
    surface.reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(GetClassInfoExA(GetModuleHandleA(nullptr), kClassName, &info));
}

TEST(Win32PreviewWindow, ChildVariantTakesThePlacementUnchanged) {
    ParentWindow parent;
    SurfaceRequest request;
    request.parent = reinterpret_cast<uintptr_t>(parent.Handle());
    request.place = Rect{10, 20, 340, 256};
    request.title = kPreviewChildTitle;
    request.className = kClassName;
    auto surface = CreateWindowSurface(request, SurfaceChoice::Automatic);
    ASSERT_NE(surface, nullptr);
    HWND window = Handle(*surface);
    EXPECT_EQ(GetParent(window), parent.Handle());
    EXPECT_EQ(GetDlgCtrlID(window), 6540);
    EXPECT_EQ(GetDlgItem(parent.Handle(), 6540), window);
    EXPECT_EQ(TitleOf(window), "ActiveMovie Window");
    EXPECT_EQ(ClassOf(window), kClassName);
    EXPECT_EQ(static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE)), 0x52000000u);
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE), 0);
    RECT outer{};
    ASSERT_TRUE(GetWindowRect(window, &outer));
    MapWindowPoints(nullptr, parent.Handle(), reinterpret_cast<POINT*>(&outer), 2);
    EXPECT_EQ(outer.left, 10);
    EXPECT_EQ(outer.top, 20);
    EXPECT_EQ(outer.right, 350);
    EXPECT_EQ(outer.bottom, 276);
    const SurfaceGeometry geometry = surface->Geometry();
    EXPECT_EQ(geometry.x, 10);
    EXPECT_EQ(geometry.y, 20);
    EXPECT_EQ(geometry.width, 340);
    EXPECT_EQ(geometry.height, 256);

    // Drawn inside the parent: the parent's DC shows the frame at the child's place.
    const TestFrame frame(340, 256, 24);
    ASSERT_TRUE(surface->QueryState().visible);
    ASSERT_TRUE(surface->Draw(frame.Frame(false)));
    SurfacePicture picture;
    ASSERT_TRUE(surface->ReadBack(picture));
    ASSERT_EQ(picture.width, 340);
    EXPECT_EQ(CountMismatches(picture, frame, false, 340, 256), 0);
    uint8_t got[3];
    uint8_t expected[3];
    ScreenPixel(parent.Handle(), 10 + 300, 20 + 200, got);
    frame.Expected(300, 200, false, expected);
    EXPECT_EQ(got[0], expected[0]);
    EXPECT_EQ(got[1], expected[1]);
    EXPECT_EQ(got[2], expected[2]);
}

TEST(Win32PreviewWindow, RefusesAParentThatIsNoWindowAndImpossibleSizes) {
    SurfaceRequest request;
    request.parent = 0x12345678;
    request.place.width = 64;
    request.place.height = 64;
    request.className = kClassName;
    EXPECT_EQ(CreateWindowSurface(request, SurfaceChoice::Automatic), nullptr);
    // The class of the refused window is gone again: the name can be used once more.
    request.parent = 0;
    EXPECT_NE(CreateWindowSurface(request, SurfaceChoice::Automatic), nullptr);
    request.place.width = -1;
    EXPECT_EQ(CreateWindowSurface(request, SurfaceChoice::Automatic), nullptr);
    request.place.width = 40000;
    EXPECT_EQ(CreateWindowSurface(request, SurfaceChoice::Automatic), nullptr);
    request.place.width = 64;
    EXPECT_EQ(CreateWindowSurface(request, SurfaceChoice::X11), nullptr);
    EXPECT_EQ(CreateWindowSurface(request, SurfaceChoice::OffScreen)->Kind(),
              SurfaceKind::OffScreen);
}

class Win32Drawing : public ::testing::TestWithParam<int32_t> {};

TEST_P(Win32Drawing, OneToOneFramesShowMemoryRowZeroOnTopInEveryOrder) {
    const int32_t bits = GetParam();
    auto surface = TopLevel(200, 120);
    ASSERT_NE(surface, nullptr);
    const TestFrame frame(200, 120, bits);
    for (bool lastRowOnTop : {false, true}) {
        ASSERT_TRUE(surface->QueryState().visible);
        ASSERT_TRUE(surface->Draw(frame.Frame(lastRowOnTop)));
        SurfacePicture picture;
        ASSERT_TRUE(surface->ReadBack(picture));
        ASSERT_EQ(picture.width, 200);
        ASSERT_EQ(picture.height, 120);
        EXPECT_EQ(CountMismatches(picture, frame, lastRowOnTop, 200, 120), 0)
            << bits << " bits, last row on top " << lastRowOnTop;
        // The same pixels through GetPixel: corners and the middle.
        for (const POINT p :
             {POINT{0, 0}, POINT{199, 0}, POINT{0, 119}, POINT{199, 119}, POINT{140, 70}}) {
            uint8_t got[3];
            uint8_t expected[3];
            ScreenPixel(Handle(*surface), p.x, p.y, got);
            frame.Expected(p.x, p.y, lastRowOnTop, expected);
            EXPECT_EQ(got[0], expected[0]) << p.x << "," << p.y;
            EXPECT_EQ(got[1], expected[1]) << p.x << "," << p.y;
            EXPECT_EQ(got[2], expected[2]) << p.x << "," << p.y;
        }
    }
}

TEST_P(Win32Drawing, LargerFramesAreClippedToTheClientArea) {
    const int32_t bits = GetParam();
    auto surface = TopLevel(160, 100);
    ASSERT_NE(surface, nullptr);
    const TestFrame frame(240, 150, bits);
    for (bool lastRowOnTop : {false, true}) {
        ASSERT_TRUE(surface->QueryState().alive);
        ASSERT_TRUE(surface->Draw(frame.Frame(lastRowOnTop)));
        SurfacePicture picture;
        ASSERT_TRUE(surface->ReadBack(picture));
        ASSERT_EQ(picture.width, 160);
        ASSERT_EQ(picture.height, 100);
        EXPECT_EQ(CountMismatches(picture, frame, lastRowOnTop, 160, 100), 0)
            << bits << " bits, last row on top " << lastRowOnTop;
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, Win32Drawing, ::testing::Values(8, 24, 32));

TEST(Win32PreviewWindow, RefusesFramesGdiCannotShow) {
    auto surface = TopLevel(16, 16);
    ASSERT_NE(surface, nullptr);
    ASSERT_TRUE(surface->QueryState().alive);
    TestFrame frame(16, 16, 24);
    SurfaceFrame bad = frame.Frame(false);
    bad.bitsPerPixel = 16;
    EXPECT_FALSE(surface->Draw(bad));
    bad = frame.Frame(false);
    bad.stride = 16 * 3 - 1;
    EXPECT_FALSE(surface->Draw(bad));
    bad = frame.Frame(false);
    bad.pixels = nullptr;
    EXPECT_FALSE(surface->Draw(bad));
}

TEST(Win32PreviewWindow, UncoveredAreasShowTheBlackBackground) {
    auto surface = TopLevel(160, 100);
    ASSERT_NE(surface, nullptr);
    ASSERT_TRUE(surface->QueryState().alive);
    const TestFrame frame(100, 50, 24);
    ASSERT_TRUE(surface->Draw(frame.Frame(false)));
    SurfacePicture picture;
    ASSERT_TRUE(surface->ReadBack(picture));
    ASSERT_EQ(picture.width, 160);
    EXPECT_EQ(picture.Pixel(130, 80)[0], 0);
    EXPECT_EQ(picture.Pixel(130, 80)[1], 0);
    EXPECT_EQ(picture.Pixel(130, 80)[2], 0);
    EXPECT_EQ(picture.Pixel(99, 49)[0], 99);
    EXPECT_EQ(picture.Pixel(99, 49)[1], 49);
}

TEST(Win32PreviewWindow, HiddenResizedAndDestroyedWindowsAreReportedAsSuch) {
    auto surface = TopLevel(200, 150);
    ASSERT_NE(surface, nullptr);
    HWND window = Handle(*surface);
    ASSERT_TRUE(surface->SetVisible(false));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(surface->QueryState().visible);
    SurfacePicture picture;
    EXPECT_FALSE(surface->ReadBack(picture));
    ASSERT_TRUE(surface->SetVisible(true));
    EXPECT_TRUE(surface->QueryState().visible);

    ASSERT_TRUE(surface->Resize(170, 128));
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 170);
    EXPECT_EQ(client.bottom, 128);
    EXPECT_EQ(surface->QueryState().width, 170);

    // The application destroys the window behind the surface's back.
    DestroyWindow(window);
    const SurfaceState state = surface->QueryState();
    EXPECT_FALSE(state.alive);
    const TestFrame frame(16, 16, 24);
    EXPECT_FALSE(surface->Draw(frame.Frame(false)));
    EXPECT_FALSE(surface->ReadBack(picture));
    EXPECT_FALSE(surface->Resize(10, 10));
    EXPECT_FALSE(surface->SetVisible(true));
    EXPECT_EQ(surface->Geometry().width, 0);
    surface.reset();  // nothing left to destroy; no crash
}

TEST(Win32PreviewWindow, ChildGoesWithItsParent) {
    auto parent = std::make_unique<ParentWindow>();
    SurfaceRequest request;
    request.parent = reinterpret_cast<uintptr_t>(parent->Handle());
    request.place.width = 32;
    request.place.height = 32;
    request.className = kClassName;
    auto surface = CreateWindowSurface(request, SurfaceChoice::Automatic);
    ASSERT_NE(surface, nullptr);
    EXPECT_TRUE(surface->QueryState().alive);
    parent.reset();
    EXPECT_FALSE(surface->QueryState().alive);
    const TestFrame frame(32, 32, 8);
    EXPECT_FALSE(surface->Draw(frame.Frame(false)));
}

TEST(Win32PreviewWindow, AnotherThreadDrawsWhileTheCreatorDoesNotPump) {
    auto surface = TopLevel(200, 120);
    ASSERT_NE(surface, nullptr);
    const TestFrame frame(200, 120, 24);
    bool drawn = false;
    SurfacePicture picture;
    std::thread worker([&] {
        if (surface->QueryState().visible)
            drawn = surface->Draw(frame.Frame(false)) && surface->ReadBack(picture);
        // A resize from here is posted to the creator and waits for nobody.
        surface->Resize(160, 90);
    });
    worker.join();
    ASSERT_TRUE(drawn);
    ASSERT_EQ(picture.width, 200);
    EXPECT_EQ(CountMismatches(picture, frame, false, 200, 120), 0);
    Pump();
    EXPECT_EQ(surface->QueryState().width, 160);
    EXPECT_EQ(surface->QueryState().height, 90);
}

// The preview's own path: a 24-bit image drawn 1:1, then into a smaller client area
// through the display image and the scaler, each with its top row on top.
TEST(Win32PreviewWindow, PreviewDrawsOneToOneAndScaled) {
    ImageBuffer image24;
    ASSERT_EQ(image24.Create(256, 192, 24), 1);
    for (int32_t y = 0; y < 192; ++y) {
        for (int32_t x = 0; x < 256; ++x) {
            uint8_t* p = image24.Bits() + y * image24.Stride() + x * 3;
            // Top half white, bottom half dark; left quarter blue-ish marker.
            p[0] = x < 64 ? 255 : (y < 96 ? 255 : 20);
            p[1] = y < 96 ? 255 : 20;
            p[2] = y < 96 ? 255 : 20;
        }
    }
    ImageBuffer display;
    PreviewImages images;
    images.image24 = &image24;
    images.display = &display;
    PreviewWindow window(SurfaceChoice::Win32);
    PreviewWindowRequest request;
    request.imageWidth = 256;
    request.imageHeight = 192;
    ASSERT_TRUE(window.Open(request));
    EXPECT_EQ(window.Kind(), SurfaceKind::Win32);
    ASSERT_TRUE(window.DrawFrame(2, images));
    SurfacePicture picture;
    ASSERT_TRUE(window.ReadBack(picture));
    ASSERT_EQ(picture.width, 256);
    ASSERT_EQ(picture.height, 192);
    EXPECT_EQ(picture.Pixel(100, 0)[1], 255);
    EXPECT_EQ(picture.Pixel(100, 191)[1], 20);
    EXPECT_EQ(picture.Pixel(100, 191)[0], 20);
    EXPECT_EQ(picture.Pixel(2, 191)[0], 255);

    ASSERT_TRUE(window.ResizeClient(160, 96));
    ASSERT_TRUE(window.DrawFrame(2, images));
    ASSERT_TRUE(window.ReadBack(picture));
    ASSERT_EQ(picture.width, 160);
    ASSERT_EQ(picture.height, 96);
    EXPECT_EQ(display.Width(), 160);
    EXPECT_EQ(display.Height(), 96);
    EXPECT_EQ(picture.Pixel(100, 2)[1], 255);
    EXPECT_EQ(picture.Pixel(100, 93)[1], 20);
    EXPECT_EQ(picture.Pixel(100, 93)[0], 20);
    EXPECT_EQ(picture.Pixel(2, 93)[0], 255);
    window.Close();
}

}  // namespace
}  // namespace pixora

#endif  // _WIN32
