// The gray filter page (monochrome modes): gray mode, the gains and offsets of the four
// Bayer sites, the Bayer mode and the automatic gray gain. Every change goes straight into
// the session's settings. Its slider rows and their ranges come from the control table.
#pragma once

#include <cstdint>
#include <functional>

#include <vector>

#include "dialogs/SliderRow.h"
#include "dialogs/host/DialogWindow.h"
#include "settings/ControlTable.h"
#include "settings/SettingsRecords.h"

namespace pixora {

class GrayFilterPage final : public DialogProcedure {
public:
    // `bayerModeChanged` runs after the user picked a Bayer mode here, so that the other
    // page showing the Bayer mode can follow.
    explicit GrayFilterPage(FilterSettings& filter, std::function<void()> bayerModeChanged = {});

    // Whether the image filter dialog has this page in the colour mode: when its rows are
    // usable there (every control of the page is usable whenever it is shown).
    static bool ShownIn(int32_t colorModeIndex);

    void OnInitDialog(DialogWindow& page) override;
    void OnCommand(DialogWindow& page, int32_t id, int32_t notifyCode) override;
    void OnHScroll(DialogWindow& page, int32_t id) override;

    // The eight sliders and edits from the settings (the radio buttons stay).
    void Refresh(DialogWindow& page);
    // The eight edits into the settings (OK).
    void Read(DialogWindow& page);

private:
    struct Row {
        FilterField entry;
        SliderRow ids;
        SliderRange range;
    };

    // The page's rows, the same for every page: built once from the control table.
    static const std::vector<Row>& Rows();

    FilterSettings& filter_;
    std::function<void()> bayerModeChanged_;
    bool ready_ = false;
};

}  // namespace pixora
