// Widgets the toolkit lacks in the shape the dialog templates expect: a tab control that
// only draws tabs and reports clicks (its pages are separate groups), a group box, a numeric
// edit, and the arrows of an up-down control.
#pragma once

#include <FL/Fl_Input.H>
#include <FL/Fl_Widget.H>

#include <functional>
#include <string>
#include <vector>

namespace pixora {

class FltkTabControl final : public Fl_Widget {
public:
    FltkTabControl(int x, int y, int w, int h);

    // Tab headers and the selected one, as the window sets them; `clicked` runs when the
    // user clicks another tab.
    std::vector<std::string> items;
    int selection = -1;
    std::function<void(int index)> clicked;

    int HeaderHeight() const;
    void draw() override;
    int handle(int event) override;

private:
    int TabAt(int x, int y) const;
    // Left edge and width of each header.
    std::vector<std::pair<int, int>> HeaderSpans() const;
};

// A label; '&' marks the next letter as the mnemonic (drawn underlined), "&&" is one '&'.
class FltkLabel final : public Fl_Widget {
public:
    FltkLabel(int x, int y, int w, int h);
    void draw() override;
};

class FltkGroupBox final : public Fl_Widget {
public:
    FltkGroupBox(int x, int y, int w, int h, const char* label);
    void draw() override;
};

// An edit that takes only digits from the keyboard (pasting is not filtered).
class FltkNumberInput final : public Fl_Input {
public:
    FltkNumberInput(int x, int y, int w, int h);
    int handle(int event) override;
};

// The two arrows of an up-down control; `spun` runs with +1 (up) or -1 (down).
class FltkSpinArrows final : public Fl_Widget {
public:
    FltkSpinArrows(int x, int y, int w, int h);
    std::function<void(int delta)> spun;
    void draw() override;
    int handle(int event) override;

private:
    int pressed_ = 0;
};

}  // namespace pixora
