#include "dialogs/host/linux/FltkDialogHost.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "dialogs/host/linux/FltkDialogWindow.h"
#include "platform/Log.h"
#include "platform/MessageWindow.h"
#include "platform/linux/X11ErrorTrap.h"

namespace pixora {

namespace {

constexpr int kFontPixels = 11;  // 8 points at 96 dots per inch
// FLTK reads a leading blank as "regular style" and would take a leading 'I' for italic.
constexpr const char* kJapaneseFontName = " IPAPGothic";
// Narrow enough for the templates' labels, which were measured with a narrow face; where
// it is missing the font system substitutes its sans face.
constexpr const char* kLatinFontName = " DejaVu Sans Condensed";
constexpr Fl_Font kJapaneseFont = FL_FREE_FONT;
constexpr Fl_Font kLatinFont = static_cast<Fl_Font>(FL_FREE_FONT + 1);

// A connection to the display named by DISPLAY, or null. A busy server may turn a
// connection away for a moment (EAGAIN on its socket), so a few attempts are made.
Display* OpenDisplay() {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0')
        return nullptr;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (Display* display = XOpenDisplay(name))
            return display;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return nullptr;
}

// The toolkit's complaints, which it would print on the application's error stream.
std::string ToolkitText(const char* format, va_list args) {
    char text[1024] = {};
    std::vsnprintf(text, sizeof text, format, args);
    return std::string("dialog toolkit: ") + text;
}

void ToolkitWarning(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Log(LogLevel::Warning, ToolkitText(format, args));
    va_end(args);
}

void ToolkitError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Log(LogLevel::Error, ToolkitText(format, args));
    va_end(args);
}

// The toolkit's connection, opened once for the process. False without a display; the
// toolkit's own opening would end the process instead.
bool OpenToolkitDisplay() {
    if (fl_display != nullptr)
        return true;
    Display* display = OpenDisplay();
    if (display == nullptr)
        return false;
    // The toolkit puts in process-wide handlers that end the process on a lost connection
    // and print every protocol error; the library keeps the ones it had and watches this
    // connection as its own. Its warnings and errors go to the log: the toolkit is the
    // library's here, since the application had not opened it.
    XIOErrorHandler ioHandler = XSetIOErrorHandler(nullptr);
    XSetIOErrorHandler(ioHandler);
    XErrorHandler errorHandler = XSetErrorHandler(nullptr);
    XSetErrorHandler(errorHandler);
    Fl::warning = ToolkitWarning;
    Fl::error = ToolkitError;
    fl_open_display(display);
    XSetIOErrorHandler(ioHandler);
    XSetErrorHandler(errorHandler);
    X11WatchErrors(display);
    return true;
}

// The top-level window: the close box and Escape count as Cancel; notes its first drawing.
class DialogFrame final : public Fl_Double_Window {
public:
    DialogFrame(int w, int h, const char* caption) : Fl_Double_Window(w, h) { copy_label(caption); }
    void draw() override {
        Fl_Double_Window::draw();
        drawn = true;
    }
    bool drawn = false;
};

void CloseBoxCallback(Fl_Widget*, void* data) {
    static_cast<FltkDialogWindow*>(data)->Close();
}

// The owner named by the application: an X window id; 0 when it names no live X window
// (message windows are not X windows).
::Window OwnerWindow(PIXORA_HWND owner) {
    if (owner == nullptr || IsMessageWindow(owner))
        return 0;
    const auto ownerId = static_cast<::Window>(reinterpret_cast<uintptr_t>(owner));
    XWindowAttributes attributes;
    if (XGetWindowAttributes(fl_display, ownerId, &attributes) == 0)
        return 0;
    return ownerId;
}

// Where the dialog goes: its template position from the owner's top-left corner, as the
// system places a dialog that does not ask to be centred; without an owner, the middle
// of the screen.
void PlaceDialog(Fl_Window& window, ::Window owner, int x, int y) {
    int ownerX = 0;
    int ownerY = 0;
    ::Window child = 0;
    if (owner != 0 && XTranslateCoordinates(fl_display, owner, DefaultRootWindow(fl_display), 0, 0,
                                            &ownerX, &ownerY, &child) != 0) {
        window.position(ownerX + x, ownerY + y);
        return;
    }
    window.position((Fl::w() - window.w()) / 2, (Fl::h() - window.h()) / 2);
}

int ChannelValue(unsigned long pixel, unsigned long mask) {
    if (mask == 0)
        return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0)
        ++shift;
    const unsigned long max = mask >> shift;
    return static_cast<int>(((pixel & mask) >> shift) * 255 / max);
}

}  // namespace

