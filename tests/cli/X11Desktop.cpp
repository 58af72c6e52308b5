#include "X11Desktop.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <thread>

namespace pixora::test {

X11Desktop::X11Desktop(const std::string& display) : name_(display) {
    if (const char* fromEnvironment = std::getenv("DISPLAY"); name_.empty() && fromEnvironment)
        name_ = fromEnvironment;
}

std::string X11Desktop::Run(const std::string& command) const {
    std::string output;
    if (FILE* pipe = popen(("DISPLAY=" + name_ + " " + command + " 2>/dev/null").c_str(), "r")) {
        char chunk[512];
        for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
            output.append(chunk, got);
        pclose(pipe);
    }
    return output;
}

std::string X11Desktop::WaitForWindowOf(int pid) const {
    for (int attempt = 0; attempt < 300; ++attempt) {
        const std::string found = Run("xdotool search --onlyvisible --pid " + std::to_string(pid));
        if (!found.empty()) {
            char id[32];
            std::snprintf(id, sizeof id, "0x%lx", std::strtoul(found.c_str(), nullptr, 10));
            return id;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "";
}

std::string X11Desktop::Title(const std::string& window) const {
    const std::string name = Run("xdotool getwindowname " + window);
    return name.substr(0, name.find('\n'));
}

WindowSize X11Desktop::Size(const std::string& window) const {
    const std::string shell = Run("xdotool getwindowgeometry --shell " + window);
    std::smatch size;
    if (!std::regex_search(shell, size, std::regex(R"(WIDTH=(\d+)\s+HEIGHT=(\d+))")))
        return {};
    return {std::stoi(size[1]), std::stoi(size[2])};
}

std::vector<WindowSize> X11Desktop::ChildSizes(const std::string& window) const {
    // xwininfo's list of children: one line each, "0x... "name": ()  WxH+X+Y  +X+Y".
    const std::string listing = Run("xwininfo -children -id " + window);
    std::vector<WindowSize> sizes;
    const std::regex child(R"(\n\s+0x[0-9a-f]+ .*\s(\d+)x(\d+)\+-?\d+\+-?\d+)");
    for (auto it = std::sregex_iterator(listing.begin(), listing.end(), child);
         it != std::sregex_iterator(); ++it)
        sizes.push_back({std::stoi((*it)[1]), std::stoi((*it)[2])});
    return sizes;
}

void X11Desktop::PressKey(const std::string& window, const std::string& key) const {
    Run("xdotool key --window " + window + " " + key);
}

void X11Desktop::PressCloseButton(const std::string& window) const {
    Display* display = XOpenDisplay(name_.c_str());
    if (display == nullptr)
        return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::strtoul(window.c_str(), nullptr, 16);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display);
}

PrivateXServer::PrivateXServer(int width, int height) {
    int ready[2];
    if (pipe(ready) != 0)
        return;
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const std::string fd = std::to_string(ready[1]);
    pid_ = fork();
    if (pid_ == 0) {
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    // Xvfb writes the number of the display it took once clients can connect.
    pollfd wait{ready[0], POLLIN, 0};
    char number[16] = {};
    if (pid_ > 0 && poll(&wait, 1, 20000) == 1 && read(ready[0], number, sizeof number - 1) > 0)
        name_ = ":" + std::to_string(std::atoi(number));
    close(ready[0]);
}

PrivateXServer::~PrivateXServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

}  // namespace pixora::test
