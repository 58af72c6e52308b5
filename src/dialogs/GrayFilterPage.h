// The gray filter page (monochrome modes): gray mode, the gains and offsets of the four
// Bayer sites, the Bayer mode and the automatic gray gain. Every change goes straight into
// the session's settings.
#pragma once

#include <cstdint>
#include <functional>

#include "dialogs/FilterEnableFlags.h"
#include "dialogs/host/DialogWindow.h"
#include "settings/SettingsRecords.h"

namespace pixora {

class GrayFilterPage final : public DialogProcedure {
public:
    // `bayerModeChanged` runs after the user picked a Bayer mode here, so that the other
    // page showing the Bayer mode can follow.
    GrayFilterPage(FilterSettings& filter, const FilterEnableFlags& flags,
                   std::function<void()> bayerModeChanged = {});

    void OnInitDialog(DialogWindow& page) override;
    void OnCommand(DialogWindow& page, int32_t id, int32_t notifyCode) override;
    void OnHScroll(DialogWindow& page, int32_t id) override;

    // The eight sliders and edits from the settings (the radio buttons stay).
    void Refresh(DialogWindow& page);
    // The eight edits into the settings (OK).
    void Read(DialogWindow& page);

private:
    FilterSettings& filter_;
    FilterEnableFlags flags_;  // kept like the image page's; every control here is usable
    std::function<void()> bayerModeChanged_;
    bool ready_ = false;
};

}  // namespace pixora
