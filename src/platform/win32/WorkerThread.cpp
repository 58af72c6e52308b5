// Worker threads on Windows: std::thread (winpthreads, which starts the thread with
// _beginthreadex), raised above normal priority like the system's capture threads.
#include "platform/WorkerThread.h"

#include <windows.h>

#include <new>
#include <system_error>

namespace pixora {

std::unique_ptr<std::thread> StartWorkerThread(std::function<void()> body) {
    try {
        return std::make_unique<std::thread>([body = std::move(body)] {
            // A refused priority leaves the thread at normal priority, which still works.
            SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
            body();
        });
    } catch (const std::system_error&) {
        return nullptr;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace pixora
