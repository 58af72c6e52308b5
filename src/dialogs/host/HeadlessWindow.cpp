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

uint32_t ButtonKind(const HeadlessControl& c) {
    return c.Style() & kButtonKindMask;
}

}  // namespace

HeadlessWindow::HeadlessWindow(const DialogTemplate& dialog, HeadlessDialog& root)
    : DialogWindow(dialog.language), template_(dialog), root_(root) {
    controls_.reserve(dialog.controls.size());
    for (const DialogControlTemplate& source : dialog.controls) {
        HeadlessControl c;
        c.source = &source;
        c.text = source.text.For(dialog.language);
        c.enabled = (source.style & kStyleDisabled) == 0;
        c.visible = (source.style & kStyleVisible) != 0;
        controls_.push_back(std::move(c));
    }
    shown_ = (dialog.style & kStyleVisible) != 0;
}

void HeadlessWindow::Start(DialogProcedure& procedure) {
    procedure_ = &procedure;
    procedure.OnInitDialog(*this);
}

void HeadlessWindow::DispatchCommand(int32_t id, int32_t code) {
    if (procedure_ != nullptr)
        procedure_->OnCommand(*this, id, code);
}

bool HeadlessWindow::RootEnded() const {
    return root_.Ended();
}

HeadlessControl* HeadlessWindow::Find(int32_t id) {
    if (id == kNoControlId)
        return nullptr;
    for (HeadlessControl& c : controls_) {
        if (c.Id() == id)
            return &c;
    }
    return nullptr;
}

const HeadlessControl* HeadlessWindow::FindConst(int32_t id) const {
    return const_cast<HeadlessWindow*>(this)->Find(id);
}

const HeadlessControl* HeadlessWindow::Control(int32_t id) const {
    return FindConst(id);
}

HeadlessControl* HeadlessWindow::Reachable(int32_t id, DialogControlClass cls) {
    if (RootEnded() || !shown_)
        return nullptr;
    HeadlessControl* c = Find(id);
    if (c == nullptr || c->Class() != cls || !c->enabled || !c->visible)
        return nullptr;
    return c;
}

void HeadlessWindow::ReportEditChange(int32_t id) {
    DispatchCommand(id, kEditChange);
}

void HeadlessWindow::SetEditText(HeadlessControl& edit, const std::string& text) {
    edit.text = text;
    ReportEditChange(edit.Id());
}

// --- The user ------------------------------------------------------------------------

bool HeadlessWindow::Click(int32_t id) {
    HeadlessControl* c = Reachable(id, DialogControlClass::Button);
    if (c == nullptr)
        return false;
    switch (ButtonKind(*c)) {
        case kButtonPush:
        case kButtonDefaultPush:
            break;
        case kButtonAutoCheckBox:
            c->checked = !c->checked;
            break;
        case kButtonAutoRadio: {
            const std::size_t index = static_cast<std::size_t>(c - controls_.data());
            std::size_t first = 0;
            std::size_t last = 0;
            RadioGroupRange(template_, index, &first, &last);
            for (std::size_t i = first; i <= last; ++i)
                controls_[i].checked = (i == index);
            break;
        }
        default:
            return false;  // group boxes take no clicks
    }
    DispatchCommand(id, kButtonClicked);
    return true;
}

bool HeadlessWindow::Type(int32_t id, const std::string& text) {
    HeadlessControl* c = Reachable(id, DialogControlClass::Edit);
    if (c == nullptr)
        return false;
    const bool digitsOnly = (c->Style() & kEditNumber) != 0;
    bool selectionReplaced = false;
    for (const std::string& key : Keys(text)) {
        if (digitsOnly && !(key.size() == 1 && IsDigit(key[0])))
            continue;
        HeadlessControl* edit = Find(id);  // the procedure may have changed anything
        if (edit == nullptr || RootEnded())
            break;
        std::string next = selectionReplaced ? edit->text + key : key;
        selectionReplaced = true;
        SetEditText(*edit, next);
    }
    if (text.empty() && !c->text.empty())
        SetEditText(*c, "");
    return true;
}

bool HeadlessWindow::Paste(int32_t id, const std::string& text) {
    HeadlessControl* c = Reachable(id, DialogControlClass::Edit);
    if (c == nullptr)
        return false;
    SetEditText(*c, text);
    return true;
}

bool HeadlessWindow::Slide(int32_t id, int32_t position) {
    HeadlessControl* c = Reachable(id, DialogControlClass::Trackbar);
    if (c == nullptr)
        return false;
    c->position = std::clamp(position, std::min(c->rangeMin, c->rangeMax),
                             std::max(c->rangeMin, c->rangeMax));
    if (procedure_ != nullptr)
        procedure_->OnHScroll(*this, id);
    return true;
}

