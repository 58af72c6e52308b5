// What the library has to tell that no call can return: a settings file it may not rewrite,
// an image library's warning, the toolkit's complaints. It goes to the handler the
// application installed with PixoraEx_SetLogHandler, or nowhere: the library never writes
// to the process's standard streams.
#pragma once

#include <string_view>

#include "PixoraExtensions.h"

namespace pixora {

enum class LogLevel : int32_t {
    Error = PIXORA_LOG_ERROR,
    Warning = PIXORA_LOG_WARNING,
    Info = PIXORA_LOG_INFO,
    Debug = PIXORA_LOG_DEBUG,
};

// Installs `handler` with its `context` for the whole process (null: none). Once this
// returns, the previous handler is not running and is never called again. False, changing
// nothing, when called from inside a handler.
bool SetLogHandler(PixoraLogHandler handler, void* context);

// Hands `text` to the handler, if one is installed. Calls never overlap; a message logged
// from inside the handler (on its own thread) is dropped.
void Log(LogLevel level, std::string_view text);

}  // namespace pixora
