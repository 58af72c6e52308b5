// A dialog or child page whose controls are kept in memory (DialogControlState) rather than
// by the system: the procedures' calls and the user's actions change them by the controls'
// rules, written here once. A host that draws (FLTK) makes its widgets follow through the
// Show* hooks and forwards what the user does to the user's actions below; the headless host
// draws nothing and lets a test play the user. Everything here runs on the dialog's thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/host/DialogControlState.h"
#include "dialogs/host/DialogRunState.h"
#include "dialogs/host/DialogWindow.h"

namespace pixora {

class ModelDialogWindow : public DialogWindow {
public:
    ModelDialogWindow(const ModelDialogWindow&) = delete;
    ModelDialogWindow& operator=(const ModelDialogWindow&) = delete;

    // Host side: attaches the procedure and initialises it.
    void Start(DialogProcedure& procedure);

    // --- The user ---------------------------------------------------------------------
    // As the mouse and keyboard act: each fails (false, nothing happens) on a control that
    // is missing, of another kind, disabled or hidden, in a window that takes no input, or
    // once the dialog has ended.
    // Push button, check box (toggles) or radio button (checks it, unchecks its group).
    bool Click(int32_t id);
    // The edit now holds `text` (typed or pasted): one text change.
    bool EditText(int32_t id, const std::string& text);
    // Drags a trackbar's thumb to `position` (kept within the range); one scroll report.
    bool Slide(int32_t id, int32_t position);
    // Clicks an up-down control's arrow: up (+1) or down (-1). With a buddy and the
    // buddy-integer style the buddy shows the new position (a text change).
    bool Spin(int32_t id, int delta);
    // Picks item `index` of a drop-down list.
    bool Pick(int32_t id, int32_t index);
    // Clicks tab `index` of a tab control; clicking the open tab reports nothing.
    bool SelectTab(int32_t id, int32_t index);
    // The close box or Escape: a click of Cancel, whatever Cancel's state.
    bool Close();

    // --- What the controls hold -------------------------------------------------------
    const DialogTemplate& Template() const { return template_; }
    const std::vector<DialogControlState>& Controls() const { return controls_; }
    // Null when no control has this id.
    const DialogControlState* Control(int32_t id) const;
    bool Ended() const { return run_.ended; }

    // --- DialogWindow -------------------------------------------------------------------
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
    void EndDialog(int32_t code) override;
    std::shared_ptr<DialogMailbox> Mailbox() override;

protected:
    ModelDialogWindow(const DialogTemplate& dialog, DialogRunState& run);

    // False while the window takes no input (a hidden page, say).
    virtual bool TakesInput() const { return true; }
    // The widgets follow the state: each hook runs after a change that its widget did not
    // make itself (the procedure's calls, and what a user's action changes besides).
    virtual void ShowText(const DialogControlState&) {}
    virtual void ShowChecked(const DialogControlState&) {}
    virtual void ShowEnabled(const DialogControlState&) {}
    virtual void ShowTrackbar(const DialogControlState&) {}
    virtual void ShowItems(const DialogControlState&) {}  // drop-down list or tab control
    virtual void ShowBuddy(const DialogControlState& /*upDown*/,
                           const DialogControlState& /*buddy*/) {}

    // Null for kNoControlId and ids without control.
    DialogControlState* Find(int32_t id);
    // Null also when the control is of another class.
    DialogControlState* Find(int32_t id, DialogControlClass cls);
    std::size_t IndexOf(const DialogControlState& control) const {
        return static_cast<std::size_t>(&control - controls_.data());
    }
    // Sets an edit's text and reports the change to the procedure.
    void SetEditText(DialogControlState& edit, const std::string& text);
    DialogRunState& RunState() { return run_; }
    // Hands a command to the procedure (none before Start).
    void Report(int32_t id, int32_t notifyCode);
    // The control when the user can act on it now: the dialog runs, the window takes input,
    // and the control is there, of class `cls`, enabled and visible.
    DialogControlState* Reachable(int32_t id, DialogControlClass cls);

private:
    const DialogTemplate& template_;
    DialogRunState& run_;
    DialogProcedure* procedure_ = nullptr;
    std::vector<DialogControlState> controls_;
};

}  // namespace pixora