bool HeadlessWindow::Spin(int32_t id, int delta) {
    HeadlessControl* c = Reachable(id, DialogControlClass::UpDown);
    if (c == nullptr || delta == 0)
        return false;
    const bool buddyInt = (c->Style() & kUpDownSetBuddyInt) != 0;
    HeadlessControl* buddy = c->buddyId != 0 ? Find(c->buddyId) : nullptr;
    const int32_t next =
        StepUpDown(c->upDownPos, (buddy != nullptr && buddyInt) ? &buddy->text : nullptr,
                   c->upDownMin, c->upDownMax, delta);
    const bool changed = next != c->upDownPos;
    c->upDownPos = next;
    if (buddy != nullptr && buddyInt) {
        const std::string text = FormatItemInt(next, true);
        if (changed || buddy->text != text)
            SetEditText(*buddy, text);
    }
    return true;
}

bool HeadlessWindow::Pick(int32_t id, int32_t index) {
    HeadlessControl* c = Reachable(id, DialogControlClass::ComboBox);
    if (c == nullptr || index < 0 || index >= static_cast<int32_t>(c->items.size()))
        return false;
    c->selection = index;
    DispatchCommand(id, kComboSelChange);
    return true;
}

bool HeadlessWindow::SelectTab(int32_t id, int32_t index) {
    HeadlessControl* c = Reachable(id, DialogControlClass::Tab);
    if (c == nullptr || index < 0 || index >= static_cast<int32_t>(c->items.size()))
        return false;
    if (c->selection == index)
        return true;  // clicking the open tab reports nothing
    c->selection = index;
    if (procedure_ != nullptr)
        procedure_->OnNotify(*this, id, kTabSelChange);
    return true;
}

// --- Another program's messages ------------------------------------------------------

bool HeadlessWindow::SendPick(int32_t id, int32_t index) {
    HeadlessControl* c = Find(id);
    if (RootEnded() || c == nullptr || c->Class() != DialogControlClass::ComboBox)
        return false;
    ComboSetCurSel(id, index);
    DispatchCommand(id, kComboSelChange);
    return true;
}

bool HeadlessWindow::SendText(int32_t id, const std::string& text) {
    HeadlessControl* c = Find(id);
    if (RootEnded() || c == nullptr || c->Class() != DialogControlClass::Edit)
        return false;
    SetEditText(*c, text);
    return true;
}

// --- What the screen shows -----------------------------------------------------------

std::string HeadlessWindow::Text(int32_t id) const {
    const HeadlessControl* c = FindConst(id);
    return c != nullptr ? c->text : std::string();
}

bool HeadlessWindow::IsEnabled(int32_t id) const {
    const HeadlessControl* c = FindConst(id);
    return c != nullptr && c->enabled;
}

bool HeadlessWindow::IsVisible(int32_t id) const {
    const HeadlessControl* c = FindConst(id);
    return c != nullptr && c->visible && shown_;
}

bool HeadlessWindow::IsChecked(int32_t id) const {
    const HeadlessControl* c = FindConst(id);
    return c != nullptr && c->checked;
}

std::vector<std::string> HeadlessWindow::Items(int32_t id) const {
    const HeadlessControl* c = FindConst(id);
    return c != nullptr ? c->items : std::vector<std::string>();
}

int32_t HeadlessWindow::Selection(int32_t id) const {
    const HeadlessControl* c = FindConst(id);
    return c != nullptr ? c->selection : -1;
}

std::string HeadlessWindow::SelectedText(int32_t id) const {
    const HeadlessControl* c = FindConst(id);
    if (c == nullptr || c->selection < 0 || c->selection >= static_cast<int32_t>(c->items.size()))
        return std::string();
    return c->items[static_cast<std::size_t>(c->selection)];
}

int32_t HeadlessWindow::Position(int32_t id) const {
    const HeadlessControl* c = FindConst(id);
    return c != nullptr ? c->position : 0;
}

HeadlessWindow* HeadlessWindow::Page(std::size_t index) const {
    return index < pages_.size() ? pages_[index].get() : nullptr;
}

// --- DialogWindow ----------------------------------------------------------------------

void HeadlessWindow::SetItemText(int32_t id, const std::string& text) {
    HeadlessControl* c = Find(id);
    if (c == nullptr)
        return;
    if (c->Class() == DialogControlClass::Edit)
        SetEditText(*c, text);
    else
        c->text = text;
}

std::string HeadlessWindow::GetItemText(int32_t id) {
    return Text(id);
}

void HeadlessWindow::CheckItem(int32_t id, bool checked) {
    if (HeadlessControl* c = Find(id))
        c->checked = checked;
}

bool HeadlessWindow::IsItemChecked(int32_t id) {
    return IsChecked(id);
}

void HeadlessWindow::EnableItem(int32_t id, bool enable) {
    if (HeadlessControl* c = Find(id))
        c->enabled = enable;
}

bool HeadlessWindow::IsItemEnabled(int32_t id) {
    return IsEnabled(id);
}

void HeadlessWindow::TrackbarSetRangeMax(int32_t id, int32_t max) {
    HeadlessControl* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::Trackbar)
        return;
    c->rangeMax = max;
    if (c->position > max)
        c->position = max;
}

void HeadlessWindow::TrackbarSetRangeMin(int32_t id, int32_t min) {
    HeadlessControl* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::Trackbar)
        return;
    c->rangeMin = min;
    if (c->position < min)
        c->position = min;
}

