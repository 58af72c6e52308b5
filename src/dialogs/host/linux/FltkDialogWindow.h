// A dialog or child page drawn with FLTK: one widget per template control, driven through
// the DialogWindow interface. Everything here runs on the dialog's thread.
#pragma once

#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/host/DialogRunState.h"
#include "dialogs/host/ModelDialogWindow.h"

namespace pixora {

// What all windows of one modal run share.
struct FltkDialogRun : DialogRunState {
    DialogLanguage language = DialogLanguage::English;
    int font = 0;       // FLTK font number
    int fontSize = 11;  // pixels
    int baseUnitX = 6;  // dialog base units of that font
    int baseUnitY = 13;

    int X(int dialogUnits) const;  // dialog units to pixels
    int Y(int dialogUnits) const;
};

// The controls' state and rules are ModelDialogWindow's; this window makes the widgets
// show them and hands the user's actions on the widgets to it.
class FltkDialogWindow final : public ModelDialogWindow {
public:
    // Builds the widgets of `dialog` inside `container` (the top-level window, or a group
    // for a page), with the container's top-left corner as the template's origin.
    FltkDialogWindow(const DialogTemplate& dialog, FltkDialogRun& run, Fl_Group* container);
    ~FltkDialogWindow() override;

    Fl_Group* Container() const { return container_; }
    // Pixel rectangle of a control inside the top-level window; false without the control.
    bool ControlRect(int32_t id, int* x, int* y, int* w, int* h) const;
    const std::vector<FltkDialogWindow*>& Pages() const { return pages_; }
    // Texts a control shows besides its template's: the items of a drop-down list, the
    // headers of a tab control, the ends of an up-down control's range as its buddy shows
    // them. Empty for other controls.
    std::vector<std::string> ShownTexts(int32_t id) const;

    DialogWindow* CreateChildPage(int32_t parentId, const DialogTemplate& page,
                                  DialogProcedure& procedure) override;
    void MoveWindow(int32_t x, int32_t y) override;
    void ShowWindow(bool show) override;

private:
    struct Widget;
    static void WidgetCallback(Fl_Widget* widget, void* data);

    void Build();
    void OnWidget(const Widget& widget);
    void ApplyFont(Fl_Widget* widget) const;
    Fl_Widget* WidgetOf(const DialogControlState& control) const;

    void ShowText(const DialogControlState& control) override;
    void ShowChecked(const DialogControlState& control) override;
    void ShowEnabled(const DialogControlState& control) override;
    void ShowTrackbar(const DialogControlState& control) override;
    void ShowItems(const DialogControlState& control) override;
    void ShowBuddy(const DialogControlState& upDown, const DialogControlState& buddy) override;

    FltkDialogRun& run_;
    Fl_Group* container_;
    // One per control, in template order.
    std::vector<std::unique_ptr<Widget>> widgets_;
    std::vector<std::unique_ptr<FltkDialogWindow>> ownedPages_;
    std::vector<FltkDialogWindow*> pages_;
    Fl_Widget* parentWidget_ = nullptr;  // for a page: the control it sits in
};

}  // namespace pixora
