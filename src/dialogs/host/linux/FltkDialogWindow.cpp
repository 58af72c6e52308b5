#include "dialogs/host/linux/FltkDialogWindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Item.H>
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

struct FltkDialogWindow::Widget {
    FltkDialogWindow* owner = nullptr;
    std::size_t index = 0;  // of the control in the template and the state
    Fl_Widget* widget = nullptr;
    std::vector<Fl_Menu_Item> menu;  // a drop-down list's items as the toolkit takes them
};

FltkDialogWindow::FltkDialogWindow(const DialogTemplate& dialog, FltkDialogRun& run,
                                   Fl_Group* container)
    : ModelDialogWindow(dialog, run), run_(run), container_(container) {
    Build();
}

FltkDialogWindow::~FltkDialogWindow() = default;

void FltkDialogWindow::ApplyFont(Fl_Widget* widget) const {
    widget->labelfont(run_.font);
    widget->labelsize(run_.fontSize);
}

Fl_Widget* FltkDialogWindow::WidgetOf(const DialogControlState& control) const {
    return widgets_[IndexOf(control)]->widget;
}

void FltkDialogWindow::Build() {
    // Widgets of a window are placed relative to it; those of a page group relative to the
    // window the group sits in.
    const bool isWindow = container_->as_window() != nullptr;
    const int originX = isWindow ? 0 : container_->x();
    const int originY = isWindow ? 0 : container_->y();
    container_->begin();
    for (const DialogControlState& control : Controls()) {
        const DialogControlTemplate& source = *control.source;
        auto record = std::make_unique<Widget>();
        record->owner = this;
        record->index = widgets_.size();
        const int x = originX + run_.X(source.x);
        const int y = originY + run_.Y(source.y);
        const int w = run_.X(source.width);
        const int h = run_.Y(source.height);
        const int32_t id = source.id;
        Fl_Widget* widget = nullptr;
        switch (source.cls) {
            case DialogControlClass::Tab: {
                auto* tab = new FltkTabControl(x, y, w, h);
                tab->clicked = [this, id](int index) { SelectTab(id, index); };
                widget = tab;
                break;
            }
            case DialogControlClass::Button:
                switch (control.ButtonKind()) {
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
                        if (control.ButtonKind() == kButtonDefaultPush)
                            button->shortcut(FL_Enter);
                        widget = button;
                        break;
                    }
                }
                widget->copy_label(control.text.c_str());
                break;
            case DialogControlClass::Static: {
                auto* label = new FltkLabel(x, y, w, h);
                label->copy_label(control.text.c_str());
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
                input->value(control.text.c_str());
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
                slider->bounds(control.trackbar.rangeMin, control.trackbar.rangeMax);
                slider->step(1);
                slider->when(FL_WHEN_CHANGED);
                widget = slider;
                break;
            }
            case DialogControlClass::UpDown: {
                auto* arrows = new FltkSpinArrows(x, y, w, h);
                arrows->spun = [this, id](int delta) { Spin(id, delta); };
                widget = arrows;
                break;
            }
        }
        ApplyFont(widget);
        widget->callback(&FltkDialogWindow::WidgetCallback, record.get());
        if (!control.visible)
            widget->hide();
        if (!control.enabled)
            widget->deactivate();
        record->widget = widget;
        widgets_.push_back(std::move(record));
    }
    container_->end();
}

bool FltkDialogWindow::ControlRect(int32_t id, int* x, int* y, int* w, int* h) const {
    const DialogControlState* c = Control(id);
    if (c == nullptr)
        return false;
    const Fl_Widget* widget = WidgetOf(*c);
    *x = widget->x();
    *y = widget->y();
    *w = widget->w();
    *h = widget->h();
    return true;
}

std::vector<std::string> FltkDialogWindow::ShownTexts(int32_t id) const {
    const DialogControlState* c = Control(id);
    if (c == nullptr)
        return {};
    if (c->Class() == DialogControlClass::ComboBox || c->Class() == DialogControlClass::Tab)
        return c->list.items;
    if (c->SetsBuddyInt() && c->upDown.buddyId != 0)
        return {FormatItemInt(c->upDown.min, true), FormatItemInt(c->upDown.max, true)};
    return {};
}

void FltkDialogWindow::WidgetCallback(Fl_Widget*, void* data) {
    const auto* record = static_cast<const Widget*>(data);
    record->owner->OnWidget(*record);
}

void FltkDialogWindow::OnWidget(const Widget& record) {
    const DialogControlState& control = Controls()[record.index];
    const int32_t id = control.Id();
    bool taken = true;
    switch (control.Class()) {
        case DialogControlClass::Button:
            taken = Click(id);
            if (!taken)
                ShowChecked(control);
            break;
        case DialogControlClass::Edit:
            taken = EditText(id, static_cast<Fl_Input*>(record.widget)->value());
            if (!taken)
                ShowText(control);
            break;
        case DialogControlClass::ComboBox:
            taken = Pick(id, static_cast<Fl_Choice*>(record.widget)->value());
            if (!taken)
                ShowItems(control);
            break;
        case DialogControlClass::Trackbar: {
            const double value = static_cast<Fl_Slider*>(record.widget)->value();
            taken = Slide(id, static_cast<int32_t>(std::lround(value)));
            if (!taken)
                ShowTrackbar(control);
            break;
        }
        default:
            break;
    }
}

