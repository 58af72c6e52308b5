// The program's own use of the X display, apart from the library's connections: opening a
// connection, finding this process's top-level windows and asking a window to close the way
// a window manager's close button does.
#pragma once

#include <X11/Xlib.h>

#include <vector>

namespace pixora::cli {

// Makes X errors that no one else handles harmless: the program's requests may name a window
// that just went away (a dialog closing), which Xlib's default handler would answer by
// ending the process. Call when the program starts, before the library installs its
// handler in front of this one for its own connections.
void PrepareX11();

// A connection to the display named by DISPLAY, or null without one.
Display* OpenX11Display();

// The top-level windows that carry this process's id (_NET_WM_PID): directly below the root
// window, or one level further down inside a window manager's frame.
std::vector<Window> WindowsOfThisProcess(Display* display);

// Sends WM_DELETE_WINDOW to `window` when it takes it (its WM_PROTOCOLS name it); false
// otherwise.
bool AskWindowToClose(Display* display, Window window);

// Puts this process's id on `window` (_NET_WM_PID), as toolkits do for window managers.
void MarkWindowAsOurs(Display* display, Window window);

}  // namespace pixora::cli
