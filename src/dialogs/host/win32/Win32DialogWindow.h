// A dialog or child page made by the system's dialog manager from an in-memory template,
// with the system's own controls, driven through the DialogWindow interface. The system's
// controls keep their state and apply their rules themselves (ModelDialogWindow writes the
// same rules down for the hosts that draw their own); this window shares the interface and
// the run's state with them. Everything here runs on the dialog's thread, inside its modal
// loop.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/host/DialogRunState.h"
#include "dialogs/host/DialogWindow.h"

namespace pixora {

class Win32DialogWindow;

// The posted message that makes the dialog's loop run its mailbox.
inline constexpr UINT kDialogMailboxMessage = WM_APP + 0x2A1;

// What all windows of one modal run share.
struct Win32DialogRun : DialogRunState {
    HINSTANCE instance = nullptr;
    // Made with the wide dialog functions (see Win32DialogHost.h).
    bool wide = false;
    // The dialog window; set while it exists. Read by posting threads.
    std::atomic<HWND> top{nullptr};
    // A mailbox message is on its way: further posts need none of their own.
    std::atomic<bool> wakePending{false};
    std::vector<std::unique_ptr<Win32DialogWindow>> pages;

    // Posting thread: makes the loop look at the mailbox, once for any number of posts.
    void Wake();
};

class Win32DialogWindow final : public DialogWindow {
public:
    Win32DialogWindow(const DialogTemplate& dialog, Win32DialogRun& run, DialogProcedure& procedure,
                      bool page);
    Win32DialogWindow(const Win32DialogWindow&) = delete;
    Win32DialogWindow& operator=(const Win32DialogWindow&) = delete;

    // The dialog procedure of every window of the host; the window object comes with
    // WM_INITDIALOG.
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND Handle() const { return window_; }

    void SetItemText(int32_t id, const std::string& text) override;
    std::string GetItemText(int32_t id) override;
    void CheckItem(int32_t id, bool checked) override;
    bool IsItemChecked(int32_t id) override;
    void EnableItem(int32_t id, bool enable) override;
    bool IsItemEnabled(int32_t id) override;
    void TrackbarSetRangeMax(int32_t id, int32_t max) override;
    void TrackbarSetRangeMin(int32_t id, int32_t min) override;
    void TrackbarSetPos(int32_t id, int32_t pos) override;
    void TrackbarSetTicFreq(int32_t id, int32_t frequency) override;
    int32_t TrackbarGetPos(int32_t id) override;
    void UpDownSetRange32(int32_t id, int32_t min, int32_t max) override;
    void UpDownSetPos(int32_t id, int16_t pos) override;
    void UpDownSetBuddy(int32_t id, int32_t buddyId) override;
    int32_t ComboInsertString(int32_t id, int32_t index, const std::string& text) override;
    void ComboDeleteString(int32_t id, int32_t index) override;
    int32_t ComboSetCurSel(int32_t id, int32_t index) override;
    int32_t ComboGetCurSel(int32_t id) override;
    int32_t TabInsertItem(int32_t id, int32_t index, const std::string& text) override;
    int32_t TabGetCurSel(int32_t id) override;
    DialogWindow* CreateChildPage(int32_t parentId, const DialogTemplate& page,
                                  DialogProcedure& procedure) override;
    void MoveWindow(int32_t x, int32_t y) override;
    void ShowWindow(bool show) override;
    void EndDialog(int32_t code) override;
    std::shared_ptr<DialogMailbox> Mailbox() override;

private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommandMessage(WPARAM wParam, LPARAM lParam);
    // The control `id` when the template has it with class `cls`, else null.
    HWND Item(int32_t id, DialogControlClass cls) const;
    HWND AnyItem(int32_t id) const;

    const DialogTemplate& template_;
    Win32DialogRun& run_;
    DialogProcedure& procedure_;
    const bool page_;
    HWND window_ = nullptr;
};

}  // namespace pixora
