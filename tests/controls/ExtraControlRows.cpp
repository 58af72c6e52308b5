// The control table of the test build: the camera's rows and one more, as a maintainer
// adds a setting. Linked into that build's library in place of settings/ControlRows.cpp.
#include <array>

#include "settings/ControlRows.h"

namespace pixora {

namespace {

constexpr const char* kLevelAliases[] = {"test-alias", nullptr};

// A picture setting of a kind every front end has to handle, kept in a spare entry of the
// picture record and stored in the "Filter" subkey.
constexpr ControlRow kTestLevel{
    .name = "test-level",
    .label = "Test level",
    .description = "a control only the test build has",
    .unit = "levels",
    .aliases = kLevelAliases,
    .minimum = -5,
    .maximum = 50,
    .neutral = 7,
    .entry = InPicture(FilterField::Spare10),
    .stored = StoredIn::Filter,
    .storedName = "TestLevel",
    .flags = kLive | kNeedsDevice,
};

constexpr std::size_t kCameraRows = std::size(kCameraControls);

constexpr std::array<ControlRow, kCameraRows + 1> WithTestLevel() {
    std::array<ControlRow, kCameraRows + 1> rows{};
    for (std::size_t i = 0; i < kCameraRows; ++i)
        rows[i] = kCameraControls[i];
    rows[kCameraRows] = kTestLevel;
    return rows;
}

constexpr std::array<ControlRow, kCameraRows + 1> kRows = WithTestLevel();

}  // namespace

std::span<const ControlRow> Controls() {
    return kRows;
}

}  // namespace pixora
