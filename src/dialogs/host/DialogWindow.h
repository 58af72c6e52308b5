// The control interface that dialog procedures are written against, modelled on the
// system's dialog functions and control messages, and the procedure interface that hosts
// call. A host implements DialogWindow for each dialog and child page it creates.
//
// Behaviour every host keeps, because the procedures rely on it:
// - Setting an edit's text (SetItemText, SetItemInt) reports the change to the window's
//   procedure at once, as a command with kEditChange, before the setter returns.
// - Programmatic changes of lists, check boxes and trackbars report nothing.
// - Trackbar positions stay within the range; a position set outside shows the nearest end.
// - A click on an up-down control steps its position within its range and, with a buddy and
//   the buddy-integer style, writes the position into the buddy (which then reports its
//   text change). The procedures see no other message of up-down controls.
// - The close box and Escape are a click of kIdCancel.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "dialogs/host/DialogMailbox.h"
#include "dialogs/host/DialogTemplate.h"

namespace pixora {

// Notification codes carried by commands and notifications.
inline constexpr int32_t kButtonClicked = 0;    // button click
inline constexpr int32_t kComboSelChange = 1;   // list selection changed by the user
inline constexpr int32_t kEditChange = 0x0300;  // edit text changed
inline constexpr int32_t kTabSelChange = -551;  // tab selection changed by the user

class DialogProcedure;

class DialogWindow {
public:
    virtual ~DialogWindow() = default;

    DialogLanguage Language() const { return language_; }

    // Edits and labels.
    virtual void SetItemText(int32_t id, const std::string& text) = 0;
    virtual std::string GetItemText(int32_t id) = 0;
    void SetItemInt(int32_t id, int32_t value, bool isSigned);
    // The number at the start of the text (after blanks; a minus sign only when signed).
    // 0 with *translated false when there is none or it does not fit 32 bits.
    int32_t GetItemInt(int32_t id, bool* translated, bool isSigned);

    // Buttons.
    virtual void CheckItem(int32_t id, bool checked) = 0;
    virtual bool IsItemChecked(int32_t id) = 0;
    virtual void EnableItem(int32_t id, bool enable) = 0;
    virtual bool IsItemEnabled(int32_t id) = 0;

    // Trackbars.
    virtual void TrackbarSetRangeMax(int32_t id, int32_t max) = 0;
    virtual void TrackbarSetRangeMin(int32_t id, int32_t min) = 0;
    virtual void TrackbarSetPos(int32_t id, int32_t pos) = 0;
    virtual void TrackbarSetTicFreq(int32_t id, int32_t frequency) = 0;
    virtual int32_t TrackbarGetPos(int32_t id) = 0;

    // Up-down controls.
    virtual void UpDownSetRange32(int32_t id, int32_t min, int32_t max) = 0;
    virtual void UpDownSetPos(int32_t id, int16_t pos) = 0;
    virtual void UpDownSetBuddy(int32_t id, int32_t buddyId) = 0;

    // Drop-down lists. Insert returns the index of the new item, or -1.
    virtual int32_t ComboInsertString(int32_t id, int32_t index, const std::string& text) = 0;
    virtual void ComboDeleteString(int32_t id, int32_t index) = 0;
    // An index without item clears the selection and returns -1.
    virtual int32_t ComboSetCurSel(int32_t id, int32_t index) = 0;
    // -1 without selection.
    virtual int32_t ComboGetCurSel(int32_t id) = 0;

    // Tab controls.
    virtual int32_t TabInsertItem(int32_t id, int32_t index, const std::string& text) = 0;
    virtual int32_t TabGetCurSel(int32_t id) = 0;

    // Child pages: a page dialog made from a child template inside control `parentId`
    // (a tab control), shown or hidden by its template style. Its procedure is initialised
    // before this returns. The host owns the page; it lives until the dialog ends.
    virtual DialogWindow* CreateChildPage(int32_t parentId, const DialogTemplate& page,
                                          DialogProcedure& procedure) = 0;
    // This window: moved to a pixel position inside its parent control, shown or hidden.
    virtual void MoveWindow(int32_t x, int32_t y) = 0;
    virtual void ShowWindow(bool show) = 0;

    // Ends the modal run of the dialog this window belongs to, with `code`.
    virtual void EndDialog(int32_t code) = 0;

    // Tasks posted here run on the dialog's thread, in its loop, until the dialog ends.
    virtual std::shared_ptr<DialogMailbox> Mailbox() = 0;

protected:
    explicit DialogWindow(DialogLanguage language) : language_(language) {}

private:
    DialogLanguage language_;
};

// What a dialog does: written once, run by any host.
class DialogProcedure {
public:
    virtual ~DialogProcedure() = default;
    virtual void OnInitDialog(DialogWindow& dialog) = 0;
    virtual void OnCommand(DialogWindow& dialog, int32_t id, int32_t notifyCode) {
        (void)dialog, (void)id, (void)notifyCode;
    }
    // A trackbar moved (by the user).
    virtual void OnHScroll(DialogWindow& dialog, int32_t id) { (void)dialog, (void)id; }
    virtual void OnNotify(DialogWindow& dialog, int32_t id, int32_t code) {
        (void)dialog, (void)id, (void)code;
    }
};

// The text of a number as SetItemInt writes it.
std::string FormatItemInt(int32_t value, bool isSigned);
// The parse of GetItemInt.
int32_t ParseItemInt(const std::string& text, bool* translated, bool isSigned);

}  // namespace pixora
