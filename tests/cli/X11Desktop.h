// The pixora program's windows as a user's desktop sees them: found by the process id on
// them, named, measured and typed into with xdotool and xwininfo; closed with the message a
// window manager's close button sends. And an X server of the test's own, for a screen of a
// chosen size.
#pragma once

#include <string>
#include <vector>

namespace pixora::test {

struct WindowSize {
    int width = 0;
    int height = 0;
    bool operator==(const WindowSize&) const = default;
};

class X11Desktop {
public:
    // The test's DISPLAY when `display` is empty; Name() is empty when there is none.
    explicit X11Desktop(const std::string& display = "");
    const std::string& Name() const { return name_; }

    // The first shown window carrying `pid` (_NET_WM_PID) within 30 s, as "0x..."; empty if none.
    std::string WaitForWindowOf(int pid) const;
    std::string Title(const std::string& window) const;
    WindowSize Size(const std::string& window) const;
    // The sizes of the window's children.
    std::vector<WindowSize> ChildSizes(const std::string& window) const;
    // A key press sent to the window, as `xdotool key --window` sends it (keysym name).
    void PressKey(const std::string& window, const std::string& key) const;
    // WM_DELETE_WINDOW, as a window manager's close button sends it.
    void PressCloseButton(const std::string& window) const;

private:
    std::string Run(const std::string& command) const;

    std::string name_;
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
