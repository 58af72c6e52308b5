#include "dialogs/host/HeadlessDialogHost.h"

#include <utility>

namespace pixora {

void HeadlessDialogHost::SetScript(Script script) {
    std::lock_guard<std::mutex> lock(mutex_);
    script_ = std::move(script);
}

int32_t HeadlessDialogHost::RunModal(const DialogTemplate& dialog, DialogProcedure& procedure,
                                     PIXORA_HWND owner) {
    Script script;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        script = script_;
    }
    lastResourceId_.store(dialog.resourceId);
    lastOwner_.store(owner);
    dialogsRun_.fetch_add(1);

    HeadlessDialog window(dialog);
    window.Start(procedure);
    if (!window.Ended() && script)
        script(window);
    window.RunPosted();
    if (!window.Ended())
        window.Close();
    if (!window.Ended())
        window.MarkEnded(kIdCancel);  // a procedure that ignores the close box
    window.CloseMailbox();
    return window.EndCode();
}

}  // namespace pixora
