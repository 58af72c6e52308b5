// The capture window of one snapshot (--roi X,Y,W,H): checked against the window controls
// the library describes before any camera is opened, set for the shot and put back
// afterwards, so the stored window stays as it was.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Camera.h"
#include "NamedSettings.h"

namespace pixora::cli {

struct WindowRequest {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// "X,Y,W,H" as a window on the sensor; throws UsageError naming `what` when a value is out
// of its control's range or the window leaves the sensor.
WindowRequest ParseWindow(std::string_view text, std::string_view what);

// "  --roi X,Y,W,H ..." with the limits the library publishes.
std::string WindowOptionHelp();

class TemporaryWindow {
public:
    explicit TemporaryWindow(Camera& camera) : camera_(camera) {}
    ~TemporaryWindow() { Restore(); }
    TemporaryWindow(const TemporaryWindow&) = delete;
    TemporaryWindow& operator=(const TemporaryWindow&) = delete;

    // Sets the window; on a refusal reports it and returns false.
    bool Apply(const WindowRequest& window);
    // Puts the window back as it was before Apply.
    void Restore();

private:
    Camera& camera_;
    std::optional<WindowRequest> saved_;
};

}  // namespace pixora::cli
