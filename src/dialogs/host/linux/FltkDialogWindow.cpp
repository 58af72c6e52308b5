#include "dialogs/host/linux/FltkDialogWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Slider.H>

#include <algorithm>
#include <cmath>

#include "dialogs/host/linux/FltkDialogWidgets.h"

namespace pixora {

namespace {

// Rounded a * b / c, as the system converts dialog units.
int MulDiv(int a, int b, int c) {
    const int64_t product = int64_t{a} * b;
    return static_cast<int>((product >= 0 ? product + c / 2 : product - c / 2) / c);
}

}  // namespace

int FltkDialogRun::X(int dialogUnits) const {
    return MulDiv(dialogUnits, baseUnitX, 4);
}
int FltkDialogRun::Y(int dialogUnits) const {
    return MulDiv(dialogUnits, baseUnitY, 8);
}

struct FltkDialogWindow::Control {
    FltkDialogWindow* owner = nullptr;
    const DialogControlTemplate* source = nullptr;
    Fl_Widget* widget = nullptr;
    // Trackbar.
    int32_t rangeMin = 0;
    int32_t rangeMax = 100;
    int32_t position = 0;
    int32_t ticFrequency = 1;
    // Up-down control.
    int32_t upDownMin = 100;
    int32_t upDownMax = 0;
    int32_t upDownPos = 0;
    int32_t buddyId = 0;
    // Drop-down list.
    std::vector<std::string> items;
    std::vector<Fl_Menu_Item> menu;
    int32_t selection = -1;

    int32_t Id() const { return source->id; }
    DialogControlClass Class() const { return source->cls; }
    uint32_t ButtonKind() const { return source->style & kButtonKindMask; }
};

FltkDialogWindow::FltkDialogWindow(const DialogTemplate& dialog, FltkDialogRun& run,
                                   Fl_Group* container)
    : DialogWindow(dialog.language), template_(dialog), run_(run), container_(container) {
    Build();
}

FltkDialogWindow::~FltkDialogWindow() = default;

void FltkDialogWindow::ApplyFont(Fl_Widget* widget) const {
    widget->labelfont(run_.font);
    widget->labelsize(run_.fontSize);
}

void FltkDialogWindow::Build() {
    // Widgets of a window are placed relative to it; those of a page group relative to the
    // window the group sits in.
    const bool isWindow = container_->as_window() != nullptr;
    const int originX = isWindow ? 0 : container_->x();
    const int originY = isWindow ? 0 : container_->y();
    container_->begin();
    for (const DialogControlTemplate& source : template_.controls) {
        auto control = std::make_unique<Control>();
        control->owner = this;
        control->source = &source;
        const int x = originX + run_.X(source.x);
        const int y = originY + run_.Y(source.y);
        const int w = run_.X(source.width);
        const int h = run_.Y(source.height);
        const std::string text = source.text.For(template_.language);
        Fl_Widget* widget = nullptr;
        switch (source.cls) {
            case DialogControlClass::Tab: {
                auto* tab = new FltkTabControl(x, y, w, h);
                Control* raw = control.get();
                tab->clicked = [this, raw](int index) { OnTab(*raw, index); };
                widget = tab;
                break;
            }
            case DialogControlClass::Button:
                switch (control->ButtonKind()) {
                    case kButtonAutoCheckBox:
                        widget = new Fl_Check_Button(x, y, w, h);
                        break;
                    case kButtonAutoRadio:
                        widget = new Fl_Round_Button(x, y, w, h);
                        break;
                    case kButtonGroupBox:
                        widget = new FltkGroupBox(x, y, w, h, nullptr);
                        break;
                    default: {
                        auto* button = new Fl_Button(x, y, w, h);
                        if (control->ButtonKind() == kButtonDefaultPush)
                            button->shortcut(FL_Enter);
                        widget = button;
                        break;
                    }
                }
                widget->copy_label(text.c_str());
                break;
            case DialogControlClass::Static: {
                auto* label = new FltkLabel(x, y, w, h);
                label->copy_label(text.c_str());
                widget = label;
                break;
            }
            case DialogControlClass::Edit: {
                Fl_Input* input = (source.style & kEditNumber) != 0
                                      ? new FltkNumberInput(x, y, w, h)
                                      : new Fl_Input(x, y, w, h);
                input->textfont(run_.font);
                input->textsize(run_.fontSize);
                input->when(FL_WHEN_CHANGED);
                input->value(text.c_str());
                widget = input;
                break;
            }
            case DialogControlClass::ComboBox: {
                // The template's height is the dropped list's; closed it is one line.
                auto* choice = new Fl_Choice(x, y, w, run_.baseUnitY + 8);
                choice->textfont(run_.font);
                choice->textsize(run_.fontSize);
                widget = choice;
                break;
            }
            case DialogControlClass::Trackbar: {
                auto* slider = new Fl_Slider(x, y, w, h);
                slider->type(FL_HOR_NICE_SLIDER);
                slider->bounds(control->rangeMin, control->rangeMax);
                slider->step(1);
                slider->when(FL_WHEN_CHANGED);
                widget = slider;
                break;
            }
            case DialogControlClass::UpDown: {
                auto* arrows = new FltkSpinArrows(x, y, w, h);
                Control* raw = control.get();
                arrows->spun = [this, raw](int delta) { OnSpin(*raw, delta); };
                widget = arrows;
                break;
            }
        }
        ApplyFont(widget);
        widget->callback(&FltkDialogWindow::WidgetCallback, control.get());
        if ((source.style & kStyleVisible) == 0)
            widget->hide();
        if ((source.style & kStyleDisabled) != 0)
            widget->deactivate();
        control->widget = widget;
        controls_.push_back(std::move(control));
    }
    container_->end();
}

void FltkDialogWindow::Start(DialogProcedure& procedure) {
    procedure_ = &procedure;
    procedure.OnInitDialog(*this);
}

void FltkDialogWindow::CloseBox() {
    if (procedure_ != nullptr && !run_.ended)
        procedure_->OnCommand(*this, kIdCancel, kButtonClicked);
}

void FltkDialogWindow::ClickTab(int32_t id, int index) {
    Control* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::Tab)
        return;
    auto* tab = static_cast<FltkTabControl*>(c->widget);
    if (index < 0 || index >= static_cast<int>(tab->items.size()) || index == tab->selection)
        return;
    tab->selection = index;
    tab->redraw();
    OnTab(*c, index);
}

