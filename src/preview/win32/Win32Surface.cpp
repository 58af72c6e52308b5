#include "preview/win32/Win32Surface.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "preview/WindowSurfaceRows.h"

namespace pixora {
namespace {

using surface_detail::SurfaceSizeAcceptable;

// Row length of a DIB: whole 32-bit words.
int32_t DibStride(int32_t width, int32_t bitsPerPixel) {
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

// A BITMAPINFO with room for a 256-entry colour table.
struct BitmapInfo256 {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

// `height` > 0: bottom-up rows (memory row 0 is the bottom); < 0: top-down.
void DescribeDib(BitmapInfo256& info, int32_t width, int32_t height, int32_t bitsPerPixel) {
    std::memset(&info, 0, sizeof info);
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.header.biCompression = BI_RGB;
    if (bitsPerPixel == 8) {
        // Gray levels, whatever table the image may have had.
        info.header.biClrUsed = 256;
        for (int i = 0; i < 256; ++i) {
            const BYTE level = static_cast<BYTE>(i);
            info.colors[i] = RGBQUAD{level, level, level, 0};
        }
    }
}

class Win32WindowSurface final : public WindowSurface {
public:
    Win32WindowSurface() = default;
    ~Win32WindowSurface() override;
    Win32WindowSurface(const Win32WindowSurface&) = delete;
    Win32WindowSurface& operator=(const Win32WindowSurface&) = delete;

    bool Open(const SurfaceRequest& request);

    SurfaceKind Kind() const override { return SurfaceKind::Win32; }
    uint64_t NativeId() const override { return reinterpret_cast<uintptr_t>(window_); }
    SurfaceState QueryState() override;
    bool Draw(const SurfaceFrame& frame) override;
    bool ReadBack(SurfacePicture& out) override;
    SurfaceGeometry Geometry() override;
    bool Resize(int32_t width, int32_t height) override;
    bool SetVisible(bool visible) override;

private:
    bool RegisterWindowClass();
    bool CreatePreviewWindow(const SurfaceRequest& request);
    // False once the window is gone (destroyed by the application or with its parent);
    // remembers it. The class name guards against a handle the system gave out again.
    bool Alive();
    // The window exists and is still the one made here.
    bool WindowIsOurs() const;
    bool OnCreatorThread() const;
    // The DIB section the frame's rows are copied into, selected into memory_; top-down
    // (memory row 0 on top) or bottom-up.
    bool EnsureDib(int32_t width, int32_t height, int32_t bitsPerPixel, bool topDown);

    std::string className_;
    bool classRegistered_ = false;
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    DWORD creatorThread_ = 0;
    bool child_ = false;
    bool alive_ = false;
    SurfaceState lastState_;

    HDC memory_ = nullptr;
    HBITMAP dib_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    uint8_t* dibBits_ = nullptr;
    int32_t dibWidth_ = 0;
    int32_t dibHeight_ = 0;
    int32_t dibDepth_ = 0;
    bool dibTopDown_ = false;
};

bool Win32WindowSurface::RegisterWindowClass() {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = 0;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = className_.c_str();
    classRegistered_ = RegisterClassExA(&windowClass) != 0;
    return classRegistered_;
}

bool Win32WindowSurface::CreatePreviewWindow(const SurfaceRequest& request) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (child_) {
        HWND parent = reinterpret_cast<HWND>(static_cast<uintptr_t>(request.parent));
        if (!IsWindow(parent)) {
            return false;
        }
        window_ = CreateWindowExA(
            0, className_.c_str(), request.title.c_str(), kPreviewChildStyle, request.place.x,
            request.place.y, request.place.width, request.place.height, parent,
            reinterpret_cast<HMENU>(static_cast<uintptr_t>(kPreviewChildId)), instance, nullptr);
    } else {
        RECT outer{0, 0, request.place.width, request.place.height};
        if (!AdjustWindowRectEx(&outer, kPreviewTopLevelStyle, FALSE, 0)) {
            return false;
        }
        // Signed divisions, rounding toward zero, centre the outer rectangle.
        const int x = (GetSystemMetrics(SM_CXSCREEN) + outer.left - outer.right) / 2;
        const int y = (GetSystemMetrics(SM_CYSCREEN) + outer.top - outer.bottom) / 2;
        window_ = CreateWindowExA(0, className_.c_str(), request.title.c_str(),
                                  kPreviewTopLevelStyle, x, y, outer.right - outer.left,
                                  outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
    }
    if (window_ == nullptr) {
        return false;
    }
    SetFocus(window_);
    ShowWindow(window_, SW_SHOW);
    return UpdateWindow(window_) != 0;
}

bool Win32WindowSurface::Open(const SurfaceRequest& request) {
    if (!SurfaceSizeAcceptable(request.place.width, request.place.height)) {
        return false;
    }
    className_ = request.className;
    if (className_.empty()) {
        char name[64];
        std::snprintf(name, sizeof name, "VideoRenderer_%08x_%08x",
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(this)),
                      static_cast<unsigned>(GetTickCount()));
        className_ = name;
    }
    child_ = request.parent != 0;
    creatorThread_ = GetCurrentThreadId();
    if (!RegisterWindowClass() || !CreatePreviewWindow(request)) {
        return false;
    }
    dc_ = GetDC(window_);
    if (dc_ == nullptr) {
        return false;
    }
    alive_ = true;
    return true;
}

Win32WindowSurface::~Win32WindowSurface() {
    if (memory_ != nullptr) {
        if (previousBitmap_ != nullptr) {
            SelectObject(memory_, previousBitmap_);
        }
        DeleteDC(memory_);
    }
    if (dib_ != nullptr) {
        DeleteObject(dib_);
    }
    const bool exists = WindowIsOurs();
    if (dc_ != nullptr && exists) {
        ReleaseDC(window_, dc_);
    }
    if (exists) {
        if (OnCreatorThread()) {
            DestroyWindow(window_);
        } else {
            PostMessageA(window_, WM_CLOSE, 0, 0);
        }
    }
    if (classRegistered_) {
        // Fails while a window of the class still waits for its thread to close it; the
        // name is unique, so the leftover class harms nobody.
        UnregisterClassA(className_.c_str(), GetModuleHandleA(nullptr));
    }
}

bool Win32WindowSurface::OnCreatorThread() const {
    return GetCurrentThreadId() == creatorThread_;
}

bool Win32WindowSurface::WindowIsOurs() const {
    char name[256];
    return window_ != nullptr && IsWindow(window_) &&
           GetClassNameA(window_, name, sizeof name) != 0 && className_ == name;
}

bool Win32WindowSurface::Alive() {
    if (alive_ && !WindowIsOurs()) {
        alive_ = false;
    }
    return alive_;
}

SurfaceState Win32WindowSurface::QueryState() {
    lastState_ = SurfaceState{};
    RECT client{};
    if (!Alive() || !GetClientRect(window_, &client)) {
        return lastState_;
    }
    lastState_.alive = true;
    lastState_.visible = IsWindowVisible(window_) != 0 && IsIconic(window_) == 0;
    lastState_.width = client.right - client.left;
    lastState_.height = client.bottom - client.top;
    return lastState_;
}

bool Win32WindowSurface::EnsureDib(int32_t width, int32_t height, int32_t bitsPerPixel,
                                   bool topDown) {
    if (dib_ != nullptr && dibWidth_ == width && dibHeight_ == height &&
        dibDepth_ == bitsPerPixel && dibTopDown_ == topDown) {
        return true;
    }
    if (memory_ == nullptr) {
        memory_ = CreateCompatibleDC(dc_);
        if (memory_ == nullptr) {
            return false;
        }
    }
    if (dib_ != nullptr) {
        SelectObject(memory_, previousBitmap_);
        DeleteObject(dib_);
        dib_ = nullptr;
        dibBits_ = nullptr;
    }
    BitmapInfo256 info;
    DescribeDib(info, width, topDown ? -height : height, bitsPerPixel);
    void* bits = nullptr;
    dib_ = CreateDIBSection(dc_, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                            nullptr, 0);
    if (dib_ == nullptr || bits == nullptr) {
        dib_ = nullptr;
        return false;
    }
    previousBitmap_ = SelectObject(memory_, dib_);
    dibBits_ = static_cast<uint8_t*>(bits);
    dibWidth_ = width;
    dibHeight_ = height;
    dibDepth_ = bitsPerPixel;
    dibTopDown_ = topDown;
    return true;
}

bool Win32WindowSurface::Draw(const SurfaceFrame& frame) {
    if (!surface_detail::FrameHasRows(frame) || !lastState_.alive || !Alive() || dc_ == nullptr) {
        return false;
    }
    const int32_t width = std::min(frame.width, lastState_.width);
    const int32_t height = std::min(frame.height, lastState_.height);
    if (width <= 0 || height <= 0) {
        return false;
    }
    const int32_t depth = frame.bitsPerPixel;
    // The DIB takes the frame's memory rows in memory order (those of the top `height`
    // screen rows, clipped to `width` pixels) and the frame's row order: top-down when
    // memory row 0 is the top row, bottom-up when the last one is.
    const bool topDown = !frame.lastRowOnTop;
    if (!EnsureDib(width, height, depth, topDown)) {
        return false;
    }
    GdiFlush();
    const int32_t firstMemoryRow = frame.lastRowOnTop ? frame.height - height : 0;
    const int32_t dibStride = DibStride(width, depth);
    const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(depth / 8);
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* source =
            frame.pixels + static_cast<ptrdiff_t>(firstMemoryRow + row) * frame.stride;
        std::memcpy(dibBits_ + static_cast<ptrdiff_t>(row) * dibStride, source, rowBytes);
    }
    BOOL drawn = FALSE;
    if (depth != 8 && topDown) {
        // Colour at the image's size. Both extents stay positive: a mirrored source
        // rectangle (negative height) is one row off on some GDI implementations.
        drawn = StretchBlt(dc_, 0, 0, width, height, memory_, 0, 0, width, height, SRCCOPY);
    } else {
        // A bottom-up header shows the last memory row on top, a top-down one the first.
        BitmapInfo256 info;
        DescribeDib(info, width, topDown ? -height : height, depth);
        drawn = SetDIBitsToDevice(dc_, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height),
                                  0, 0, 0, static_cast<UINT>(height), dibBits_,
                                  reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) != 0;
    }
    GdiFlush();
    return drawn != 0 && Alive();
}

bool Win32WindowSurface::ReadBack(SurfacePicture& out) {
    RECT client{};
    if (!Alive() || !GetClientRect(window_, &client)) {
        return false;
    }
    // A hidden window has no pixels on the screen to read.
    if (!IsWindowVisible(window_)) {
        return false;
    }
    const int32_t width = client.right - client.left;
    const int32_t height = client.bottom - client.top;
    if (width <= 0 || height <= 0) {
        out = SurfacePicture{};
        return true;
    }
    HDC copy = CreateCompatibleDC(dc_);
    if (copy == nullptr) {
        return false;
    }
    BitmapInfo256 info;
    DescribeDib(info, width, -height, 32);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc_, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                      &bits, nullptr, 0);
    bool ok = false;
    if (bitmap != nullptr && bits != nullptr) {
        HGDIOBJ previous = SelectObject(copy, bitmap);
        ok = BitBlt(copy, 0, 0, width, height, dc_, 0, 0, SRCCOPY) != 0;
        GdiFlush();
        if (ok) {
            try {
                out.width = width;
                out.height = height;
                out.bgr.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
                const uint8_t* source = static_cast<const uint8_t*>(bits);
                uint8_t* dest = out.bgr.data();
                const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
                for (size_t i = 0; i < pixels; ++i, source += 4, dest += 3) {
                    dest[0] = source[0];
                    dest[1] = source[1];
                    dest[2] = source[2];
                }
            } catch (const std::bad_alloc&) {
                out = SurfacePicture{};
                ok = false;
            }
        }
        SelectObject(copy, previous);
    }
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
    }
    DeleteDC(copy);
    return ok && Alive();
}

