#include "device/DriverFailureNote.h"

namespace pixora {

void DriverFailureNote::Note(std::string text) {
    std::lock_guard lock(mutex_);
    last_.when = std::chrono::steady_clock::now();
    last_.text = std::move(text);
}

void DriverFailureNote::NoteTransfer(const char* what, const TransferResult& result,
                                     uint32_t expectedBytes) {
    std::string text = what;
    if (result.Ok()) {
        text += " came short: " + std::to_string(result.bytes) + " of " +
                std::to_string(expectedBytes) + " bytes";
    } else {
        text += std::string(" failed (") + TransferStatusName(result.status) + ")";
        if (!result.detail.empty()) {
            text += ": " + result.detail;
        }
    }
    Note(std::move(text));
}

DriverFailure DriverFailureNote::Last() const {
    std::lock_guard lock(mutex_);
    return last_;
}

}  // namespace pixora
