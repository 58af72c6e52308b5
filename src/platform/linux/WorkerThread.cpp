#include "platform/WorkerThread.h"

#include <system_error>

namespace pixora {

std::unique_ptr<std::thread> StartWorkerThread(std::function<void()> body) {
    try {
        return std::make_unique<std::thread>(std::move(body));
    } catch (const std::system_error&) {
        return nullptr;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace pixora
