#include "dialogs/host/win32/Win32DialogHost.h"

#include <windows.h>

#include <commctrl.h>

#include "dialogs/host/win32/Win32DialogTemplate.h"
#include "dialogs/host/win32/Win32DialogWindow.h"

namespace pixora {
namespace {

// The module this code is in (the library's DLL, or the program it is linked into).
HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module != nullptr ? module : GetModuleHandleA(nullptr);
}

constexpr UINT kJapaneseCodePage = 932;

void LoadCommonControls() {
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&classes);
}

}  // namespace

Win32DialogHost& Win32DialogHost::Instance() {
    static Win32DialogHost host;
    return host;
}

int32_t Win32DialogHost::RunModal(const DialogTemplate& dialog, DialogProcedure& procedure,
                                  PIXORA_HWND owner) {
    LoadCommonControls();
    HWND ownerWindow = static_cast<HWND>(owner);
    if (ownerWindow != nullptr && !IsWindow(ownerWindow)) {
        ownerWindow = nullptr;  // names no window: the dialog has no owner
    }
    const std::vector<uint32_t> bytes = BuildDialogTemplateEx(dialog);
    Win32DialogRun run;
    run.instance = ThisModule();
    run.mailbox = std::make_shared<DialogMailbox>([&run] { run.Wake(); });
    Win32DialogWindow top(dialog, run, procedure, false);
    // Japanese texts need the Japanese code page in ANSI windows; elsewhere the dialog is
    // made with the wide functions so that its texts survive.
    run.wide = dialog.language == DialogLanguage::Japanese && GetACP() != kJapaneseCodePage;
    const LPARAM param = reinterpret_cast<LPARAM>(&top);
    const INT_PTR result =
        run.wide
            ? DialogBoxIndirectParamW(run.instance, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                                      ownerWindow, &Win32DialogWindow::DialogProc, param)
            : DialogBoxIndirectParamA(run.instance, reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()),
                                      ownerWindow, &Win32DialogWindow::DialogProc, param);
    // Closed when the window went; again here for a dialog that never came up.
    run.mailbox->Close();
    if (run.ended) {
        return run.endCode;
    }
    return result == -1 ? kDialogHostFailed : static_cast<int32_t>(result);
}

}  // namespace pixora
