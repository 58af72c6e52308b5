#include "platform/Log.h"

#include <atomic>
#include <mutex>
#include <string>

namespace pixora {

namespace {

// One handler for the process, as messages of the image libraries and the toolkit belong
// to no camera handle. Never destroyed: a worker may log while the process exits.
struct LogSink {
    // Held while the handler runs, so that calls never overlap and a change of handler
    // waits for the call in progress.
    std::mutex mutex;
    PixoraLogHandler handler = nullptr;
    void* context = nullptr;
    // Read without the lock: with no handler a message costs nothing.
    std::atomic<bool> installed{false};
};

LogSink& Sink() {
    static LogSink* const sink = new LogSink;
    return *sink;
}

// Set on the thread that runs the handler: the library's own messages from inside it, and
// a change of handler, would wait on the lock that thread holds.
thread_local bool insideHandler = false;

}  // namespace

bool SetLogHandler(PixoraLogHandler handler, void* context) {
    if (insideHandler)
        return false;
    LogSink& sink = Sink();
    std::lock_guard lock(sink.mutex);
    sink.handler = handler;
    sink.context = handler != nullptr ? context : nullptr;
    sink.installed.store(handler != nullptr);
    return true;
}

void Log(LogLevel level, std::string_view text) {
    LogSink& sink = Sink();
    if (!sink.installed.load() || insideHandler)
        return;
    const std::string message(text);
    std::lock_guard lock(sink.mutex);
    if (sink.handler == nullptr)
        return;
    insideHandler = true;
    sink.handler(static_cast<int32_t>(level), message.c_str(), sink.context);
    insideHandler = false;
}

}  // namespace pixora
