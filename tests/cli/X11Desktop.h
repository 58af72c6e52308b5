// The pixora program's windows as a user's desktop sees them, through an X connection of the
// test's own: found by the process id on them, their titles and sizes, and the user's keys
// and close button. And an X server of the test's own, for a screen of a chosen size.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <string>
#include <vector>

namespace pixora::test {

class X11Desktop {
public:
    // Connects to `display`, or to the test's DISPLAY when empty.
    explicit X11Desktop(const std::string& display = "");
    ~X11Desktop();
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    bool Connected() const { return display_ != nullptr; }
    const std::string& Name() const { return name_; }
    int ScreenWidth() const;
    int ScreenHeight() const;

    // The first top-level window carrying `pid` (_NET_WM_PID) that shows within `limit`; 0 if
    // none does.
    Window WaitForWindowOf(int pid, std::chrono::milliseconds limit = std::chrono::seconds(30));
    std::string Title(Window window);
    bool Size(Window window, int* width, int* height);
    std::vector<Window> Children(Window window);

    // A key press and release sent to `window`, as `xdotool key --window` sends them.
    void PressKey(Window window, KeySym key);
    // What a window manager's close button sends: WM_DELETE_WINDOW.
    void PressCloseButton(Window window);

private:
    std::string name_;
    Display* display_ = nullptr;
};

class PrivateXServer {
public:
    // Starts Xvfb with one screen of width x height; Name() is empty when it did not start.
    PrivateXServer(int width, int height);
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    const std::string& Name() const { return name_; }

private:
    int pid_ = -1;
    std::string name_;
};

}  // namespace pixora::test
