// What all windows of one modal run share, whatever draws them: the mailbox other threads
// post to, and how the run ended. Lives on the dialog's thread (the mailbox aside).
#pragma once

#include <cstdint>
#include <memory>

#include "dialogs/host/DialogMailbox.h"

namespace pixora {

struct DialogRunState {
    std::shared_ptr<DialogMailbox> mailbox;
    bool ended = false;
    int32_t endCode = 0;

    // The first end of a run counts; false for any later one, which changes nothing.
    bool End(int32_t code) {
        if (ended)
            return false;
        ended = true;
        endCode = code;
        return true;
    }
};

}  // namespace pixora
