// Message windows on Windows: real message-only windows (parent HWND_MESSAGE), so the
// library's posts go through PostMessageA like those to any application window. One
// library thread owns every such window and pumps its message queue; it moves each posted
// message into the window's queue in the message-window table, which PixoraMsg_Get reads
// from any thread.
#include <windows.h>
// <windows.h> maps this name to PostThreadMessage; here it is the library's own function.
#undef PostAppMessage

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/MessageWindow.h"
#include "platform/MessageWindowTable.h"

namespace pixora {

namespace {

constexpr char kWindowClass[] = "PixoraMessageWindow";
// Requests sent to the pump thread's control window.
constexpr UINT kCreateRequest = WM_USER + 1;
constexpr UINT kDestroyRequest = WM_USER + 2;
constexpr UINT kRequestTimeoutMs = 10000;

HWND AsHwnd(PIXORA_HWND window) {
    return reinterpret_cast<HWND>(window);
}

PIXORA_HWND AsToken(HWND window) {
    return reinterpret_cast<PIXORA_HWND>(window);
}

class MessagePump {
public:
    static MessagePump& Instance() {
        // Never destroyed: workers may still post while the process exits.
        static MessagePump* pump = new MessagePump;
        return *pump;
    }

    HWND Create() {
        DWORD_PTR window = 0;
        if (control_ == nullptr || !Ask(kCreateRequest, 0, &window))
            return nullptr;
        return reinterpret_cast<HWND>(window);
    }

    // The window's queue is closed already; the window itself ends on the pump thread.
    void Destroy(HWND window) {
        DWORD_PTR ignored = 0;
        Ask(kDestroyRequest, reinterpret_cast<WPARAM>(window), &ignored);
    }

private:
    MessagePump() {
        std::mutex startMutex;
        std::condition_variable started;
        bool done = false;
        std::thread([&] {
            HWND control = Start();
            {
                std::lock_guard lock(startMutex);
                control_ = control;
                done = true;
            }
            started.notify_one();
            if (control != nullptr)
                Pump();
        }).detach();
        std::unique_lock lock(startMutex);
        started.wait(lock, [&] { return done; });
    }

    // A request carried out on the pump thread. Bounded, so that a caller cannot hang on a
    // pump thread the process already ended (at exit).
    bool Ask(UINT request, WPARAM wParam, DWORD_PTR* result) const {
        return SendMessageTimeoutA(control_, request, wParam, 0, SMTO_NORMAL, kRequestTimeoutMs,
                                   result) != 0;
    }

    static HMODULE OwnModule() {
        // Pinned: the pump thread runs this module's code for the rest of the process.
        HMODULE module = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCSTR>(&MessagePump::WindowProc), &module);
        return module;
    }

    // On the pump thread: the window class and the control window.
    HWND Start() {
        module_ = OwnModule();
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &MessagePump::WindowProc;
        windowClass.hInstance = module_;
        windowClass.lpszClassName = kWindowClass;
        if (RegisterClassExA(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return nullptr;
        return CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module_,
                               this);
    }

    void Pump() {
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (msg.hwnd != nullptr && msg.hwnd != control_ && Deliver(msg))
                continue;
            DispatchMessageA(&msg);
        }
    }

    // A message posted to one of the message windows goes into that window's queue.
    static bool Deliver(const MSG& msg) {
        std::shared_ptr<MessageQueue> queue =
            MessageWindowTable::Instance().Find(AsToken(msg.hwnd));
        if (!queue)
            return false;
        queue->Deliver(PixoraMessage{AsToken(msg.hwnd), msg.message,
                                     static_cast<uintptr_t>(msg.wParam),
                                     static_cast<intptr_t>(msg.lParam)});
        return true;
    }

    // Runs on the pump thread, so the windows belong to it.
    LRESULT Control(UINT message, WPARAM wParam) {
        if (message == kCreateRequest) {
            HWND window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          module_, nullptr);
            if (window != nullptr)
                MessageWindowTable::Instance().Add(AsToken(window));
            return reinterpret_cast<LRESULT>(window);
        }
        DestroyWindow(reinterpret_cast<HWND>(wParam));
        return 0;
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            if (create->lpCreateParams != nullptr) {
                SetWindowLongPtrA(window, GWLP_USERDATA,
                                  reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            }
        }
        if (message == kCreateRequest || message == kDestroyRequest) {
            auto* pump = reinterpret_cast<MessagePump*>(GetWindowLongPtrA(window, GWLP_USERDATA));
            if (pump != nullptr)
                return pump->Control(message, wParam);
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HMODULE module_ = nullptr;
    HWND control_ = nullptr;  // set before the constructor returns, then only read
};

}  // namespace

PIXORA_HWND CreateMessageWindow() {
    return AsToken(MessagePump::Instance().Create());
}

bool DestroyMessageWindow(PIXORA_HWND window) {
    if (window == nullptr || !MessageWindowTable::Instance().Remove(window))
        return false;
    MessagePump::Instance().Destroy(AsHwnd(window));
    return true;
}

bool PostAppMessage(PIXORA_HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    HWND target = AsHwnd(window);
    // Null would post to the calling thread, HWND_BROADCAST to every top-level window.
    if (target == nullptr || target == HWND_BROADCAST)
        return false;
    // A message window counts the message as on its way until the pump delivers it; other
    // windows are the application's, and the system queues for them.
    std::shared_ptr<MessageQueue> queue = MessageWindowTable::Instance().Find(window);
    if (queue && !queue->Reserve())
        return false;
    if (PostMessageA(target, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam)))
        return true;
    if (queue)
        queue->CancelReservation();
    return false;
}

}  // namespace pixora
