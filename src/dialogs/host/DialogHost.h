// A dialog host shows dialogs from templates and runs their procedures.
#pragma once

#include <cstdint>

#include "PixoraSdk_530TZ.h"
#include "dialogs/host/DialogTemplate.h"
#include "dialogs/host/DialogWindow.h"

namespace pixora {

// The end code of a dialog its host could not show (no display after all, say).
inline constexpr int32_t kDialogHostFailed = -1;

class DialogHost {
public:
    virtual ~DialogHost() = default;
    // Shows `dialog` and runs its loop on the calling thread until the procedure ends it;
    // the end code, or kDialogHostFailed when the dialog could not be shown. `owner` is the
    // application's window the dialog belongs to (may be null or name no window).
    virtual int32_t RunModal(const DialogTemplate& dialog, DialogProcedure& procedure,
                             PIXORA_HWND owner) = 0;
};

}  // namespace pixora
