#include "dialogs/host/linux/FltkDialogWidgets.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <algorithm>

namespace pixora {

namespace {

constexpr int kTabPadding = 12;

}  // namespace

// --- Tab control -----------------------------------------------------------------------

FltkTabControl::FltkTabControl(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) {
    box(FL_NO_BOX);
}

int FltkTabControl::HeaderHeight() const {
    fl_font(labelfont(), labelsize());
    return fl_height() + 7;
}

std::vector<std::pair<int, int>> FltkTabControl::HeaderSpans() const {
    std::vector<std::pair<int, int>> spans;
    fl_font(labelfont(), labelsize());
    int left = x() + 2;
    for (const std::string& item : items) {
        const int width = static_cast<int>(fl_width(item.c_str())) + kTabPadding;
        spans.emplace_back(left, width);
        left += width;
    }
    return spans;
}

int FltkTabControl::TabAt(int px, int py) const {
    if (py < y() || py >= y() + HeaderHeight())
        return -1;
    const auto spans = HeaderSpans();
    for (std::size_t i = 0; i < spans.size(); ++i) {
        if (px >= spans[i].first && px < spans[i].first + spans[i].second)
            return static_cast<int>(i);
    }
    return -1;
}

void FltkTabControl::draw() {
    const int header = HeaderHeight();
    const int top = y() + header - 2;
    // The panel below the headers.
    fl_color(color());
    fl_rectf(x(), top, w(), h() - (top - y()));
    fl_color(FL_LIGHT3);
    fl_yxline(x(), y() + h() - 1, top, x() + w() - 1);
    fl_color(FL_DARK2);
    fl_yxline(x() + w() - 1, top, y() + h() - 1, x());
    // The headers; the selected one stands out and joins the panel.
    const auto spans = HeaderSpans();
    fl_font(labelfont(), labelsize());
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const bool selected = static_cast<int>(i) == selection;
        const int left = spans[i].first - (selected ? 2 : 0);
        const int width = spans[i].second + (selected ? 4 : 0);
        const int headerTop = y() + (selected ? 0 : 2);
        fl_color(color());
        fl_rectf(left, headerTop, width, top - headerTop + (selected ? 2 : 0));
        fl_color(FL_LIGHT3);
        fl_yxline(left, top + (selected ? 1 : 0), headerTop, left + width - 1);
        fl_color(FL_DARK2);
        fl_yxline(left + width - 1, headerTop, top);
        fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
        fl_draw(items[i].c_str(), left, headerTop, width, top - headerTop, FL_ALIGN_CENTER);
    }
}

int FltkTabControl::handle(int event) {
    if (event != FL_PUSH)
        return Fl_Widget::handle(event);
    const int index = TabAt(Fl::event_x(), Fl::event_y());
    if (index < 0)
        return 0;
    if (index != selection && clicked)
        clicked(index);  // the window decides, and sets the selection
    return 1;
}

// --- Label -----------------------------------------------------------------------------

FltkLabel::FltkLabel(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) {
    box(FL_NO_BOX);
    align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP | FL_ALIGN_CLIP);
    set_flag(SHORTCUT_LABEL);
}

void FltkLabel::draw() {
    // The whole rectangle, as the system's static control: the toolkit's own label drawing
    // would keep 3 pixels clear at either end.
    draw_label(x(), y(), w(), h());
}

// --- Group box -------------------------------------------------------------------------

FltkGroupBox::FltkGroupBox(int x, int y, int w, int h, const char* label)
    : Fl_Widget(x, y, w, h, label) {
    box(FL_NO_BOX);
}

void FltkGroupBox::draw() {
    fl_font(labelfont(), labelsize());
    const int top = y() + fl_height() / 2;
    fl_color(FL_DARK3);
    fl_rect(x(), top, w() - 1, h() - (top - y()) - 1);
    fl_color(FL_LIGHT3);
    fl_rect(x() + 1, top + 1, w() - 1, h() - (top - y()) - 1);
    if (label() != nullptr && *label() != '\0') {
        const int textWidth = static_cast<int>(fl_width(label()));
        fl_color(parent() != nullptr ? parent()->color() : FL_BACKGROUND_COLOR);
        fl_rectf(x() + 6, y(), textWidth + 4, fl_height());
        fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
        fl_draw(label(), x() + 8, y(), textWidth, fl_height(), FL_ALIGN_LEFT);
    }
}

// --- Numeric edit ----------------------------------------------------------------------

FltkNumberInput::FltkNumberInput(int x, int y, int w, int h) : Fl_Input(x, y, w, h) {}

int FltkNumberInput::handle(int event) {
    if (event == FL_KEYBOARD && Fl::event_length() > 0 && !(Fl::event_state() & FL_CTRL)) {
        const char* text = Fl::event_text();
        for (int i = 0; i < Fl::event_length(); ++i) {
            if (text[i] < '0' || text[i] > '9')
                return 1;  // swallowed, as the system's numeric edit does
        }
    }
    return Fl_Input::handle(event);
}

// --- Up-down arrows --------------------------------------------------------------------

FltkSpinArrows::FltkSpinArrows(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) {
    box(FL_UP_BOX);
}

void FltkSpinArrows::draw() {
    const int half = h() / 2;
    draw_box(pressed_ > 0 ? FL_DOWN_BOX : FL_UP_BOX, x(), y(), w(), half, color());
    draw_box(pressed_ < 0 ? FL_DOWN_BOX : FL_UP_BOX, x(), y() + half, w(), h() - half, color());
    fl_color(active_r() ? FL_FOREGROUND_COLOR : fl_inactive(FL_FOREGROUND_COLOR));
    const int cx = x() + w() / 2;
    const int arrow = std::max(1, std::min(w(), half) / 4);
    const int upY = y() + half / 2;
    fl_polygon(cx - arrow, upY + arrow / 2 + 1, cx + arrow, upY + arrow / 2 + 1, cx,
               upY - arrow / 2);
    const int downY = y() + half + (h() - half) / 2;
    fl_polygon(cx - arrow, downY - arrow / 2, cx + arrow, downY - arrow / 2, cx,
               downY + arrow / 2 + 1);
}

int FltkSpinArrows::handle(int event) {
    switch (event) {
        case FL_PUSH:
            pressed_ = Fl::event_y() < y() + h() / 2 ? 1 : -1;
            redraw();
            if (spun)
                spun(pressed_);
            return 1;
        case FL_RELEASE:
            pressed_ = 0;
            redraw();
            return 1;
        default:
            return Fl_Widget::handle(event);
    }
}

}  // namespace pixora
