#include "dialogs/host/win32/Win32DialogWindow.h"

#include <commctrl.h>

#include "dialogs/host/win32/Win32DialogTemplate.h"
#include "dialogs/host/win32/Win32Text.h"

namespace pixora {

void Win32DialogRun::Wake() {
    if (wakePending.exchange(true)) {
        return;  // the message on its way runs this post's task too
    }
    HWND window = top.load();
    if (window == nullptr || !PostMessageA(window, kDialogMailboxMessage, 0, 0)) {
        // No loop to wake yet (or any more): the dialog looks at the mailbox once it is up.
        wakePending.store(false);
    }
}

Win32DialogWindow::Win32DialogWindow(const DialogTemplate& dialog, Win32DialogRun& run,
                                     DialogProcedure& procedure, bool page)
    : DialogWindow(dialog.language),
      template_(dialog),
      run_(run),
      procedure_(procedure),
      page_(page) {}

INT_PTR CALLBACK Win32DialogWindow::DialogProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Win32DialogWindow*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        self->window_ = window;
        if (!self->page_) {
            self->run_.top.store(window);
        }
        self->procedure_.OnInitDialog(*self);
        if (!self->page_ && self->run_.mailbox->HasPending()) {
            self->run_.Wake();  // posted while the dialog was being made
        }
        return FALSE;  // the focus stays where the system put it
    }
    auto* self = reinterpret_cast<Win32DialogWindow*>(GetWindowLongPtrA(window, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    return self->OnMessage(message, wParam, lParam);
}

INT_PTR Win32DialogWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (!run_.ended) {
                OnCommandMessage(wParam, lParam);
            }
            return TRUE;
        case WM_HSCROLL: {
            HWND control = reinterpret_cast<HWND>(lParam);
            const int32_t id = control != nullptr ? GetDlgCtrlID(control) : 0;
            if (!run_.ended && control != nullptr &&
                Item(id, DialogControlClass::Trackbar) == control) {
                procedure_.OnHScroll(*this, id);
            }
            return TRUE;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            // Of the controls' notifications only the user's tab change reaches the
            // procedure; up-down controls do their work themselves.
            if (!run_.ended && header != nullptr && header->code == TCN_SELCHANGE) {
                const int32_t id = static_cast<int32_t>(header->idFrom);
                if (Item(id, DialogControlClass::Tab) == header->hwndFrom) {
                    procedure_.OnNotify(*this, id, kTabSelChange);
                }
            }
            return TRUE;
        }
        case kDialogMailboxMessage:
            if (!page_) {
                run_.wakePending.store(false);
                run_.mailbox->RunPending();
            }
            return TRUE;
        case WM_DESTROY:
            if (!page_) {
                // Nothing posted from now on runs: the procedure is about to go.
                run_.mailbox->Close();
                run_.top.store(nullptr);
            }
            return FALSE;
        case WM_NCDESTROY:
            SetWindowLongPtrA(window_, DWLP_USER, 0);
            window_ = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

void Win32DialogWindow::OnCommandMessage(WPARAM wParam, LPARAM lParam) {
    const int32_t id = LOWORD(wParam);
    const int32_t code = HIWORD(wParam);
    if (lParam == 0) {
        // Enter and Escape (and the close box, which the system turns into Cancel).
        if (id == kIdOk || id == kIdCancel) {
            procedure_.OnCommand(*this, id, kButtonClicked);
        }
        return;
    }
    const DialogControlTemplate* control = template_.Find(id);
    if (control == nullptr || AnyItem(id) != reinterpret_cast<HWND>(lParam)) {
        return;
    }
    switch (control->cls) {
        case DialogControlClass::Button:
            if (code == BN_CLICKED) {
                procedure_.OnCommand(*this, id, kButtonClicked);
            }
            break;
        case DialogControlClass::Edit:
            if (code == EN_CHANGE) {
                procedure_.OnCommand(*this, id, kEditChange);
            }
            break;
        case DialogControlClass::ComboBox:
            if (code == CBN_SELCHANGE) {
                procedure_.OnCommand(*this, id, kComboSelChange);
            }
            break;
        default:
            break;
    }
}

HWND Win32DialogWindow::AnyItem(int32_t id) const {
    if (window_ == nullptr || id == kNoControlId || template_.Find(id) == nullptr) {
        return nullptr;
    }
    return GetDlgItem(window_, id);
}

HWND Win32DialogWindow::Item(int32_t id, DialogControlClass cls) const {
    const DialogControlTemplate* control = template_.Find(id);
    if (control == nullptr || control->cls != cls) {
        return nullptr;
    }
    return AnyItem(id);
}

// --- DialogWindow ----------------------------------------------------------------------

void Win32DialogWindow::SetItemText(int32_t id, const std::string& text) {
    // An edit reports the change itself (EN_CHANGE), before this returns.
    if (HWND item = AnyItem(id)) {
        SetWindowTextW(item, Utf8ToWide(text).c_str());
    }
}

std::string Win32DialogWindow::GetItemText(int32_t id) {
    HWND item = AnyItem(id);
    if (item == nullptr) {
        return std::string();
    }
    const int length = GetWindowTextLengthW(item);
    if (length <= 0) {
        return std::string();
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(item, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return WideToUtf8(text);
}

void Win32DialogWindow::CheckItem(int32_t id, bool checked) {
    if (HWND item = Item(id, DialogControlClass::Button)) {
        SendMessageA(item, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

bool Win32DialogWindow::IsItemChecked(int32_t id) {
    HWND item = Item(id, DialogControlClass::Button);
    return item != nullptr && SendMessageA(item, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32DialogWindow::EnableItem(int32_t id, bool enable) {
    if (HWND item = AnyItem(id)) {
        EnableWindow(item, enable ? TRUE : FALSE);
    }
}

bool Win32DialogWindow::IsItemEnabled(int32_t id) {
    HWND item = AnyItem(id);
    return item != nullptr && IsWindowEnabled(item) != 0;
}

void Win32DialogWindow::TrackbarSetRangeMax(int32_t id, int32_t max) {
    if (HWND item = Item(id, DialogControlClass::Trackbar)) {
        SendMessageA(item, TBM_SETRANGEMAX, TRUE, max);
    }
}

void Win32DialogWindow::TrackbarSetRangeMin(int32_t id, int32_t min) {
    if (HWND item = Item(id, DialogControlClass::Trackbar)) {
        SendMessageA(item, TBM_SETRANGEMIN, TRUE, min);
    }
}

void Win32DialogWindow::TrackbarSetPos(int32_t id, int32_t pos) {
    if (HWND item = Item(id, DialogControlClass::Trackbar)) {
        SendMessageA(item, TBM_SETPOS, TRUE, pos);
    }
}

void Win32DialogWindow::TrackbarSetTicFreq(int32_t id, int32_t frequency) {
    if (HWND item = Item(id, DialogControlClass::Trackbar)) {
        SendMessageA(item, TBM_SETTICFREQ, static_cast<WPARAM>(frequency), 0);
    }
}

int32_t Win32DialogWindow::TrackbarGetPos(int32_t id) {
    HWND item = Item(id, DialogControlClass::Trackbar);
    return item != nullptr ? static_cast<int32_t>(SendMessageA(item, TBM_GETPOS, 0, 0)) : 0;
}

void Win32DialogWindow::UpDownSetRange32(int32_t id, int32_t min, int32_t max) {
    if (HWND item = Item(id, DialogControlClass::UpDown)) {
        SendMessageA(item, UDM_SETRANGE32, static_cast<WPARAM>(min), max);
    }
}

void Win32DialogWindow::UpDownSetPos(int32_t id, int16_t pos) {
    if (HWND item = Item(id, DialogControlClass::UpDown)) {
        SendMessageA(item, UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(pos), 0));
    }
}

void Win32DialogWindow::UpDownSetBuddy(int32_t id, int32_t buddyId) {
    HWND item = Item(id, DialogControlClass::UpDown);
    HWND buddy = AnyItem(buddyId);
    if (item != nullptr && buddy != nullptr) {
        SendMessageA(item, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
    }
}

int32_t Win32DialogWindow::ComboInsertString(int32_t id, int32_t index, const std::string& text) {
    HWND item = Item(id, DialogControlClass::ComboBox);
    if (item == nullptr) {
        return -1;
    }
    const std::wstring wide = Utf8ToWide(text);
    const LRESULT result = SendMessageW(item, CB_INSERTSTRING, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(wide.c_str()));
    return result < 0 ? -1 : static_cast<int32_t>(result);
}

void Win32DialogWindow::ComboDeleteString(int32_t id, int32_t index) {
    if (HWND item = Item(id, DialogControlClass::ComboBox)) {
        SendMessageA(item, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
    }
}

int32_t Win32DialogWindow::ComboSetCurSel(int32_t id, int32_t index) {
    HWND item = Item(id, DialogControlClass::ComboBox);
    if (item == nullptr) {
        return -1;
    }
    const LRESULT result = SendMessageA(item, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    return result < 0 ? -1 : static_cast<int32_t>(result);
}

int32_t Win32DialogWindow::ComboGetCurSel(int32_t id) {
    HWND item = Item(id, DialogControlClass::ComboBox);
    if (item == nullptr) {
        return -1;
    }
    const LRESULT result = SendMessageA(item, CB_GETCURSEL, 0, 0);
    return result < 0 ? -1 : static_cast<int32_t>(result);
}

int32_t Win32DialogWindow::TabInsertItem(int32_t id, int32_t index, const std::string& text) {
    HWND item = Item(id, DialogControlClass::Tab);
    if (item == nullptr || index < 0) {
        return -1;
    }
    std::wstring wide = Utf8ToWide(text);
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = wide.data();
    const LRESULT result = SendMessageW(item, TCM_INSERTITEMW, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(&tab));
    return result < 0 ? -1 : static_cast<int32_t>(result);
}

int32_t Win32DialogWindow::TabGetCurSel(int32_t id) {
    HWND item = Item(id, DialogControlClass::Tab);
    return item != nullptr ? static_cast<int32_t>(SendMessageA(item, TCM_GETCURSEL, 0, 0)) : -1;
}

DialogWindow* Win32DialogWindow::CreateChildPage(int32_t parentId, const DialogTemplate& page,
                                                 DialogProcedure& procedure) {
    HWND parent = AnyItem(parentId);
    if (parent == nullptr) {
        return nullptr;
    }
    const std::vector<uint32_t> bytes = BuildDialogTemplateEx(page);
    run_.pages.push_back(std::make_unique<Win32DialogWindow>(page, run_, procedure, true));
    Win32DialogWindow* window = run_.pages.back().get();
    // The page's procedure is initialised inside this call (WM_INITDIALOG).
    const LPARAM param = reinterpret_cast<LPARAM>(window);
    HWND made = run_.wide
                    ? CreateDialogIndirectParamW(run_.instance,
                                                 reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                                                 parent, &Win32DialogWindow::DialogProc, param)
                    : CreateDialogIndirectParamA(run_.instance,
                                                 reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()),
                                                 parent, &Win32DialogWindow::DialogProc, param);
    if (made == nullptr) {
        run_.pages.pop_back();
        return nullptr;
    }
    return window;
}

void Win32DialogWindow::MoveWindow(int32_t x, int32_t y) {
    if (page_ && window_ != nullptr) {
        SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Win32DialogWindow::ShowWindow(bool show) {
    if (page_ && window_ != nullptr) {
        ::ShowWindow(window_, show ? SW_SHOW : SW_HIDE);
    }
}

void Win32DialogWindow::EndDialog(int32_t code) {
    if (!run_.End(code)) {
        return;
    }
    HWND top = run_.top.load();
    if (top != nullptr) {
        ::EndDialog(top, code);
    }
}

std::shared_ptr<DialogMailbox> Win32DialogWindow::Mailbox() {
    return run_.mailbox;
}

}  // namespace pixora
