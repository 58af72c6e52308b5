#include "simulator/FaultPlan.h"

#include <algorithm>

namespace pixora {

namespace {

struct FaultNameEntry {
    FaultKind kind;
    const char* name;
};

constexpr FaultNameEntry kFaultNames[] = {
    {FaultKind::None, "none"},
    {FaultKind::Absent, "absent"},
    {FaultKind::OpenFailure, "open"},
    {FaultKind::CommandFailure, "command"},
    {FaultKind::CommandNumber, "command-number"},
    {FaultKind::ShortReply, "short-reply"},
    {FaultKind::ShortFrame, "short-frame"},
    {FaultKind::Stall, "stall"},
    {FaultKind::Vanish, "vanish"},
};

}  // namespace

bool ParseFaultName(std::string_view name, FaultKind& kind) {
    for (const FaultNameEntry& entry : kFaultNames) {
        if (name == entry.name) {
            kind = entry.kind;
            return true;
        }
    }
    return false;
}

const char* FaultName(FaultKind kind) {
    for (const FaultNameEntry& entry : kFaultNames) {
        if (entry.kind == kind) {
            return entry.name;
        }
    }
    return "none";
}

bool FaultKindFromInt(int32_t value, FaultKind& kind) {
    if (value < 0 || value >= kFaultKindCount) {
        return false;
    }
    kind = static_cast<FaultKind>(value);
    return true;
}

bool FaultPlan::Set(FaultKind kind, int32_t argument) {
    if (kind == FaultKind::None) {
        Clear();
        return true;
    }
    Entry& entry = At(kind);
    if (argument < 0) {
        entry = Entry{};
        return true;
    }
    if (kind == FaultKind::CommandNumber && argument > 255) {
        return false;
    }
    entry.active = true;
    entry.argument = argument;
    entry.remaining = argument;
    return true;
}

void FaultPlan::Clear() {
    entries_.fill(Entry{});
}

bool FaultPlan::Active(FaultKind kind) const {
    return kind != FaultKind::None && At(kind).active;
}

int32_t FaultPlan::Argument(FaultKind kind) const {
    return Active(kind) ? At(kind).argument : 0;
}

uint32_t FaultPlan::ActiveMask() const {
    uint32_t mask = 0;
    for (int k = 1; k < kFaultKindCount; ++k) {
        if (entries_[static_cast<size_t>(k)].active) {
            mask |= 1u << k;
        }
    }
    return mask;
}

namespace {

// A countdown entry with argument 0 fires every time; with N > 0 it fires on the Nth event
// and then switches off.
template <typename Entry>
bool TakeCountdown(Entry& entry) {
    if (!entry.active) {
        return false;
    }
    if (entry.argument == 0) {
        return true;
    }
    if (--entry.remaining > 0) {
        return false;
    }
    entry = Entry{};
    return true;
}

}  // namespace

bool FaultPlan::TakeOpenFailure() {
    return TakeCountdown(At(FaultKind::OpenFailure));
}

bool FaultPlan::TakeCommandFailure(uint8_t commandNumber) {
    const Entry& byNumber = At(FaultKind::CommandNumber);
    if (byNumber.active && byNumber.argument == commandNumber) {
        return true;
    }
    return TakeCountdown(At(FaultKind::CommandFailure));
}

bool FaultPlan::TakeVanishAfterFrame() {
    Entry& entry = At(FaultKind::Vanish);
    if (!entry.active || entry.remaining <= 0) {
        return false;
    }
    // The fault stays set once it fired: the camera stays gone until it is cleared.
    return --entry.remaining == 0;
}

bool FaultPlan::VanishNow() const {
    const Entry& entry = At(FaultKind::Vanish);
    return entry.active && entry.remaining <= 0;
}

std::optional<uint32_t> FaultPlan::ShortReplyBytes() const {
    if (!Active(FaultKind::ShortReply)) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(std::min(At(FaultKind::ShortReply).argument, 63));
}

std::optional<uint32_t> FaultPlan::ShortFrameBytes() const {
    if (!Active(FaultKind::ShortFrame)) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(At(FaultKind::ShortFrame).argument);
}

}  // namespace pixora
