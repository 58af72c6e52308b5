// The preview's window on Windows: a window of its own class ("VideoRenderer_..."), with
// the system's default window procedure, drawn with GDI through the DC taken when it was
// made.
//
// Threads: the window is made on the calling thread (the application's), so its messages
// are that thread's to pump, as for every other window of the application; the default
// window procedure answers them. Drawing, QueryState and ReadBack only use the kept DC and
// GDI and never send a message, so the worker draws even while the application's thread is
// busy or never pumps at all. Resize and SetVisible called from another thread than the
// creator are posted (SWP_ASYNCWINDOWPOS, ShowWindowAsync) rather than sent, so they cannot
// wait on a thread that does not pump. The window is destroyed on the creating thread; from
// any other thread it is asked to close (WM_CLOSE, which its default procedure turns into
// DestroyWindow the next time that thread pumps).
//
// A window destroyed by the application (directly, or with its parent) is noticed with
// IsWindow and the class name before every use: the surface then reports itself dead.
//
// Geometry reports the window's outer rectangle: relative to the parent's client area for
// the child variant (whose outer and client rectangles are the same), on the screen for the
// top-level variant.
#pragma once

#include <memory>

#include "preview/WindowSurface.h"

namespace pixora {

// Window style of each variant, and the child's control id.
inline constexpr unsigned long kPreviewChildStyle = 0x52000000UL;
inline constexpr unsigned long kPreviewTopLevelStyle = 0x16CF0000UL;
inline constexpr int kPreviewChildId = 6540;

// Registers the request's class and makes the window: a child of `request.parent` (an HWND)
// at the request's placement, or a top-level window whose client area has the request's
// size, centred on the screen. Null when the class, the window or its DC cannot be had, or
// the parent is not a window.
std::unique_ptr<WindowSurface> CreateWin32Surface(const SurfaceRequest& request);

}  // namespace pixora
