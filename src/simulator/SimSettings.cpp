#include "simulator/SimSettings.h"

#include <charconv>
#include <cmath>

#include "driver/WireProtocol.h"

namespace pixora {

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ';';
}

template <typename Int>
bool ParseInt(std::string_view text, Int& value) {
    if (text.empty()) {
        return false;
    }
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool ParseDouble(std::string_view text, double& value) {
    if (text.empty()) {
        return false;
    }
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

bool ParseCameras(std::string_view text, uint32_t& mask) {
    mask = 0;
    if (text.empty() || text == "none") {
        return true;
    }
    while (!text.empty()) {
        const size_t comma = text.find(',');
        int index = -1;
        if (!ParseInt(text.substr(0, comma), index) || index < 0 || index >= wire::kCameraSlots) {
            return false;
        }
        mask |= 1u << index;
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
        if (text.empty()) {
            return false;
        }
    }
    return true;
}

bool ParseFault(std::string_view text, FaultSetting& fault) {
    const size_t first = text.find(':');
    if (first == std::string_view::npos || !ParseFaultName(text.substr(0, first), fault.kind)) {
        return false;
    }
    std::string_view rest = text.substr(first + 1);
    const size_t second = rest.find(':');
    if (!ParseInt(rest.substr(0, second), fault.index) || fault.index < 0 ||
        fault.index >= wire::kCameraSlots) {
        return false;
    }
    fault.argument = 0;
    if (second != std::string_view::npos && !ParseInt(rest.substr(second + 1), fault.argument)) {
        return false;
    }
    // Checked the same way the camera checks it, so a bad value fails here, not later.
    FaultPlan probe;
    return probe.Set(fault.kind, fault.argument);
}

bool ParseItem(std::string_view item, SimSettings& settings) {
    const size_t equals = item.find('=');
    if (equals == std::string_view::npos) {
        return false;
    }
    const std::string_view key = item.substr(0, equals);
    const std::string_view value = item.substr(equals + 1);
    if (key == "cameras") {
        uint32_t mask = 0;
        if (!ParseCameras(value, mask)) {
            return false;
        }
        settings.cameraMask = mask;
    } else if (key == "fps") {
        double fps = 0;
        if (!ParseDouble(value, fps) || fps < 0 || fps > kMaxFps) {
            return false;
        }
        settings.fps = fps;
    } else if (key == "scene") {
        SceneKind scene = SceneKind::Bars;
        if (!ParseSceneName(value, scene)) {
            return false;
        }
        settings.scene = scene;
    } else if (key == "timeout") {
        uint32_t ms = 0;
        if (!ParseInt(value, ms) || ms == 0 || ms > kMaxTimeoutMs) {
            return false;
        }
        settings.timeoutMs = ms;
    } else if (key == "maxwait") {
        uint32_t ms = 0;
        if (!ParseInt(value, ms) || ms > kMaxTimeoutMs) {
            return false;
        }
        settings.maxWaitMs = ms;
    } else if (key == "fault") {
        FaultSetting fault;
        if (!ParseFault(value, fault)) {
            return false;
        }
        settings.faults.push_back(fault);
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool ParseSimSettings(std::string_view text, SimSettings& settings, std::string& error) {
    SimSettings parsed;
    size_t pos = 0;
    while (pos < text.size()) {
        if (IsSeparator(text[pos])) {
            ++pos;
            continue;
        }
        size_t end = pos;
        while (end < text.size() && !IsSeparator(text[end])) {
            ++end;
        }
        const std::string_view item = text.substr(pos, end - pos);
        if (!ParseItem(item, parsed)) {
            error = "bad setting '" + std::string(item) + "'";
            return false;
        }
        pos = end;
    }
    settings = std::move(parsed);
    error.clear();
    return true;
}

}  // namespace pixora
