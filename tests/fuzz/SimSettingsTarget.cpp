// The virtual camera's settings text (PIXORA_SIM, PixoraSim_Configure): any bytes parse
// without harm; text the parser accepts configures a bus to exactly what it names, and text
// it refuses changes nothing at all.
#include <cmath>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "simulator/SimSettings.h"
#include "simulator/VirtualCameraBus.h"

namespace pixora::fuzz {

namespace {

// What a camera's status says about its configuration (not its traffic).
struct Configured {
    bool present;
    double fps;
    SceneKind scene;
    uint32_t timeoutMs;
    uint32_t faultMask;
    bool operator==(const Configured& o) const {
        return present == o.present && fps == o.fps && scene == o.scene &&
               timeoutMs == o.timeoutMs && faultMask == o.faultMask;
    }
};

Configured Snapshot(const VirtualCameraBus& bus, int index) {
    const CameraStatus s = bus.Status(index).value();
    return {s.present, s.fps, s.scene, s.timeoutMs, s.faultMask};
}

}  // namespace

int FuzzSimSettings(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), data != nullptr ? size : 0);
    SimSettings parsed;
    std::string error;
    const bool accepted = ParseSimSettings(text, parsed, error);
    PIXORA_FUZZ_REQUIRE(accepted || !error.empty(), "a refusal without a reason");

    // A bus that is not the process's: nothing here touches the library's cameras.
    VirtualCameraBus bus("cameras=0,5 fps=7 scene=gradient");
    Configured before[8];
    for (int i = 0; i < 8; ++i)
        before[i] = Snapshot(bus, i);
    std::string configureError;
    const bool configured = bus.Configure(text, &configureError);
    PIXORA_FUZZ_REQUIRE(configured == accepted, "parse %d but configure %d",
                        static_cast<int>(accepted), static_cast<int>(configured));
    if (!accepted) {
        for (int i = 0; i < 8; ++i)
            PIXORA_FUZZ_REQUIRE(Snapshot(bus, i) == before[i], "refused text changed camera %d", i);
        return 0;
    }
    if (parsed.cameraMask)
        PIXORA_FUZZ_REQUIRE(bus.Cameras() == *parsed.cameraMask, "cameras %x, not %x",
                            bus.Cameras(), *parsed.cameraMask);
    for (int i = 0; i < 8; ++i) {
        const CameraStatus status = bus.Status(i).value();
        if (parsed.fps)
            PIXORA_FUZZ_REQUIRE(status.fps == *parsed.fps, "camera %d fps %f", i, status.fps);
        if (parsed.scene)
            PIXORA_FUZZ_REQUIRE(status.scene == *parsed.scene, "camera %d scene", i);
        PIXORA_FUZZ_REQUIRE(std::isfinite(status.fps) && status.fps >= 0 && status.fps <= kMaxFps,
                            "camera %d fps %f", i, status.fps);
        PIXORA_FUZZ_REQUIRE(status.timeoutMs >= 1 && status.timeoutMs <= kMaxTimeoutMs,
                            "camera %d time-out %u", i, status.timeoutMs);
    }
    // The same text again is accepted again (settings apply on top of the current ones).
    PIXORA_FUZZ_REQUIRE(bus.Configure(text), "accepted text refused the second time");
    return 0;
}

}  // namespace pixora::fuzz
