#include "dialogs/host/HeadlessWindow.h"

#include <algorithm>

namespace pixora {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// One key per character: a UTF-8 lead byte with its continuation bytes.
std::vector<std::string> Keys(const std::string& text) {
    std::vector<std::string> keys;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) == 0x80 && !keys.empty())
            keys.back() += c;
        else
            keys.emplace_back(1, c);
    }
    return keys;
}

}  // namespace

HeadlessWindow::HeadlessWindow(const DialogTemplate& dialog, DialogRunState& run)
    : ModelDialogWindow(dialog, run), shown_((dialog.style & kStyleVisible) != 0) {}

// --- The user ------------------------------------------------------------------------

bool HeadlessWindow::Type(int32_t id, const std::string& text) {
    DialogControlState* c = Reachable(id, DialogControlClass::Edit);
    if (c == nullptr)
        return false;
    const bool digitsOnly = (c->Style() & kEditNumber) != 0;
    bool selectionReplaced = false;
    for (const std::string& key : Keys(text)) {
        if (digitsOnly && !(key.size() == 1 && IsDigit(key[0])))
            continue;
        DialogControlState* edit = Find(id);  // the procedure may have changed anything
        if (edit == nullptr || Ended())
            break;
        std::string next = selectionReplaced ? edit->text + key : key;
        selectionReplaced = true;
        SetEditText(*edit, next);
    }
    if (text.empty() && !c->text.empty())
        SetEditText(*c, "");
    return true;
}

// --- Another program's messages ------------------------------------------------------

bool HeadlessWindow::SendPick(int32_t id, int32_t index) {
    if (Ended() || Find(id, DialogControlClass::ComboBox) == nullptr)
        return false;
    ComboSetCurSel(id, index);
    Report(id, kComboSelChange);
    return true;
}

bool HeadlessWindow::SendText(int32_t id, const std::string& text) {
    DialogControlState* c = Find(id, DialogControlClass::Edit);
    if (Ended() || c == nullptr)
        return false;
    SetEditText(*c, text);
    return true;
}

// --- What the screen shows -----------------------------------------------------------

std::string HeadlessWindow::Text(int32_t id) const {
    const DialogControlState* c = Control(id);
    return c != nullptr ? c->text : std::string();
}

bool HeadlessWindow::IsEnabled(int32_t id) const {
    const DialogControlState* c = Control(id);
    return c != nullptr && c->enabled;
}

bool HeadlessWindow::IsVisible(int32_t id) const {
    const DialogControlState* c = Control(id);
    return c != nullptr && c->visible && shown_;
}

bool HeadlessWindow::IsChecked(int32_t id) const {
    const DialogControlState* c = Control(id);
    return c != nullptr && c->checked;
}

std::vector<std::string> HeadlessWindow::Items(int32_t id) const {
    const DialogControlState* c = Control(id);
    return c != nullptr ? c->list.items : std::vector<std::string>();
}

int32_t HeadlessWindow::Selection(int32_t id) const {
    const DialogControlState* c = Control(id);
    return c != nullptr ? c->list.selection : -1;
}

std::string HeadlessWindow::SelectedText(int32_t id) const {
    const DialogControlState* c = Control(id);
    if (c == nullptr || !c->list.Has(c->list.selection))
        return std::string();
    return c->list.items[static_cast<std::size_t>(c->list.selection)];
}

int32_t HeadlessWindow::Position(int32_t id) const {
    const DialogControlState* c = Control(id);
    return c != nullptr ? c->trackbar.position : 0;
}

HeadlessWindow* HeadlessWindow::Page(std::size_t index) const {
    return index < pages_.size() ? pages_[index].get() : nullptr;
}

// --- DialogWindow ----------------------------------------------------------------------

DialogWindow* HeadlessWindow::CreateChildPage(int32_t parentId, const DialogTemplate& page,
                                              DialogProcedure& procedure) {
    if (Find(parentId) == nullptr)
        return nullptr;
    pages_.push_back(std::make_unique<HeadlessWindow>(page, RunState()));
    HeadlessWindow* window = pages_.back().get();
    window->Start(procedure);
    return window;
}

void HeadlessWindow::MoveWindow(int32_t x, int32_t y) {
    pixelX_ = x;
    pixelY_ = y;
}

void HeadlessWindow::ShowWindow(bool show) {
    shown_ = show;
}

// --- HeadlessDialog --------------------------------------------------------------------

HeadlessDialog::HeadlessDialog(const DialogTemplate& dialog)
    : HeadlessWindow(dialog, state_), caption_(dialog.caption.For(dialog.language)) {
    state_.mailbox = std::make_shared<DialogMailbox>([this] { Wake(); });
}

HeadlessDialog::~HeadlessDialog() {
    CloseMailbox();
}

int HeadlessDialog::RunPosted() {
    return state_.mailbox->RunPending();
}

bool HeadlessDialog::WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    // Posted tasks wake the wait at once; other threads' progress is looked at in short
    // slices.
    constexpr auto kSlice = std::chrono::milliseconds(2);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        RunPosted();
        if (done())
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        std::unique_lock<std::mutex> lock(wakeMutex_);
        wakeSignal_.wait_until(lock, std::min(deadline, now + kSlice), [this] { return woken_; });
        woken_ = false;
    }
}

void HeadlessDialog::Wake() {
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        woken_ = true;
    }
    wakeSignal_.notify_all();
}

void HeadlessDialog::CloseMailbox() {
    state_.mailbox->Close();
}

}  // namespace pixora
