// The faults a virtual camera is told to show, with their arguments and countdowns. Not
// locked itself: the camera that owns it guards it with its own lock.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace pixora {

// Values match the PIXORA_SIM_FAULT_* constants of the public header.
enum class FaultKind {
    None = 0,            // clears every fault
    Absent = 1,          // the camera is unplugged while set
    OpenFailure = 2,     // 0: every open fails; N > 0: the Nth open from now fails, once
    CommandFailure = 3,  // 0: every command block fails; N > 0: the Nth block from now, once
    CommandNumber = 4,   // every block with command number N fails
    ShortReply = 5,      // reply blocks return N bytes (0..63) instead of 64
    ShortFrame = 6,      // frames deliver N bytes (always fewer than requested)
    Stall = 7,           // frame reads wait for the driver time-out and fail
    Vanish = 8,          // N > 0: the camera is gone after N more frames; 0: at once
};

inline constexpr int kFaultKindCount = 9;

bool ParseFaultName(std::string_view name, FaultKind& kind);
const char* FaultName(FaultKind kind);
bool FaultKindFromInt(int32_t value, FaultKind& kind);

class FaultPlan {
public:
    // Switches `kind` on with `argument`, or off when argument < 0; None clears every
    // fault. False for an argument the fault cannot take (nothing changes then).
    bool Set(FaultKind kind, int32_t argument);
    void Clear();

    bool Active(FaultKind kind) const;
    int32_t Argument(FaultKind kind) const;
    // Bit (1 << kind) for every active fault.
    uint32_t ActiveMask() const;

    // Each call is one event of its kind; true when that event must fail. Countdown faults
    // switch themselves off after firing.
    bool TakeOpenFailure();
    bool TakeCommandFailure(uint8_t commandNumber);
    // Counts one whole frame; true when the camera must vanish now.
    bool TakeVanishAfterFrame();

    std::optional<uint32_t> ShortReplyBytes() const;
    std::optional<uint32_t> ShortFrameBytes() const;
    bool Stalled() const { return Active(FaultKind::Stall); }
    bool Absent() const { return Active(FaultKind::Absent); }
    // Vanish set with 0: the camera goes at once.
    bool VanishNow() const;

private:
    struct Entry {
        bool active = false;
        int32_t argument = 0;
        int32_t remaining = 0;  // countdown faults
    };
    Entry& At(FaultKind kind) { return entries_[static_cast<size_t>(kind)]; }
    const Entry& At(FaultKind kind) const { return entries_[static_cast<size_t>(kind)]; }

    std::array<Entry, kFaultKindCount> entries_{};
};

}  // namespace pixora
