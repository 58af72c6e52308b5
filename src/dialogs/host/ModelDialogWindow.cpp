#include "dialogs/host/ModelDialogWindow.h"

namespace pixora {

ModelDialogWindow::ModelDialogWindow(const DialogTemplate& dialog, DialogRunState& run)
    : DialogWindow(dialog.language), template_(dialog), run_(run) {
    controls_.reserve(dialog.controls.size());
    for (const DialogControlTemplate& source : dialog.controls)
        controls_.emplace_back(source, dialog.language);
}

void ModelDialogWindow::Start(DialogProcedure& procedure) {
    procedure_ = &procedure;
    procedure.OnInitDialog(*this);
}

DialogControlState* ModelDialogWindow::Find(int32_t id) {
    if (id == kNoControlId)
        return nullptr;
    for (DialogControlState& c : controls_) {
        if (c.Id() == id)
            return &c;
    }
    return nullptr;
}

DialogControlState* ModelDialogWindow::Find(int32_t id, DialogControlClass cls) {
    DialogControlState* c = Find(id);
    return (c != nullptr && c->Class() == cls) ? c : nullptr;
}

const DialogControlState* ModelDialogWindow::Control(int32_t id) const {
    return const_cast<ModelDialogWindow*>(this)->Find(id);
}

DialogControlState* ModelDialogWindow::Reachable(int32_t id, DialogControlClass cls) {
    if (run_.ended || !TakesInput())
        return nullptr;
    DialogControlState* c = Find(id, cls);
    return (c != nullptr && c->enabled && c->visible) ? c : nullptr;
}

void ModelDialogWindow::Report(int32_t id, int32_t notifyCode) {
    if (procedure_ != nullptr)
        procedure_->OnCommand(*this, id, notifyCode);
}

void ModelDialogWindow::SetEditText(DialogControlState& edit, const std::string& text) {
    edit.text = text;
    Report(edit.Id(), kEditChange);
}

// --- The user ------------------------------------------------------------------------

bool ModelDialogWindow::Click(int32_t id) {
    DialogControlState* c = Reachable(id, DialogControlClass::Button);
    if (c == nullptr)
        return false;
    switch (c->ButtonKind()) {
        case kButtonPush:
        case kButtonDefaultPush:
            break;
        case kButtonAutoCheckBox:
            c->checked = !c->checked;
            ShowChecked(*c);
            break;
        case kButtonAutoRadio: {
            const std::size_t index = IndexOf(*c);
            std::size_t first = 0;
            std::size_t last = 0;
            RadioGroupRange(template_, index, &first, &last);
            for (std::size_t i = first; i <= last; ++i) {
                controls_[i].checked = (i == index);
                ShowChecked(controls_[i]);
            }
            break;
        }
        default:
            return false;  // group boxes take no clicks
    }
    Report(id, kButtonClicked);
    return true;
}

bool ModelDialogWindow::EditText(int32_t id, const std::string& text) {
    DialogControlState* c = Reachable(id, DialogControlClass::Edit);
    if (c == nullptr)
        return false;
    SetEditText(*c, text);
    return true;
}

bool ModelDialogWindow::Slide(int32_t id, int32_t position) {
    DialogControlState* c = Reachable(id, DialogControlClass::Trackbar);
    if (c == nullptr)
        return false;
    c->trackbar.Drag(position);
    if (procedure_ != nullptr)
        procedure_->OnHScroll(*this, id);
    return true;
}

bool ModelDialogWindow::Spin(int32_t id, int delta) {
    DialogControlState* c = Reachable(id, DialogControlClass::UpDown);
    if (c == nullptr || delta == 0)
        return false;
    DialogControlState* buddy =
        (c->SetsBuddyInt() && c->upDown.buddyId != 0) ? Find(c->upDown.buddyId) : nullptr;
    const int32_t before = c->upDown.position;
    const int32_t next = c->upDown.Step(delta, buddy != nullptr ? &buddy->text : nullptr);
    if (buddy != nullptr) {
        const std::string text = FormatItemInt(next, true);
        if (next != before || buddy->text != text)
            SetItemText(buddy->Id(), text);
    }
    return true;
}

bool ModelDialogWindow::Pick(int32_t id, int32_t index) {
    DialogControlState* c = Reachable(id, DialogControlClass::ComboBox);
    if (c == nullptr || !c->list.Has(index))
        return false;
    c->list.selection = index;
    Report(id, kComboSelChange);
    return true;
}

bool ModelDialogWindow::SelectTab(int32_t id, int32_t index) {
    DialogControlState* c = Reachable(id, DialogControlClass::Tab);
    if (c == nullptr || !c->list.Has(index))
        return false;
    if (c->list.selection == index)
        return true;
    c->list.selection = index;
    ShowItems(*c);
    if (procedure_ != nullptr)
        procedure_->OnNotify(*this, id, kTabSelChange);
    return true;
}

bool ModelDialogWindow::Close() {
    if (run_.ended)
        return false;
    Report(kIdCancel, kButtonClicked);
    return true;
}

// --- DialogWindow ----------------------------------------------------------------------

void ModelDialogWindow::SetItemText(int32_t id, const std::string& text) {
    DialogControlState* c = Find(id);
    if (c == nullptr)
        return;
    c->text = text;
    ShowText(*c);
    if (c->Class() == DialogControlClass::Edit)
        Report(id, kEditChange);
}

std::string ModelDialogWindow::GetItemText(int32_t id) {
    const DialogControlState* c = Find(id);
    return c != nullptr ? c->text : std::string();
}

void ModelDialogWindow::CheckItem(int32_t id, bool checked) {
    if (DialogControlState* c = Find(id, DialogControlClass::Button)) {
        c->checked = checked;
        ShowChecked(*c);
    }
}

bool ModelDialogWindow::IsItemChecked(int32_t id) {
    const DialogControlState* c = Find(id, DialogControlClass::Button);
    return c != nullptr && c->checked;
}

void ModelDialogWindow::EnableItem(int32_t id, bool enable) {
    if (DialogControlState* c = Find(id)) {
        c->enabled = enable;
        ShowEnabled(*c);
    }
}

bool ModelDialogWindow::IsItemEnabled(int32_t id) {
    const DialogControlState* c = Find(id);
    return c != nullptr && c->enabled;
}

void ModelDialogWindow::TrackbarSetRangeMax(int32_t id, int32_t max) {
    if (DialogControlState* c = Find(id, DialogControlClass::Trackbar)) {
        c->trackbar.SetRangeMax(max);
        ShowTrackbar(*c);
    }
}

void ModelDialogWindow::TrackbarSetRangeMin(int32_t id, int32_t min) {
    if (DialogControlState* c = Find(id, DialogControlClass::Trackbar)) {
        c->trackbar.SetRangeMin(min);
        ShowTrackbar(*c);
    }
}

void ModelDialogWindow::TrackbarSetPos(int32_t id, int32_t pos) {
    if (DialogControlState* c = Find(id, DialogControlClass::Trackbar)) {
        c->trackbar.SetPos(pos);
        ShowTrackbar(*c);
    }
}

void ModelDialogWindow::TrackbarSetTicFreq(int32_t id, int32_t frequency) {
    if (DialogControlState* c = Find(id, DialogControlClass::Trackbar))
        c->trackbar.ticFrequency = frequency;  // the templates' trackbars draw no ticks
}

int32_t ModelDialogWindow::TrackbarGetPos(int32_t id) {
    const DialogControlState* c = Find(id, DialogControlClass::Trackbar);
    return c != nullptr ? c->trackbar.position : 0;
}

void ModelDialogWindow::UpDownSetRange32(int32_t id, int32_t min, int32_t max) {
    if (DialogControlState* c = Find(id, DialogControlClass::UpDown))
        c->upDown.SetRange(min, max);
}

void ModelDialogWindow::UpDownSetPos(int32_t id, int16_t pos) {
    DialogControlState* c = Find(id, DialogControlClass::UpDown);
    if (c == nullptr)
        return;
    c->upDown.SetPos(pos);
    if (c->SetsBuddyInt() && c->upDown.buddyId != 0)
        SetItemText(c->upDown.buddyId, FormatItemInt(c->upDown.position, true));
}

void ModelDialogWindow::UpDownSetBuddy(int32_t id, int32_t buddyId) {
    DialogControlState* c = Find(id, DialogControlClass::UpDown);
    const DialogControlState* buddy = Find(buddyId);
    if (c == nullptr || buddy == nullptr)
        return;
    c->upDown.buddyId = buddyId;
    ShowBuddy(*c, *buddy);
}

int32_t ModelDialogWindow::ComboInsertString(int32_t id, int32_t index, const std::string& text) {
    DialogControlState* c = Find(id, DialogControlClass::ComboBox);
    if (c == nullptr)
        return -1;
    const int32_t inserted = c->list.InsertItem(index, text);
    if (inserted >= 0)
        ShowItems(*c);
    return inserted;
}

void ModelDialogWindow::ComboDeleteString(int32_t id, int32_t index) {
    DialogControlState* c = Find(id, DialogControlClass::ComboBox);
    if (c == nullptr || !c->list.Has(index))
        return;
    c->list.DeleteItem(index);
    ShowItems(*c);
}

int32_t ModelDialogWindow::ComboSetCurSel(int32_t id, int32_t index) {
    DialogControlState* c = Find(id, DialogControlClass::ComboBox);
    if (c == nullptr)
        return -1;
    c->list.Select(index);
    ShowItems(*c);
    return c->list.selection;
}

int32_t ModelDialogWindow::ComboGetCurSel(int32_t id) {
    const DialogControlState* c = Find(id, DialogControlClass::ComboBox);
    return c != nullptr ? c->list.selection : -1;
}

int32_t ModelDialogWindow::TabInsertItem(int32_t id, int32_t index, const std::string& text) {
    DialogControlState* c = Find(id, DialogControlClass::Tab);
    if (c == nullptr)
        return -1;
    const int32_t inserted = c->list.InsertTab(index, text);
    if (inserted >= 0)
        ShowItems(*c);
    return inserted;
}

int32_t ModelDialogWindow::TabGetCurSel(int32_t id) {
    const DialogControlState* c = Find(id, DialogControlClass::Tab);
    return c != nullptr ? c->list.selection : -1;
}

void ModelDialogWindow::EndDialog(int32_t code) {
    run_.End(code);
}

std::shared_ptr<DialogMailbox> ModelDialogWindow::Mailbox() {
    return run_.mailbox;
}

}  // namespace pixora
