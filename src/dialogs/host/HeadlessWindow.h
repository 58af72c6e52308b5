// Dialogs without a display: every control's state is kept in memory (ModelDialogWindow),
// and a test plays the user through the user's actions. A hidden page takes no input. The
// Send* methods act as another program's messages would and ignore whether the control is
// enabled.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "dialogs/host/DialogRunState.h"
#include "dialogs/host/ModelDialogWindow.h"

namespace pixora {

class HeadlessWindow : public ModelDialogWindow {
public:
    HeadlessWindow(const DialogTemplate& dialog, DialogRunState& run);

    // --- The user (besides ModelDialogWindow's) ----------------------------------------
    // Selects the edit's text and types `text` key by key; a numeric edit drops keys that
    // are not digits, as the keyboard does. Each key reports a text change.
    bool Type(int32_t id, const std::string& text);
    // Replaces the edit's text at once (a paste), whatever it holds; one text change.
    bool Paste(int32_t id, const std::string& text) { return EditText(id, text); }

    // --- Another program's messages ------------------------------------------------
    bool SendPick(int32_t id, int32_t index);
    bool SendText(int32_t id, const std::string& text);

    // --- What the screen shows -----------------------------------------------------
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
    DialogWindow* CreateChildPage(int32_t parentId, const DialogTemplate& page,
                                  DialogProcedure& procedure) override;
    void MoveWindow(int32_t x, int32_t y) override;
    void ShowWindow(bool show) override;

private:
    bool TakesInput() const override { return shown_; }

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

    int32_t EndCode() const { return state_.endCode; }
    const std::string& Caption() const { return caption_; }

    // Runs the tasks other threads posted to this dialog so far.
    int RunPosted();
    // Runs posted tasks as they come until `done` holds (looked at after each task and
    // every few milliseconds); false when it still does not after `limit` (a safety net
    // against a hung test, not a measurement).
    bool WaitUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds limit = std::chrono::seconds(60));

    // Host side.
    void MarkEnded(int32_t code) { state_.End(code); }
    void CloseMailbox();

private:
    void Wake();

    // The windows hold on to it from their construction; it is filled in here.
    DialogRunState state_;
    std::string caption_;
    std::mutex wakeMutex_;
    std::condition_variable wakeSignal_;
    bool woken_ = false;
};

}  // namespace pixora
