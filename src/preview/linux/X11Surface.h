// The window surface on an X11 display: a real window made with Xlib, either a top-level
// window centred on the screen or a child of an application window, drawn through a
// display connection of its own. No event loop is needed: the window only shows what is
// put into it and the server paints uncovered areas with its black background.
#pragma once

#include <memory>

#include "preview/WindowSurface.h"

namespace pixora {

enum class X11SurfaceResult { Created, NoDisplay, Failed };

// Makes the window. `out` is set only with Created; NoDisplay when no server can be
// reached, Failed when the server refused (a parent that is no window, a bad size).
X11SurfaceResult CreateX11Surface(const SurfaceRequest& request,
                                  std::unique_ptr<WindowSurface>& out);

}  // namespace pixora