FltkDialogWindow::Control* FltkDialogWindow::Find(int32_t id) const {
    if (id == kNoControlId)
        return nullptr;
    for (const auto& c : controls_) {
        if (c->Id() == id)
            return c.get();
    }
    return nullptr;
}

bool FltkDialogWindow::ControlRect(int32_t id, int* x, int* y, int* w, int* h) const {
    const Control* c = Find(id);
    if (c == nullptr)
        return false;
    *x = c->widget->x();
    *y = c->widget->y();
    *w = c->widget->w();
    *h = c->widget->h();
    return true;
}

std::vector<std::string> FltkDialogWindow::ShownTexts(int32_t id) const {
    const Control* c = Find(id);
    if (c == nullptr)
        return {};
    if (c->Class() == DialogControlClass::ComboBox)
        return c->items;
    if (c->Class() == DialogControlClass::Tab)
        return static_cast<const FltkTabControl*>(c->widget)->items;
    if (c->Class() == DialogControlClass::UpDown && c->buddyId != 0 &&
        (c->source->style & kUpDownSetBuddyInt) != 0) {
        return {FormatItemInt(c->upDownMin, true), FormatItemInt(c->upDownMax, true)};
    }
    return {};
}

void FltkDialogWindow::WidgetCallback(Fl_Widget*, void* data) {
    auto* control = static_cast<Control*>(data);
    control->owner->OnWidget(*control);
}