// --- The widgets follow the state -------------------------------------------------------

void FltkDialogWindow::ShowText(const DialogControlState& control) {
    Fl_Widget* widget = WidgetOf(control);
    if (control.Class() == DialogControlClass::Edit) {
        static_cast<Fl_Input*>(widget)->value(control.text.c_str());
        return;
    }
    widget->copy_label(control.text.c_str());
    widget->redraw_label();
}

void FltkDialogWindow::ShowChecked(const DialogControlState& control) {
    if (control.Class() == DialogControlClass::Button)
        static_cast<Fl_Button*>(WidgetOf(control))->value(control.checked ? 1 : 0);
}

void FltkDialogWindow::ShowEnabled(const DialogControlState& control) {
    if (control.enabled)
        WidgetOf(control)->activate();
    else
        WidgetOf(control)->deactivate();
}

void FltkDialogWindow::ShowTrackbar(const DialogControlState& control) {
    auto* slider = static_cast<Fl_Slider*>(WidgetOf(control));
    slider->bounds(control.trackbar.rangeMin, control.trackbar.rangeMax);
    slider->value(control.trackbar.position);
    slider->redraw();
}

void FltkDialogWindow::ShowItems(const DialogControlState& control) {
    Widget& record = *widgets_[IndexOf(control)];
    const ItemListState& list = control.list;
    if (control.Class() == DialogControlClass::Tab) {
        auto* tab = static_cast<FltkTabControl*>(record.widget);
        tab->items = list.items;
        tab->selection = list.selection;
        tab->redraw();
        return;
    }
    record.menu.clear();
    for (const std::string& item : list.items) {
        Fl_Menu_Item entry{};
        entry.text = item.c_str();  // no parsing: '/' and '&' stay as they are
        entry.labeltype_ = FL_NORMAL_LABEL;
        entry.labelfont_ = static_cast<Fl_Font>(run_.font);
        entry.labelsize_ = static_cast<Fl_Fontsize>(run_.fontSize);
        record.menu.push_back(entry);
    }
    record.menu.push_back(Fl_Menu_Item{});
    auto* choice = static_cast<Fl_Choice*>(record.widget);
    choice->menu(record.menu.data());
    choice->value(list.selection >= 0 ? &record.menu[static_cast<std::size_t>(list.selection)]
                                      : static_cast<const Fl_Menu_Item*>(nullptr));
    choice->redraw();
}

void FltkDialogWindow::ShowBuddy(const DialogControlState& upDown,
                                 const DialogControlState& buddy) {
    if ((upDown.Style() & kUpDownAlignRight) == 0)
        return;
    // The arrows sit inside the buddy's right edge, which gives up their width.
    Fl_Widget* arrows = WidgetOf(upDown);
    Fl_Widget* b = WidgetOf(buddy);
    const int arrowWidth = arrows->w();
    b->resize(b->x(), b->y(), std::max(1, b->w() - arrowWidth), b->h());
    arrows->resize(b->x() + b->w(), b->y(), arrowWidth, b->h());
    if (container_->window() != nullptr)
        container_->window()->redraw();
}

// --- DialogWindow ----------------------------------------------------------------------

DialogWindow* FltkDialogWindow::CreateChildPage(int32_t parentId, const DialogTemplate& page,
                                                DialogProcedure& procedure) {
    const DialogControlState* parent = Control(parentId);
    if (parent == nullptr)
        return nullptr;
    Fl_Group* top = container_->as_window() != nullptr ? container_ : container_->window();
    if (top == nullptr)
        return nullptr;
    Fl_Widget* parentWidget = WidgetOf(*parent);
    top->begin();
    auto* group =
        new Fl_Group(parentWidget->x(), parentWidget->y(), run_.X(page.width), run_.Y(page.height));
    group->box(FL_NO_BOX);
    group->end();
    top->end();
    auto window = std::make_unique<FltkDialogWindow>(page, run_, group);
    window->parentWidget_ = parentWidget;
    if ((page.style & kStyleVisible) == 0)
        group->hide();
    FltkDialogWindow* raw = window.get();
    ownedPages_.push_back(std::move(window));
    // The dialog keeps one flat list of pages, in creation order.
    pages_.push_back(raw);
    raw->Start(procedure);
    return raw;
}

void FltkDialogWindow::MoveWindow(int32_t x, int32_t y) {
    if (parentWidget_ == nullptr)
        return;  // the top-level window stays where the host put it
    container_->position(parentWidget_->x() + x, parentWidget_->y() + y);
    if (container_->window() != nullptr)
        container_->window()->redraw();
}

void FltkDialogWindow::ShowWindow(bool show) {
    if (parentWidget_ == nullptr)
        return;
    if (show)
        container_->show();
    else
        container_->hide();
    if (container_->window() != nullptr)
        container_->window()->redraw();
}

}  // namespace pixora
