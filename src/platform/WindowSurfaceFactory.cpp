#include <cstdlib>
#include <cstring>

#include "platform/OffscreenSurface.h"
#include "platform/WindowSurface.h"
#include "platform/X11Surface.h"

namespace pixora {
namespace {

SurfaceChoice ResolveChoice(SurfaceChoice choice) {
    if (choice != SurfaceChoice::Automatic) {
        return choice;
    }
    const char* forced = std::getenv("PIXORA_PREVIEW_SURFACE");
    if (forced != nullptr && std::strcmp(forced, "offscreen") == 0) {
        return SurfaceChoice::OffScreen;
    }
    if (forced != nullptr && std::strcmp(forced, "x11") == 0) {
        return SurfaceChoice::X11;
    }
    return SurfaceChoice::Automatic;
}

bool DisplayNamed() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && display[0] != '\0';
}

}  // namespace

std::unique_ptr<WindowSurface> CreateWindowSurface(const SurfaceRequest& request,
                                                   SurfaceChoice choice) {
    choice = ResolveChoice(choice);
    if (choice == SurfaceChoice::OffScreen) {
        return OffscreenSurface::Create(request);
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
}

}  // namespace pixora
