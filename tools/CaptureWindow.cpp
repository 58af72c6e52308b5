#include "CaptureWindow.h"

#include <sstream>
#include <vector>

#include "CommandLine.h"

namespace pixora::cli {

namespace {

// The window's four controls, in the order of X,Y,W,H. The window as a whole is this
// file's subject, so it names them; their ranges and texts are the library's.
struct WindowControls {
    const NamedSetting* x = FindSetting("offset-x");
    const NamedSetting* y = FindSetting("offset-y");
    const NamedSetting* width = FindSetting("width");
    const NamedSetting* height = FindSetting("height");

    bool Complete() const {
        return x != nullptr && y != nullptr && width != nullptr && height != nullptr;
    }
};

WindowControls Controls(std::string_view what) {
    WindowControls controls;
    if (!controls.Complete())
        throw UsageError(std::string(what) + ": this library has no capture window");
    return controls;
}

std::optional<int32_t> Read(PIXORA_HANDLE camera, const NamedSetting* setting) {
    return ReadSetting(camera, *setting);
}

// Sets the four in an order that keeps every step inside each control's range: the start
// to the corner first, then the size, then the start.
bool SetWindow(PIXORA_HANDLE camera, const WindowControls& controls, const WindowRequest& w) {
    return WriteSetting(camera, *controls.x, 0) && WriteSetting(camera, *controls.y, 0) &&
           WriteSetting(camera, *controls.width, w.width) &&
           WriteSetting(camera, *controls.height, w.height) &&
           WriteSetting(camera, *controls.x, w.x) && WriteSetting(camera, *controls.y, w.y);
}

}  // namespace

WindowRequest ParseWindow(std::string_view text, std::string_view what) {
    const WindowControls controls = Controls(what);
    std::istringstream parts{std::string(text)};
    std::vector<std::string> part;
    for (std::string item; std::getline(parts, item, ',');)
        part.push_back(item);
    if (part.size() != 4 || text.back() == ',')
        throw UsageError(std::string(what) + " must be X,Y,W,H, not '" + std::string(text) + "'");
    const std::string name(what);
    WindowRequest window{ParseValue(*controls.x, part[0], name + " X"),
                         ParseValue(*controls.y, part[1], name + " Y"),
                         ParseValue(*controls.width, part[2], name + " W"),
                         ParseValue(*controls.height, part[3], name + " H")};
    // The largest width and height are the sensor's.
    if (int64_t{window.x} + window.width > controls.width->maximum ||
        int64_t{window.y} + window.height > controls.height->maximum) {
        throw UsageError(name + " " + std::string(text) + " leaves the sensor of " +
                         std::to_string(controls.width->maximum) + " x " +
                         std::to_string(controls.height->maximum) + " pixels");
    }
    return window;
}

std::string WindowOptionHelp() {
    const WindowControls controls;
    if (!controls.Complete())
        return "";
    return "  --roi X,Y,W,H     capture window: start column X " + RangeText(*controls.x) +
           ", row Y " + RangeText(*controls.y) + ",\n                    width W " +
           RangeText(*controls.width) + ", height H " + RangeText(*controls.height) +
           ", on the sensor\n";
}

bool TemporaryWindow::Apply(const WindowRequest& window) {
    const WindowControls controls;
    PIXORA_HANDLE camera = camera_.Handle();
    const auto x = Read(camera, controls.x);
    const auto y = Read(camera, controls.y);
    const auto width = Read(camera, controls.width);
    const auto height = Read(camera, controls.height);
    if (!x || !y || !width || !height) {
        camera_.ReportFailure("reading the capture window");
        return false;
    }
    saved_ = WindowRequest{*x, *y, *width, *height};
    if (!SetWindow(camera, controls, window)) {
        camera_.ReportFailure("setting the capture window");
        return false;
    }
    return true;
}

void TemporaryWindow::Restore() {
    if (!saved_ || camera_.Handle() == nullptr)
        return;
    SetWindow(camera_.Handle(), WindowControls{}, *saved_);
    saved_.reset();
}

}  // namespace pixora::cli
