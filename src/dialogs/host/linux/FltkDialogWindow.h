// A dialog or child page drawn with FLTK: one widget per template control, driven through
// the DialogWindow interface. Everything here runs on the dialog's thread.
#pragma once

#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Menu_Item.H>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/host/DialogWindow.h"

namespace pixora {

// What all windows of one modal run share.
struct FltkDialogRun {
    DialogLanguage language = DialogLanguage::English;
    int font = 0;       // FLTK font number
    int fontSize = 11;  // pixels
    int baseUnitX = 6;  // dialog base units of that font
    int baseUnitY = 13;
    std::shared_ptr<DialogMailbox> mailbox;
    bool ended = false;
    int32_t endCode = 0;

    int X(int dialogUnits) const;  // dialog units to pixels
    int Y(int dialogUnits) const;
};

class FltkDialogWindow final : public DialogWindow {
public:
    // Builds the widgets of `dialog` inside `container` (the top-level window, or a group
    // for a page), with the container's top-left corner as the template's origin.
    FltkDialogWindow(const DialogTemplate& dialog, FltkDialogRun& run, Fl_Group* container);
    ~FltkDialogWindow() override;
    FltkDialogWindow(const FltkDialogWindow&) = delete;
    FltkDialogWindow& operator=(const FltkDialogWindow&) = delete;

    void Start(DialogProcedure& procedure);
    // The close box or Escape.
    void CloseBox();
    // A click on a tab header, as the user makes it.
    void ClickTab(int32_t id, int index);

    const DialogTemplate& Template() const { return template_; }
    Fl_Group* Container() const { return container_; }
    // Pixel rectangle of a control inside the top-level window; false without the control.
    bool ControlRect(int32_t id, int* x, int* y, int* w, int* h) const;
    const std::vector<FltkDialogWindow*>& Pages() const { return pages_; }
    // Texts a control shows besides its template's: the items of a drop-down list, the
    // headers of a tab control, the ends of an up-down control's range as its buddy shows
    // them. Empty for other controls.
    std::vector<std::string> ShownTexts(int32_t id) const;

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

private:
    struct Control;
    static void WidgetCallback(Fl_Widget* widget, void* data);

    void Build();
    Control* Find(int32_t id) const;
    void OnWidget(Control& control);
    void OnSpin(Control& control, int delta);
    void OnTab(Control& control, int index);
    void ApplyFont(Fl_Widget* widget) const;
    void RebuildMenu(Control& control);
    void SetTrackbarPosition(Control& control, int32_t pos);

    const DialogTemplate& template_;
    FltkDialogRun& run_;
    Fl_Group* container_;
    DialogProcedure* procedure_ = nullptr;
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<std::unique_ptr<FltkDialogWindow>> ownedPages_;
    std::vector<FltkDialogWindow*> pages_;
    Control* parentControl_ = nullptr;  // for a page: the control it sits in
    std::vector<std::string> labels_;   // texts the widgets point to
};

}  // namespace pixora