void FltkDialogWindow::OnWidget(Control& control) {
    if (procedure_ == nullptr || run_.ended)
        return;
    const int32_t id = control.Id();
    switch (control.Class()) {
        case DialogControlClass::Button: {
            auto* button = static_cast<Fl_Button*>(control.widget);
            if (control.ButtonKind() == kButtonAutoRadio) {
                // Checking one radio button unchecks the others of its run.
                button->value(1);
                const std::size_t index = static_cast<std::size_t>(
                    std::find_if(controls_.begin(), controls_.end(),
                                 [&](const auto& c) { return c.get() == &control; }) -
                    controls_.begin());
                std::size_t first = 0;
                std::size_t last = 0;
                RadioGroupRange(template_, index, &first, &last);
                for (std::size_t i = first; i <= last && i < controls_.size(); ++i) {
                    if (i != index)
                        static_cast<Fl_Button*>(controls_[i]->widget)->value(0);
                }
            }
            procedure_->OnCommand(*this, id, kButtonClicked);
            break;
        }
        case DialogControlClass::Edit:
            procedure_->OnCommand(*this, id, kEditChange);
            break;
        case DialogControlClass::ComboBox: {
            auto* choice = static_cast<Fl_Choice*>(control.widget);
            control.selection = choice->value();
            procedure_->OnCommand(*this, id, kComboSelChange);
            break;
        }
        case DialogControlClass::Trackbar: {
            auto* slider = static_cast<Fl_Slider*>(control.widget);
            control.position = std::clamp(static_cast<int32_t>(std::lround(slider->value())),
                                          std::min(control.rangeMin, control.rangeMax),
                                          std::max(control.rangeMin, control.rangeMax));
            procedure_->OnHScroll(*this, id);
            break;
        }
        default:
            break;
    }
}

void FltkDialogWindow::OnSpin(Control& control, int delta) {
    if (run_.ended || !control.widget->active_r())
        return;
    const bool buddyInt = (control.source->style & kUpDownSetBuddyInt) != 0;
    Control* buddy = control.buddyId != 0 ? Find(control.buddyId) : nullptr;
    std::string buddyText;
    if (buddy != nullptr && buddyInt)
        buddyText = GetItemText(buddy->Id());
    const int32_t next =
        StepUpDown(control.upDownPos, (buddy != nullptr && buddyInt) ? &buddyText : nullptr,
                   control.upDownMin, control.upDownMax, delta);
    const bool changed = next != control.upDownPos;
    control.upDownPos = next;
    if (buddy != nullptr && buddyInt) {
        const std::string text = FormatItemInt(next, true);
        if (changed || buddyText != text)
            SetItemText(buddy->Id(), text);
    }
}

void FltkDialogWindow::OnTab(Control& control, int index) {
    control.selection = index;
    if (procedure_ != nullptr && !run_.ended)
        procedure_->OnNotify(*this, control.Id(), kTabSelChange);
}

// --- DialogWindow ----------------------------------------------------------------------

void FltkDialogWindow::SetItemText(int32_t id, const std::string& text) {
    Control* c = Find(id);
    if (c == nullptr)
        return;
    if (c->Class() == DialogControlClass::Edit) {
        static_cast<Fl_Input*>(c->widget)->value(text.c_str());
        if (procedure_ != nullptr)
            procedure_->OnCommand(*this, id, kEditChange);
        return;
    }
    c->widget->copy_label(text.c_str());
    c->widget->redraw_label();
}

std::string FltkDialogWindow::GetItemText(int32_t id) {
    Control* c = Find(id);
    if (c == nullptr)
        return std::string();
    if (c->Class() == DialogControlClass::Edit) {
        const char* value = static_cast<Fl_Input*>(c->widget)->value();
        return value != nullptr ? value : "";
    }
    return c->widget->label() != nullptr ? c->widget->label() : "";
}

void FltkDialogWindow::CheckItem(int32_t id, bool checked) {
    Control* c = Find(id);
    if (c != nullptr && c->Class() == DialogControlClass::Button)
        static_cast<Fl_Button*>(c->widget)->value(checked ? 1 : 0);
}

bool FltkDialogWindow::IsItemChecked(int32_t id) {
    Control* c = Find(id);
    return c != nullptr && c->Class() == DialogControlClass::Button &&
           static_cast<Fl_Button*>(c->widget)->value() != 0;
}