// --- View --------------------------------------------------------------------------------

FltkDialogView::FltkDialogView(FltkDialogRun& run, FltkDialogWindow& top, unsigned long windowId)
    : run_(run), top_(top), windowId_(windowId) {}

unsigned long FltkDialogView::OwnerId() const {
    ::Window owner = 0;
    if (XGetTransientForHint(fl_display, windowId_, &owner) == 0)
        return 0;
    return owner;
}

bool FltkDialogView::ScreenPosition(int* x, int* y) const {
    ::Window child = 0;
    return x != nullptr && y != nullptr &&
           XTranslateCoordinates(fl_display, windowId_, DefaultRootWindow(fl_display), 0, 0, x, y,
                                 &child) != 0;
}

int32_t FltkDialogView::ResourceId() const {
    return top_.Template().resourceId;
}
int FltkDialogView::BaseUnitX() const {
    return run_.baseUnitX;
}
int FltkDialogView::BaseUnitY() const {
    return run_.baseUnitY;
}

std::string FltkDialogView::FontName() const {
    const char* name = Fl::get_font(static_cast<Fl_Font>(run_.font));
    std::string face = name != nullptr ? name : "";
    if (!face.empty() && face[0] == ' ')
        face.erase(0, 1);
    return face;
}

int FltkDialogView::Font() const {
    return run_.font;
}
int FltkDialogView::FontSize() const {
    return run_.fontSize;
}

FltkDialogWindow* FltkDialogView::Window(int page) const {
    if (page < 0)
        return &top_;
    const auto& pages = top_.Pages();
    return static_cast<std::size_t>(page) < pages.size() ? pages[static_cast<std::size_t>(page)]
                                                         : nullptr;
}

bool FltkDialogView::ControlRect(int page, int32_t id, WindowRect* rect) const {
    FltkDialogWindow* window = Window(page);
    return window != nullptr && rect != nullptr &&
           window->ControlRect(id, &rect->x, &rect->y, &rect->width, &rect->height);
}

bool FltkDialogView::PageRect(int page, WindowRect* rect) const {
    FltkDialogWindow* window = Window(page);
    if (window == nullptr || rect == nullptr || page < 0)
        return false;
    Fl_Group* group = window->Container();
    *rect = {group->x(), group->y(), group->w(), group->h()};
    return true;
}

bool FltkDialogView::PageShown(int page) const {
    FltkDialogWindow* window = Window(page);
    return window != nullptr && window->Container()->visible();
}

std::vector<std::string> FltkDialogView::ShownTexts(int page, int32_t id) const {
    FltkDialogWindow* window = Window(page);
    return window != nullptr ? window->ShownTexts(id) : std::vector<std::string>{};
}

std::vector<uint8_t> FltkDialogView::Capture(int* width, int* height) const {
    // Other programs' windows on the display may cover the dialog or uncover parts of it
    // that are not repainted yet: raise it, repaint, and read until two reads agree.
    std::vector<uint8_t> previous;
    std::vector<uint8_t> rgb;
    for (int attempt = 0; attempt < 10; ++attempt) {
        XRaiseWindow(fl_display, windowId_);
        XSync(fl_display, False);
        Fl::check();
        Fl::flush();
        XSync(fl_display, False);
        rgb = ReadWindow(width, height);
        if (!rgb.empty() && rgb == previous)
            break;
        previous = rgb;
    }
    return rgb;
}

std::vector<uint8_t> FltkDialogView::ReadWindow(int* width, int* height) const {
    std::vector<uint8_t> rgb;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(fl_display, windowId_, &attributes) == 0)
        return rgb;
    XImage* image = XGetImage(fl_display, windowId_, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr)
        return rgb;
    rgb.resize(static_cast<std::size_t>(attributes.width) * attributes.height * 3);
    std::size_t o = 0;
    for (int y = 0; y < attributes.height; ++y) {
        for (int x = 0; x < attributes.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            rgb[o++] = static_cast<uint8_t>(ChannelValue(pixel, image->red_mask));
            rgb[o++] = static_cast<uint8_t>(ChannelValue(pixel, image->green_mask));
            rgb[o++] = static_cast<uint8_t>(ChannelValue(pixel, image->blue_mask));
        }
    }
    XDestroyImage(image);
    if (width != nullptr)
        *width = attributes.width;
    if (height != nullptr)
        *height = attributes.height;
    return rgb;
}

