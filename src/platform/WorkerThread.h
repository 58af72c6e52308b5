// Starting worker threads. The library's workers run at a raised priority where the
// system allows it; a thread that cannot be started is reported, never thrown.
#pragma once

#include <functional>
#include <memory>
#include <thread>

namespace pixora {

// Starts `body` on a new thread; null when the thread could not be created.
std::unique_ptr<std::thread> StartWorkerThread(std::function<void()> body);

}  // namespace pixora