void FltkDialogWindow::EnableItem(int32_t id, bool enable) {
    Control* c = Find(id);
    if (c == nullptr)
        return;
    if (enable)
        c->widget->activate();
    else
        c->widget->deactivate();
}

bool FltkDialogWindow::IsItemEnabled(int32_t id) {
    Control* c = Find(id);
    return c != nullptr && c->widget->active();
}

void FltkDialogWindow::SetTrackbarPosition(Control& c, int32_t pos) {
    c.position = pos;
    auto* slider = static_cast<Fl_Slider*>(c.widget);
    slider->bounds(c.rangeMin, c.rangeMax);
    slider->value(pos);
    slider->redraw();
}

void FltkDialogWindow::TrackbarSetRangeMax(int32_t id, int32_t max) {
    Control* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::Trackbar)
        return;
    c->rangeMax = max;
    SetTrackbarPosition(*c, std::min(c->position, max));
}

void FltkDialogWindow::TrackbarSetRangeMin(int32_t id, int32_t min) {
    Control* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::Trackbar)
        return;
    c->rangeMin = min;
    SetTrackbarPosition(*c, std::max(c->position, min));
}

void FltkDialogWindow::TrackbarSetPos(int32_t id, int32_t pos) {
    Control* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::Trackbar)
        return;
    if (pos < c->rangeMin)
        pos = c->rangeMin;
    if (pos > c->rangeMax)
        pos = c->rangeMax;
    SetTrackbarPosition(*c, pos);
}

void FltkDialogWindow::TrackbarSetTicFreq(int32_t id, int32_t frequency) {
    Control* c = Find(id);
    if (c != nullptr && c->Class() == DialogControlClass::Trackbar)
        c->ticFrequency = frequency;  // the template's trackbars draw no ticks
}

int32_t FltkDialogWindow::TrackbarGetPos(int32_t id) {
    Control* c = Find(id);
    return (c != nullptr && c->Class() == DialogControlClass::Trackbar) ? c->position : 0;
}

void FltkDialogWindow::UpDownSetRange32(int32_t id, int32_t min, int32_t max) {
    Control* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::UpDown)
        return;
    c->upDownMin = min;
    c->upDownMax = max;
}

void FltkDialogWindow::UpDownSetPos(int32_t id, int16_t pos) {
    Control* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::UpDown)
        return;
    c->upDownPos = std::clamp<int32_t>(pos, std::min(c->upDownMin, c->upDownMax),
                                       std::max(c->upDownMin, c->upDownMax));
    if (c->buddyId != 0 && (c->source->style & kUpDownSetBuddyInt) != 0)
        SetItemText(c->buddyId, FormatItemInt(c->upDownPos, true));
}

void FltkDialogWindow::UpDownSetBuddy(int32_t id, int32_t buddyId) {
    Control* c = Find(id);
    Control* buddy = Find(buddyId);
    if (c == nullptr || c->Class() != DialogControlClass::UpDown || buddy == nullptr)
        return;
    c->buddyId = buddyId;
    if ((c->source->style & kUpDownAlignRight) != 0) {
        // The arrows sit inside the buddy's right edge, which gives up their width.
        Fl_Widget* b = buddy->widget;
        const int arrowWidth = c->widget->w();
        b->resize(b->x(), b->y(), std::max(1, b->w() - arrowWidth), b->h());
        c->widget->resize(b->x() + b->w(), b->y(), arrowWidth, b->h());
        if (container_->window() != nullptr)
            container_->window()->redraw();
    }
}

void FltkDialogWindow::RebuildMenu(Control& c) {
    c.menu.clear();
    for (const std::string& item : c.items) {
        Fl_Menu_Item entry{};
        entry.text = item.c_str();  // no parsing: '/' and '&' stay as they are
        entry.labeltype_ = FL_NORMAL_LABEL;
        entry.labelfont_ = static_cast<Fl_Font>(run_.font);
        entry.labelsize_ = static_cast<Fl_Fontsize>(run_.fontSize);
        c.menu.push_back(entry);
    }
    c.menu.push_back(Fl_Menu_Item{});
    auto* choice = static_cast<Fl_Choice*>(c.widget);
    choice->menu(c.menu.data());
    choice->value(c.selection >= 0 ? &c.menu[static_cast<std::size_t>(c.selection)]
                                   : static_cast<const Fl_Menu_Item*>(nullptr));
    choice->redraw();
}