SurfaceGeometry Win32WindowSurface::Geometry() {
    SurfaceGeometry geometry;
    RECT outer{};
    if (!Alive() || !GetWindowRect(window_, &outer)) {
        return geometry;
    }
    if (child_) {
        HWND parent = GetParent(window_);
        if (parent != nullptr) {
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&outer), 2);
        }
    }
    geometry =
        SurfaceGeometry{outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top};
    return geometry;
}

bool Win32WindowSurface::Resize(int32_t width, int32_t height) {
    if (!SurfaceSizeAcceptable(width, height) || !Alive()) {
        return false;
    }
    RECT outer{0, 0, width, height};
    if (!child_ && !AdjustWindowRectEx(&outer, kPreviewTopLevelStyle, FALSE, 0)) {
        return false;
    }
    UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    if (!OnCreatorThread()) {
        flags |= SWP_ASYNCWINDOWPOS;
    }
    if (!SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                      flags)) {
        return false;
    }
    return Alive();
}

bool Win32WindowSurface::SetVisible(bool visible) {
    if (!Alive()) {
        return false;
    }
    const int command = visible ? SW_SHOWNA : SW_HIDE;
    if (OnCreatorThread()) {
        ShowWindow(window_, command);
    } else {
        ShowWindowAsync(window_, command);
    }
    return Alive();
}

}  // namespace

std::unique_ptr<WindowSurface> CreateWin32Surface(const SurfaceRequest& request) {
    std::unique_ptr<Win32WindowSurface> surface(new (std::nothrow) Win32WindowSurface);
    if (!surface || !surface->Open(request)) {
        return nullptr;
    }
    return surface;
}

}  // namespace pixora
