// Message windows on Windows: real message-only windows (parent HWND_MESSAGE), so the
// library's posts go through PostMessageA like those to any application window. One
// library thread owns every such window and pumps its message queue; it moves each posted
// message into the window's own queue, which PixoraMsg_Get reads from any thread.
#include <windows.h>
// <windows.h> maps this name to PostThreadMessage; here it is the library's own function.
#undef PostAppMessage

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "platform/MessageWindow.h"

namespace pixora {

namespace {

constexpr char kWindowClass[] = "PixoraMessageWindow";
// Requests sent to the pump thread's control window.
constexpr UINT kCreateRequest = WM_USER + 1;
constexpr UINT kDestroyRequest = WM_USER + 2;
constexpr UINT kRequestTimeoutMs = 10000;
// How long a reader waits for messages it knows are already posted but not yet pumped.
constexpr auto kInFlightGrace = std::chrono::seconds(2);

struct WindowQueue {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<PixoraMessage> messages;
    size_t inFlight = 0;  // posted through PostAppMessage, not yet taken from the system
    bool destroyed = false;
};

HWND AsHwnd(PIXORA_HWND window) {
    return reinterpret_cast<HWND>(window);
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

    bool Destroy(HWND window) {
        std::shared_ptr<WindowQueue> queue;
        {
            std::lock_guard lock(mutex_);
            auto it = windows_.find(window);
            if (it == windows_.end())
                return false;
            queue = std::move(it->second);
            windows_.erase(it);
        }
        {
            std::lock_guard lock(queue->mutex);
            queue->destroyed = true;
            queue->messages.clear();
        }
        queue->arrived.notify_all();
        DWORD_PTR ignored = 0;
        Ask(kDestroyRequest, reinterpret_cast<WPARAM>(window), &ignored);
        return true;
    }

    std::shared_ptr<WindowQueue> Find(HWND window) {
        if (window == nullptr)
            return nullptr;
        std::lock_guard lock(mutex_);
        auto it = windows_.find(window);
        return it == windows_.end() ? nullptr : it->second;
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
    bool Deliver(const MSG& msg) {
        std::shared_ptr<WindowQueue> queue = Find(msg.hwnd);
        if (!queue)
            return false;
        {
            std::lock_guard lock(queue->mutex);
            if (queue->inFlight > 0)
                --queue->inFlight;
            if (!queue->destroyed && queue->messages.size() < kMessageQueueLimit) {
                queue->messages.push_back(PixoraMessage{
                    reinterpret_cast<PIXORA_HWND>(msg.hwnd), msg.message,
                    static_cast<uintptr_t>(msg.wParam), static_cast<intptr_t>(msg.lParam)});
            }
        }
        queue->arrived.notify_all();
        return true;
    }

    // Runs on the pump thread, so the windows belong to it.
    LRESULT Control(UINT message, WPARAM wParam) {
        if (message == kCreateRequest) {
            HWND window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          module_, nullptr);
            if (window != nullptr) {
                std::lock_guard lock(mutex_);
                windows_[window] = std::make_shared<WindowQueue>();
            }
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
    std::mutex mutex_;
    std::unordered_map<HWND, std::shared_ptr<WindowQueue>> windows_;
};

}  // namespace

PIXORA_HWND CreateMessageWindow() {
    return reinterpret_cast<PIXORA_HWND>(MessagePump::Instance().Create());
}

bool DestroyMessageWindow(PIXORA_HWND window) {
    return window != nullptr && MessagePump::Instance().Destroy(AsHwnd(window));
}

bool IsMessageWindow(PIXORA_HWND window) {
    return MessagePump::Instance().Find(AsHwnd(window)) != nullptr;
}

int32_t GetWindowMessage(PIXORA_HWND window, PixoraMessage* out, int32_t timeoutMs) {
    if (out == nullptr)
        return -1;
    std::shared_ptr<WindowQueue> queue = MessagePump::Instance().Find(AsHwnd(window));
    if (!queue)
        return -1;
    std::unique_lock lock(queue->mutex);
    auto ready = [&] { return queue->destroyed || !queue->messages.empty(); };
    if (timeoutMs < 0) {
        queue->arrived.wait(lock, ready);
    } else if (!queue->arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
        // Messages posted before this call are on their way through the system queue; a
        // reader that asked after posting must see them, as with a queue of its own.
        queue->arrived.wait_for(lock, kInFlightGrace,
                                [&] { return ready() || queue->inFlight == 0; });
        if (!ready())
            return 0;
    }
    if (queue->destroyed)
        return -1;
    *out = queue->messages.front();
    queue->messages.pop_front();
    return 1;
}

int32_t PendingWindowMessages(PIXORA_HWND window) {
    std::shared_ptr<WindowQueue> queue = MessagePump::Instance().Find(AsHwnd(window));
    if (!queue)
        return -1;
    std::lock_guard lock(queue->mutex);
    return static_cast<int32_t>(queue->messages.size() + queue->inFlight);
}

bool PostAppMessage(PIXORA_HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    HWND target = AsHwnd(window);
    // Null would post to the calling thread, HWND_BROADCAST to every top-level window.
    if (target == nullptr || target == HWND_BROADCAST)
        return false;
    std::shared_ptr<WindowQueue> queue = MessagePump::Instance().Find(target);
    if (queue) {
        std::lock_guard lock(queue->mutex);
        if (queue->destroyed || queue->messages.size() + queue->inFlight >= kMessageQueueLimit)
            return false;
        ++queue->inFlight;
    }
    if (PostMessageA(target, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam)))
        return true;
    if (queue) {
        {
            std::lock_guard lock(queue->mutex);
            if (queue->inFlight > 0)
                --queue->inFlight;
        }
        queue->arrived.notify_all();
    }
    return false;
}

}  // namespace pixora
