// The refresh target an open dialog publishes to its session. The processing chain calls
// it on the streaming thread; each call is handed to the dialog's thread without waiting.
// Requests pile up to at most one pending refresh and one pending value per edit, however
// fast frames arrive; the newest value wins. Once the dialog has ended the calls do nothing.
#pragma once

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
                         std::function<void(int32_t controlId, int32_t value)> show);

    void RefreshImageSettings() override;
    void ShowAnalogValue(int32_t controlId, int32_t value) override;

private:
    struct PendingValue {
        std::atomic<bool> pending{false};
        std::atomic<int32_t> value{0};
    };
    void PostValue(PendingValue& slot, int32_t controlId, int32_t value);

    std::shared_ptr<DialogMailbox> mailbox_;
    std::function<void()> refresh_;
    std::function<void(int32_t, int32_t)> show_;
    std::atomic<bool> refreshPending_{false};
    PendingValue gain_;
    PendingValue exposure_;
};

}  // namespace pixora
