// The text form of the virtual camera's configuration, as given in PIXORA_SIM or to
// PixoraSim_Configure: "cameras=0,3 fps=30 scene=bars timeout=3000 fault=stall:1".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "simulator/FaultPlan.h"
#include "simulator/ScenePattern.h"

namespace pixora {

struct FaultSetting {
    int index = 0;
    FaultKind kind = FaultKind::None;
    int32_t argument = 0;
};

// Only what the text names; everything else keeps its current value.
struct SimSettings {
    std::optional<uint32_t> cameraMask;  // bit N: a camera at index N
    std::optional<double> fps;           // 0: frames at once
    std::optional<SceneKind> scene;
    std::optional<uint32_t> timeoutMs;  // the driver time-out until the host sets one
    std::optional<uint32_t> maxWaitMs;  // upper bound of every time-out; 0: none
    std::vector<FaultSetting> faults;   // in the order given
};

inline constexpr double kMaxFps = 10000.0;
inline constexpr uint32_t kMaxTimeoutMs = 3600000;

// Items are key=value pairs separated by blanks, tabs or ';':
//   cameras=0,3 | cameras=none     fps=30 | fps=7.5 | fps=0     scene=bars|gradient|moving
//   timeout=MS (1..3600000)        maxwait=MS (0..3600000)
//   fault=NAME:INDEX[:ARGUMENT]    NAME one of none, absent, open, command, command-number,
//                                  short-reply, short-frame, stall, vanish; may repeat
// False, with a message naming the first bad item, when anything does not parse.
bool ParseSimSettings(std::string_view text, SimSettings& settings, std::string& error);

}  // namespace pixora
