// The dialog host that draws real windows with FLTK on the X display. A dialog runs its
// modal loop on the calling thread; other threads reach it only through its mailbox, which
// wakes the loop with Fl::awake. The toolkit has one event loop per process, so dialogs of
// several threads take turns: a second caller waits until the first dialog closed.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "dialogs/host/DialogHost.h"
#include "image/Rect.h"

namespace pixora {

class FltkDialogWindow;
struct FltkDialogRun;

using WindowRect = Rect;

// A look at a shown dialog, for tests: window id, geometry and pixels.
class FltkDialogView {
public:
    FltkDialogView(FltkDialogRun& run, FltkDialogWindow& top, unsigned long windowId);

    unsigned long WindowId() const { return windowId_; }
    // The window the dialog is transient for (its owner), 0 for none.
    unsigned long OwnerId() const;
    // Top-left corner of the dialog's client area on the screen.
    bool ScreenPosition(int* x, int* y) const;
    int32_t ResourceId() const;
    int BaseUnitX() const;
    int BaseUnitY() const;
    // The face the dialog's texts are drawn with, its toolkit number and its pixel size.
    std::string FontName() const;
    int Font() const;
    int FontSize() const;
    // Page -1 is the dialog itself, 0.. its pages in creation order. Window pixels.
    bool ControlRect(int page, int32_t id, WindowRect* rect) const;
    bool PageRect(int page, WindowRect* rect) const;
    bool PageShown(int page) const;
    // Texts a control shows besides its template's: the items of a drop-down list, the
    // headers of a tab control, the ends of an up-down control's range as its buddy shows
    // them. Empty for other controls.
    std::vector<std::string> ShownTexts(int page, int32_t id) const;
    // The window's pixels now, as rows of R, G, B bytes.
    std::vector<uint8_t> Capture(int* width, int* height) const;
    // A user's click on tab `index` of tab control `id` of the dialog.
    void ClickTab(int32_t id, int index);
    // The close box.
    void Close();

private:
    FltkDialogWindow* Window(int page) const;
    std::vector<uint8_t> ReadWindow(int* width, int* height) const;

    FltkDialogRun& run_;
    FltkDialogWindow& top_;
    unsigned long windowId_;
};

class FltkDialogHost final : public DialogHost {
public:
    // The process's host when a display can be opened now, else null.
    static FltkDialogHost* IfDisplayReachable();

    int32_t RunModal(const DialogTemplate& dialog, DialogProcedure& procedure,
                     PIXORA_HWND owner) override;

    // Tests: runs on the dialog's thread once per dialog, after it was first drawn. It may
    // look, capture and close, and must not wait for other threads' dialogs.
    using Observer = std::function<void(FltkDialogView&)>;
    void SetObserver(Observer observer);

    // Face names: the Japanese templates need a face with the Japanese glyphs.
    static constexpr const char* kLatinFace = "DejaVu Sans Condensed";
    static constexpr const char* kJapaneseFace = "IPAPGothic";

private:
    FltkDialogHost() = default;

    std::mutex runMutex_;  // one dialog at a time in the toolkit's loop
    std::atomic<bool> displayOpen_{false};
    std::mutex observerMutex_;
    Observer observer_;
};

}  // namespace pixora