int32_t FltkDialogWindow::ComboInsertString(int32_t id, int32_t index, const std::string& text) {
    Control* c = Find(id);
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
    RebuildMenu(*c);
    return index;
}

void FltkDialogWindow::ComboDeleteString(int32_t id, int32_t index) {
    Control* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::ComboBox || index < 0 ||
        index >= static_cast<int32_t>(c->items.size())) {
        return;
    }
    c->items.erase(c->items.begin() + index);
    if (c->selection == index)
        c->selection = -1;
    else if (c->selection > index)
        --c->selection;
    RebuildMenu(*c);
}

int32_t FltkDialogWindow::ComboSetCurSel(int32_t id, int32_t index) {
    Control* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::ComboBox)
        return -1;
    c->selection = (index >= 0 && index < static_cast<int32_t>(c->items.size())) ? index : -1;
    RebuildMenu(*c);
    return c->selection;
}

int32_t FltkDialogWindow::ComboGetCurSel(int32_t id) {
    Control* c = Find(id);
    return (c != nullptr && c->Class() == DialogControlClass::ComboBox) ? c->selection : -1;
}

int32_t FltkDialogWindow::TabInsertItem(int32_t id, int32_t index, const std::string& text) {
    Control* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::Tab || index < 0)
        return -1;
    auto* tab = static_cast<FltkTabControl*>(c->widget);
    const int32_t count = static_cast<int32_t>(tab->items.size());
    index = std::min(index, count);
    tab->items.insert(tab->items.begin() + index, text);
    if (tab->selection < 0)
        tab->selection = 0;
    else if (tab->selection >= index && count > 0)
        ++tab->selection;
    c->selection = tab->selection;
    tab->redraw();
    return index;
}

int32_t FltkDialogWindow::TabGetCurSel(int32_t id) {
    Control* c = Find(id);
    if (c == nullptr || c->Class() != DialogControlClass::Tab)
        return -1;
    return static_cast<FltkTabControl*>(c->widget)->selection;
}

DialogWindow* FltkDialogWindow::CreateChildPage(int32_t parentId, const DialogTemplate& page,
                                                DialogProcedure& procedure) {
    Control* parent = Find(parentId);
    if (parent == nullptr)
        return nullptr;
    Fl_Group* top = container_->as_window() != nullptr ? container_ : container_->window();
    if (top == nullptr)
        return nullptr;
    top->begin();
    auto* group = new Fl_Group(parent->widget->x(), parent->widget->y(), run_.X(page.width),
                               run_.Y(page.height));
    group->box(FL_NO_BOX);
    group->end();
    top->end();
    auto window = std::make_unique<FltkDialogWindow>(page, run_, group);
    window->parentControl_ = parent;
    if ((page.style & kStyleVisible) == 0)
        group->hide();
    FltkDialogWindow* raw = window.get();
    ownedPages_.push_back(std::move(window));
    // The dialog keeps one flat list of pages, in creation order.
    FltkDialogWindow* root = this;
    root->pages_.push_back(raw);
    raw->Start(procedure);
    return raw;
}

void FltkDialogWindow::MoveWindow(int32_t x, int32_t y) {
    if (parentControl_ == nullptr)
        return;  // the top-level window stays where the host put it
    container_->position(parentControl_->widget->x() + x, parentControl_->widget->y() + y);
    if (container_->window() != nullptr)
        container_->window()->redraw();
}

void FltkDialogWindow::ShowWindow(bool show) {
    if (parentControl_ == nullptr)
        return;
    if (show)
        container_->show();
    else
        container_->hide();
    if (container_->window() != nullptr)
        container_->window()->redraw();
}

void FltkDialogWindow::EndDialog(int32_t code) {
    if (run_.ended)
        return;
    run_.ended = true;
    run_.endCode = code;
}

std::shared_ptr<DialogMailbox> FltkDialogWindow::Mailbox() {
    return run_.mailbox;
}

}  // namespace pixora
