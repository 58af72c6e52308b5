// The dialog host on Windows: the system's dialog manager runs each dialog from an
// in-memory extended template (DialogBoxIndirectParamA; pages with
// CreateDialogIndirectParamA) with the system's common controls. The modal loop runs on the
// calling thread; other threads reach the dialog only through its mailbox, whose posts wake
// the loop with one posted message however many arrive before it runs.
//
// Texts: the templates carry UTF-16 texts; the ANSI dialog manager turns them into the
// system's code page for its ANSI windows, which holds the Japanese texts only when it is
// the Japanese one (932, as on every system whose default language is Japanese). A Japanese
// template under any other code page is therefore run with the wide functions
// (DialogBoxIndirectParamW, CreateDialogIndirectParamW). Texts set later go through the wide
// window functions either way.
#pragma once

#include "dialogs/host/DialogHost.h"

namespace pixora {

class Win32DialogHost final : public DialogHost {
public:
    // The process's host.
    static Win32DialogHost& Instance();

    int32_t RunModal(const DialogTemplate& dialog, DialogProcedure& procedure,
                     PIXORA_HWND owner) override;

private:
    Win32DialogHost() = default;
};

}  // namespace pixora
