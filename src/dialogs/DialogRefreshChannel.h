// The refresh target an open dialog publishes to its session. The processing chain calls
// it on the streaming thread; each call is handed to the dialog's thread without waiting.
// Requests pile up to at most one pending refresh and one pending value per analog entry,
// however fast frames arrive; the newest value wins. Once the dialog has ended the calls do
// nothing.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "dialogs/host/DialogMailbox.h"
#include "imaging/DialogRefresh.h"

namespace pixora {

class DialogRefreshChannel final : public DialogRefresh {
public:
    // `refresh` and `show` run on the dialog's thread; either may be empty (the request is
    // then ignored). The caller keeps the channel alive while the dialog runs.
    DialogRefreshChannel(std::shared_ptr<DialogMailbox> mailbox, std::function<void()> refresh,
                         std::function<void(AnalogField field, int32_t value)> show);

    void RefreshImageSettings() override;
    void ShowAnalogValue(AnalogField field, int32_t value) override;

private:
    struct PendingValue {
        std::atomic<bool> pending{false};
        std::atomic<int32_t> value{0};
    };
    void PostValue(PendingValue& slot, AnalogField field, int32_t value);

    std::shared_ptr<DialogMailbox> mailbox_;
    std::function<void()> refresh_;
    std::function<void(AnalogField, int32_t)> show_;
    std::atomic<bool> refreshPending_{false};
    std::array<PendingValue, AnalogSettings::kSize> values_;
};

}  // namespace pixora