void HeadlessWindow::TrackbarSetPos(int32_t id, int32_t pos) {
    HeadlessControl* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::Trackbar)
        return;
    if (pos < c->rangeMin)
        pos = c->rangeMin;
    if (pos > c->rangeMax)
        pos = c->rangeMax;
    c->position = pos;
}

void HeadlessWindow::TrackbarSetTicFreq(int32_t id, int32_t frequency) {
    HeadlessControl* c = Find(id);
    if (c != nullptr && c->Class() == DialogControlClass::Trackbar)
        c->ticFrequency = frequency;
}

int32_t HeadlessWindow::TrackbarGetPos(int32_t id) {
    return Position(id);
}

void HeadlessWindow::UpDownSetRange32(int32_t id, int32_t min, int32_t max) {
    HeadlessControl* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::UpDown)
        return;
    c->upDownMin = min;
    c->upDownMax = max;
}

void HeadlessWindow::UpDownSetPos(int32_t id, int16_t pos) {
    HeadlessControl* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::UpDown)
        return;
    c->upDownPos = std::clamp<int32_t>(pos, std::min(c->upDownMin, c->upDownMax),
                                       std::max(c->upDownMin, c->upDownMax));
    if (c->buddyId != 0 && (c->Style() & kUpDownSetBuddyInt) != 0)
        SetItemText(c->buddyId, FormatItemInt(c->upDownPos, true));
}

void HeadlessWindow::UpDownSetBuddy(int32_t id, int32_t buddyId) {
    HeadlessControl* c = Find(id);
    if (c != nullptr && c->Class() == DialogControlClass::UpDown)
        c->buddyId = buddyId;
}

int32_t HeadlessWindow::ComboInsertString(int32_t id, int32_t index, const std::string& text) {
    HeadlessControl* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::ComboBox)
        return -1;
    const int32_t count = static_cast<int32_t>(c->items.size());
    if (index < 0)
        index = count;
    if (index > count)
        return -1;
    c->items.insert(c->items.begin() + index, text);
    if (c->selection >= index)
        ++c->selection;
    return index;
}

void HeadlessWindow::ComboDeleteString(int32_t id, int32_t index) {
    HeadlessControl* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::ComboBox || index < 0 ||
        index >= static_cast<int32_t>(c->items.size())) {
        return;
    }
    c->items.erase(c->items.begin() + index);
    if (c->selection == index)
        c->selection = -1;
    else if (c->selection > index)
        --c->selection;
}

int32_t HeadlessWindow::ComboSetCurSel(int32_t id, int32_t index) {
    HeadlessControl* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::ComboBox)
        return -1;
    c->selection = (index >= 0 && index < static_cast<int32_t>(c->items.size())) ? index : -1;
    return c->selection;
}

int32_t HeadlessWindow::ComboGetCurSel(int32_t id) {
    const HeadlessControl* c = Find(id);
    return (c != nullptr && c->Class() == DialogControlClass::ComboBox) ? c->selection : -1;
}

int32_t HeadlessWindow::TabInsertItem(int32_t id, int32_t index, const std::string& text) {
    HeadlessControl* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::Tab || index < 0)
        return -1;
    const int32_t count = static_cast<int32_t>(c->items.size());
    index = std::min(index, count);
    c->items.insert(c->items.begin() + index, text);
    if (c->selection < 0)
        c->selection = 0;  // the first tab opens selected
    else if (c->selection >= index && count > 0)
        ++c->selection;
    return index;
}

int32_t HeadlessWindow::TabGetCurSel(int32_t id) {
    const HeadlessControl* c = Find(id);
    return (c != nullptr && c->Class() == DialogControlClass::Tab) ? c->selection : -1;
}

DialogWindow* HeadlessWindow::CreateChildPage(int32_t parentId, const DialogTemplate& page,
                                              DialogProcedure& procedure) {
    if (Find(parentId) == nullptr)
        return nullptr;
    pages_.push_back(std::make_unique<HeadlessWindow>(page, root_));
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

void HeadlessWindow::EndDialog(int32_t code) {
    root_.MarkEnded(code);
}

std::shared_ptr<DialogMailbox> HeadlessWindow::Mailbox() {
    return root_.SharedMailbox();
}

// --- HeadlessDialog --------------------------------------------------------------------

HeadlessDialog::HeadlessDialog(const DialogTemplate& dialog)
    : HeadlessWindow(dialog, *this),
      caption_(dialog.caption.For(dialog.language)),
      mailbox_(std::make_shared<DialogMailbox>([this] { Wake(); })) {}

HeadlessDialog::~HeadlessDialog() {
    CloseMailbox();
}

bool HeadlessDialog::Close() {
    if (ended_)
        return false;
    DispatchCommand(kIdCancel, kButtonClicked);
    return true;
}

int HeadlessDialog::RunPosted() {
    return mailbox_->RunPending();
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

void HeadlessDialog::MarkEnded(int32_t code) {
    if (ended_)
        return;
    ended_ = true;
    endCode_ = code;
}

void HeadlessDialog::CloseMailbox() {
    mailbox_->Close();
}

}  // namespace pixora
