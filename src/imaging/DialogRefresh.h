// The processing chain's calls into open settings dialogs. The session implements it; each
// call does nothing while the dialog concerned is not open.
#pragma once

#include <cstdint>

namespace pixora {

class DialogRefresh {
public:
    // Edit controls of the analog gain dialog that the automatic iris writes.
    static constexpr int32_t kGainEdit = 1015;
    static constexpr int32_t kExposureEdit = 1027;

    virtual ~DialogRefresh() = default;

    // The image-settings dialog reloads its controls from the session (after a white-balance
    // or gray auto-gain measurement).
    virtual void RefreshImageSettings() = 0;
    // The analog gain dialog shows a new value (signed) in one of its edit controls.
    virtual void ShowAnalogValue(int32_t controlId, int32_t value) = 0;
};

// For a session without dialogs.
class NoDialogRefresh final : public DialogRefresh {
public:
    void RefreshImageSettings() override {}
    void ShowAnalogValue(int32_t, int32_t) override {}
};

}  // namespace pixora
