// What the Windows suites do with the windows they look at: the thread's message pump, a
// bounded wait that pumps, and a window's class name. Windows only.
#pragma once

#ifdef _WIN32
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace pixora::test {

// Dispatches every message waiting for the calling thread.
inline void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Pumps while it waits (bounded); false when `ready` never held.
inline bool PumpUntil(const std::function<bool()>& ready) {
    for (int i = 0; i < 500; ++i) {
        Pump();
        if (ready())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

inline std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

}  // namespace pixora::test

#endif
