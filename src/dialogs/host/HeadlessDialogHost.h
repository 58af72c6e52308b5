// The dialog host for tests: dialogs keep their controls in memory, and a script plays the
// user. Install it with SetDialogTestHost (dialogs/host/DialogHosts.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "dialogs/host/DialogHost.h"
#include "dialogs/host/HeadlessWindow.h"

namespace pixora {

class HeadlessDialogHost final : public DialogHost {
public:
    // Runs on the dialog's thread once the dialog (with its pages) is initialised. When it
    // returns without ending the dialog, the user closes the window (a Cancel).
    using Script = std::function<void(HeadlessDialog&)>;

    HeadlessDialogHost() = default;
    explicit HeadlessDialogHost(Script script) : script_(std::move(script)) {}

    // For every dialog opened from now on.
    void SetScript(Script script);

    int32_t RunModal(const DialogTemplate& dialog, DialogProcedure& procedure,
                     PIXORA_HWND owner) override;

    int32_t DialogsRun() const { return dialogsRun_.load(); }
    int32_t LastResourceId() const { return lastResourceId_.load(); }
    PIXORA_HWND LastOwner() const { return lastOwner_.load(); }

private:
    std::mutex mutex_;
    Script script_;
    std::atomic<int32_t> dialogsRun_{0};
    std::atomic<int32_t> lastResourceId_{0};
    std::atomic<PIXORA_HWND> lastOwner_{nullptr};
};

}  // namespace pixora
