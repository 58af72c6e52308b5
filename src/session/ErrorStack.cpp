#include "session/ErrorStack.h"

#include <algorithm>

#include "platform/MessageWindow.h"

namespace pixora {

void ErrorStack::Record(ErrorCode code) {
    const auto value = static_cast<int32_t>(code);
    {
        std::lock_guard lock(mutex_);
        std::copy_backward(entries_.begin(), entries_.end() - 1, entries_.end());
        entries_[0] = value;
    }
    PostAppMessage(errorWindow_.load(), PIXORA_WM_ERROR, 0, value);
}

void ErrorStack::SetDetail(std::string detail) {
    std::lock_guard lock(mutex_);
    detail_ = std::move(detail);
    detailWhen_ = std::chrono::steady_clock::now();
}

std::string ErrorStack::NewerDetail(std::chrono::steady_clock::time_point when,
                                    const std::string& other) const {
    std::lock_guard lock(mutex_);
    return !other.empty() && when > detailWhen_ ? other : detail_;
}

std::string ErrorStack::Detail() const {
    std::lock_guard lock(mutex_);
    return detail_;
}

int32_t ErrorStack::Pop() {
    std::lock_guard lock(mutex_);
    const int32_t top = entries_[0];
    std::copy(entries_.begin() + 1, entries_.end(), entries_.begin());
    entries_[kDepth - 1] = 0;
    return top;
}

}  // namespace pixora
