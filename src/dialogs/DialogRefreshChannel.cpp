#include "dialogs/DialogRefreshChannel.h"

#include <utility>

namespace pixora {

DialogRefreshChannel::DialogRefreshChannel(std::shared_ptr<DialogMailbox> mailbox,
                                           std::function<void()> refresh,
                                           std::function<void(AnalogField, int32_t)> show)
    : mailbox_(std::move(mailbox)), refresh_(std::move(refresh)), show_(std::move(show)) {}

void DialogRefreshChannel::RefreshImageSettings() {
    if (!refresh_ || !mailbox_)
        return;
    if (refreshPending_.exchange(true))
        return;  // one already on its way reads the settings when it runs
    const bool posted = mailbox_->Post([this] {
        refreshPending_.store(false);
        refresh_();
    });
    if (!posted)
        refreshPending_.store(false);
}

void DialogRefreshChannel::ShowAnalogValue(AnalogField field, int32_t value) {
    const auto entry = static_cast<std::size_t>(field);
    if (entry < values_.size())
        PostValue(values_[entry], field, value);
}

void DialogRefreshChannel::PostValue(PendingValue& slot, AnalogField field, int32_t value) {
    if (!show_ || !mailbox_)
        return;
    slot.value.store(value);
    if (slot.pending.exchange(true))
        return;  // the pending one shows the newest value
    const bool posted = mailbox_->Post([this, &slot, field] {
        slot.pending.store(false);
        show_(field, slot.value.load());
    });
    if (!posted)
        slot.pending.store(false);
}

}  // namespace pixora