void FltkDialogView::ClickTab(int32_t id, int index) {
    top_.SelectTab(id, index);
}

void FltkDialogView::Close() {
    top_.Close();
}

// --- Host --------------------------------------------------------------------------------

FltkDialogHost* FltkDialogHost::IfDisplayReachable() {
    static FltkDialogHost host;
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0')
        return nullptr;
    if (!host.displayOpen_.load()) {
        Display* display = OpenDisplay();
        if (display == nullptr)
            return nullptr;
        std::lock_guard extensions(X11ExtensionMutex());
        XCloseDisplay(display);
    }
    return &host;
}

void FltkDialogHost::SetObserver(Observer observer) {
    std::lock_guard<std::mutex> lock(observerMutex_);
    observer_ = std::move(observer);
}

int32_t FltkDialogHost::RunModal(const DialogTemplate& dialog, DialogProcedure& procedure,
                                 PIXORA_HWND owner) {
    std::lock_guard<std::mutex> serial(runMutex_);
    Observer observer;
    {
        std::lock_guard<std::mutex> lock(observerMutex_);
        observer = observer_;
    }

    Fl::lock();  // this thread runs the toolkit now; Fl::awake reaches it
    if (!OpenToolkitDisplay()) {
        Fl::unlock();
        return kDialogHostFailed;
    }
    displayOpen_.store(true);
    // The toolkit puts in an error handler of its own; errors on its connection (an owner
    // window that is gone, say) are counted like those of the library's other connections.
    X11WatchErrors(fl_display);
    Fl::background(240, 240, 240);

    FltkDialogRun run;
    run.language = dialog.language;
    if (dialog.language == DialogLanguage::Japanese) {
        Fl::set_font(kJapaneseFont, kJapaneseFontName);
        run.font = kJapaneseFont;
    } else {
        Fl::set_font(kLatinFont, kLatinFontName);
        run.font = kLatinFont;
    }
    run.fontSize = kFontPixels;
    fl_font(static_cast<Fl_Font>(run.font), run.fontSize);
    // The system's dialog base units: average width of the 52 letters, and line height.
    const int letters =
        static_cast<int>(fl_width("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    run.baseUnitX = (letters / 26 + 1) / 2;
    run.baseUnitY = fl_height();
    run.mailbox = std::make_shared<DialogMailbox>([] { Fl::awake(); });

    const std::string caption = dialog.caption.For(dialog.language);
    auto frame =
        std::make_unique<DialogFrame>(run.X(dialog.width), run.Y(dialog.height), caption.c_str());
    frame->end();
    int32_t code = kIdCancel;
    {
        FltkDialogWindow top(dialog, run, frame.get());
        frame->callback(&CloseBoxCallback, &top);
        frame->set_modal();
        const ::Window ownerWindow = OwnerWindow(owner);
        PlaceDialog(*frame, ownerWindow, run.X(dialog.x), run.Y(dialog.y));
        top.Start(procedure);
        if (!run.ended) {
            frame->show();
            if (ownerWindow != 0)
                XSetTransientForHint(fl_display, fl_xid(frame.get()), ownerWindow);
        }
        bool observed = !observer;
        while (!run.ended) {
            Fl::wait(0.25);
            run.mailbox->RunPending();
            if (!observed && frame->drawn && !run.ended) {
                observed = true;
                Fl::flush();
                XSync(fl_display, False);
                FltkDialogView view(run, top, fl_xid(frame.get()));
                observer(view);
            }
        }
        run.mailbox->Close();
        frame->hide();
        Fl::flush();
        code = run.endCode;
    }
    frame.reset();
    Fl::flush();
    XSync(fl_display, False);
    X11TakeErrors(fl_display);
    X11UnwatchErrors(fl_display);
    Fl::unlock();
    return code;
}

}  // namespace pixora
