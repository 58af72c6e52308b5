// Keeps X protocol errors on the library's own display connections from ending the
// process. Xlib's default error handler exits, and an application may destroy the window
// the preview draws into at any time; errors on a watched connection are counted instead,
// errors on any other connection go to the handler that was installed before.
#pragma once

#include <X11/Xlib.h>

#include <mutex>

namespace pixora {

// Starts counting errors of `display` (and installs the handler when needed). Also makes
// a lost server connection end that connection only, not the process.
void X11WatchErrors(Display* display);
// Stops counting; call after XCloseDisplay so errors of the final flush are still caught.
void X11UnwatchErrors(Display* display);
// Errors counted on `display` since the last call; the code of the last one in *lastCode
// when not null.
int X11TakeErrors(Display* display, unsigned char* lastCode = nullptr);
// True once the connection to the server was lost.
bool X11ConnectionLost(Display* display);

// Held around every call of an X extension (MIT-SHM) and around the closing of a connection.
// Xext keeps one list of connections per extension for the whole process and looks up the
// connection it met last without a lock: a connection closed on one thread while another
// thread uses the extension on another connection reads and writes freed memory.
std::mutex& X11ExtensionMutex();

// Opens a connection of the library's own (watched); null when DISPLAY is unset or no
// server answers within about half a second.
Display* X11OpenWatchedDisplay();
// Closes a connection from X11OpenWatchedDisplay; harmless for null.
void X11CloseWatchedDisplay(Display* display);

}  // namespace pixora
