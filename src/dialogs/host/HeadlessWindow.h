// Dialogs without a display: every control's state is kept in memory, and a test plays the
// user through the methods below. User actions act as the mouse and keyboard would: they
// fail (false, nothing happens) on a control that is missing, of another kind, disabled,
// hidden, or on a dialog that has ended. The Send* methods act as another program's
// messages would and ignore whether the control is enabled.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "dialogs/host/DialogWindow.h"

namespace pixora {

// State of one control.
struct HeadlessControl {
    const DialogControlTemplate* source = nullptr;
    std::string text;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    // Trackbar.
    int32_t rangeMin = 0;
    int32_t rangeMax = 100;
    int32_t position = 0;
    int32_t ticFrequency = 1;
    // Up-down control (the system's default range runs from 100 down to 0).
    int32_t upDownMin = 100;
    int32_t upDownMax = 0;
    int32_t upDownPos = 0;
    int32_t buddyId = 0;
    // Drop-down list and tab control.
    std::vector<std::string> items;
    int32_t selection = -1;

    int32_t Id() const { return source->id; }
    DialogControlClass Class() const { return source->cls; }
    uint32_t Style() const { return source->style; }
};

class HeadlessDialog;

class HeadlessWindow : public DialogWindow {
public:
    HeadlessWindow(const DialogTemplate& dialog, HeadlessDialog& root);
    HeadlessWindow(const HeadlessWindow&) = delete;
    HeadlessWindow& operator=(const HeadlessWindow&) = delete;

    // --- The user -------------------------------------------------------------------
    // Push button, check box (toggles) or radio button (checks it, unchecks its group).
    bool Click(int32_t id);
    // Selects the edit's text and types `text` key by key; a numeric edit drops keys that
    // are not digits, as the keyboard does. Each key reports a text change.
    bool Type(int32_t id, const std::string& text);
    // Replaces the edit's text at once (a paste), whatever it holds; one text change.
    bool Paste(int32_t id, const std::string& text);
    // Drags a trackbar's thumb to `position` (kept within the range); one scroll report.
    bool Slide(int32_t id, int32_t position);
    // Clicks an up-down control's arrow: up (+1) or down (-1).
    bool Spin(int32_t id, int delta);
    // Picks item `index` of a drop-down list.
    bool Pick(int32_t id, int32_t index);
    // Clicks tab `index` of a tab control.
    bool SelectTab(int32_t id, int32_t index);

    // --- Another program's messages ------------------------------------------------
    bool SendPick(int32_t id, int32_t index);
    bool SendText(int32_t id, const std::string& text);

    // --- What the screen shows -----------------------------------------------------
    const DialogTemplate& Template() const { return template_; }
    const std::vector<HeadlessControl>& Controls() const { return controls_; }
    // Null when no control has this id.
    const HeadlessControl* Control(int32_t id) const;
    std::string Text(int32_t id) const;
    bool IsEnabled(int32_t id) const;
    bool IsVisible(int32_t id) const;
    bool IsChecked(int32_t id) const;
    std::vector<std::string> Items(int32_t id) const;
    int32_t Selection(int32_t id) const;
    // The item text of the selection, empty without one.
    std::string SelectedText(int32_t id) const;
    int32_t Position(int32_t id) const;
    bool Shown() const { return shown_; }
    int32_t PixelX() const { return pixelX_; }
    int32_t PixelY() const { return pixelY_; }
    // Child pages in the order they were created.
    HeadlessWindow* Page(std::size_t index) const;
    std::size_t PageCount() const { return pages_.size(); }

    // --- DialogWindow ---------------------------------------------------------------
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

    // Host side: attaches the procedure and initialises it.
    void Start(DialogProcedure& procedure);

protected:
    void DispatchCommand(int32_t id, int32_t code);
    bool RootEnded() const;

private:
    HeadlessControl* Find(int32_t id);
    const HeadlessControl* FindConst(int32_t id) const;
    // The control when the user can act on it now: present, of `cls`, enabled and shown.
    HeadlessControl* Reachable(int32_t id, DialogControlClass cls);
    void ReportEditChange(int32_t id);
    void SetEditText(HeadlessControl& edit, const std::string& text);

    const DialogTemplate& template_;
    HeadlessDialog& root_;
    DialogProcedure* procedure_ = nullptr;
    std::vector<HeadlessControl> controls_;
    std::vector<std::unique_ptr<HeadlessWindow>> pages_;
    bool shown_ = true;
    int32_t pixelX_ = 0;
    int32_t pixelY_ = 0;
};

// A top-level dialog: the window above plus its modal run.
class HeadlessDialog final : public HeadlessWindow {
public:
    explicit HeadlessDialog(const DialogTemplate& dialog);
    ~HeadlessDialog() override;

    // The standard buttons.
    bool Ok() { return Click(kIdOk); }
    bool Cancel() { return Click(kIdCancel); }
    // The close box: a click of Cancel, whatever Cancel's state.
    bool Close();

    bool Ended() const { return ended_; }
    int32_t EndCode() const { return endCode_; }
    const std::string& Caption() const { return caption_; }

    // Runs the tasks other threads posted to this dialog so far.
    int RunPosted();
    // Runs posted tasks as they come until `done` holds (looked at after each task and
    // every few milliseconds); false when it still does not after `limit` (a safety net
    // against a hung test, not a measurement).
    bool WaitUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds limit = std::chrono::seconds(60));

    // Host side.
    void MarkEnded(int32_t code);
    std::shared_ptr<DialogMailbox> SharedMailbox() { return mailbox_; }
    void CloseMailbox();

private:
    void Wake();

    std::string caption_;
    bool ended_ = false;
    int32_t endCode_ = 0;
    std::mutex wakeMutex_;
    std::condition_variable wakeSignal_;
    bool woken_ = false;
    std::shared_ptr<DialogMailbox> mailbox_;
};

}  // namespace pixora
