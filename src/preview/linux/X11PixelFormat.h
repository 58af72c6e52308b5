// Moving pixels between the surfaces' formats (8-bit gray, 24-bit blue-green-red) and an
// XImage of whatever true-colour format the window's visual has.
#pragma once

#include <X11/Xlib.h>

#include "preview/WindowSurface.h"

namespace pixora {

// True when pixels of `visual` can be built from red, green and blue masks.
bool X11VisualIsTrueColor(const Visual* visual);

// Writes the top-left `width` x `height` screen pixels of `frame` into `image` (at least
// that large, same masks as the window's visual).
void X11PackFrame(const SurfaceFrame& frame, int width, int height, XImage* image);

// Reads `image` into `out` (blue, green, red, top row first).
void X11UnpackImage(XImage* image, SurfacePicture& out);

}  // namespace pixora
