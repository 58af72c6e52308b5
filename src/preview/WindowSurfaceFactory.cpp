#include <string>

#include "platform/Environment.h"
#include "preview/OffscreenSurface.h"
#include "preview/WindowSurface.h"
#ifdef _WIN32
#include "preview/win32/Win32Surface.h"
#else
#include "preview/linux/X11Surface.h"
#endif

namespace pixora {
namespace {

SurfaceChoice ResolveChoice(SurfaceChoice choice) {
    if (choice != SurfaceChoice::Automatic) {
        return choice;
    }
    const std::string forced = EnvironmentValue("PIXORA_PREVIEW_SURFACE").value_or("");
    if (forced == "offscreen") {
        return SurfaceChoice::OffScreen;
    }
    if (forced == "x11") {
        return SurfaceChoice::X11;
    }
    if (forced == "win32") {
        return SurfaceChoice::Win32;
    }
    return SurfaceChoice::Automatic;
}

#ifndef _WIN32
bool DisplayNamed() {
    return !EnvironmentValue("DISPLAY").value_or("").empty();
}
#endif

}  // namespace

std::unique_ptr<WindowSurface> CreateWindowSurface(const SurfaceRequest& request,
                                                   SurfaceChoice choice) {
    choice = ResolveChoice(choice);
    if (choice == SurfaceChoice::OffScreen) {
        return OffscreenSurface::Create(request);
    }
#ifdef _WIN32
    // Windows always has a desktop to put the window on.
    if (choice == SurfaceChoice::X11) {
        return nullptr;
    }
    return CreateWin32Surface(request);
#else
    if (choice == SurfaceChoice::Win32) {
        return nullptr;
    }
    if (choice == SurfaceChoice::X11 || DisplayNamed()) {
        std::unique_ptr<WindowSurface> surface;
        const X11SurfaceResult result = CreateX11Surface(request, surface);
        // A display that is named but cannot be reached is treated as none, unless X11
        // was asked for explicitly.
        if (result != X11SurfaceResult::NoDisplay || choice == SurfaceChoice::X11) {
            return surface;
        }
    }
    return OffscreenSurface::Create(request);
#endif
}

}  // namespace pixora
