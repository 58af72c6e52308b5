// The processing chain's calls into open settings dialogs. The session implements it; each
// call does nothing while the dialog concerned is not open.
#pragma once

#include <cstdint>

#include "settings/SettingsRecords.h"

namespace pixora {

class DialogRefresh {
public:
    virtual ~DialogRefresh() = default;

    // The image-settings dialog reloads its controls from the session (after a white-balance
    // or gray auto-gain measurement).
    virtual void RefreshImageSettings() = 0;
    // The automatic iris changed an analog value (the global gain or the exposure): the
    // analog gain dialog shows it.
    virtual void ShowAnalogValue(AnalogField field, int32_t value) = 0;
};

// For a session without dialogs.
class NoDialogRefresh final : public DialogRefresh {
public:
    void RefreshImageSettings() override {}
    void ShowAnalogValue(AnalogField, int32_t) override {}
};

}  // namespace pixora
