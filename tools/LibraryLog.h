// The library's log on pixora's standard error: "pixora: warning: ...".
#pragma once

namespace pixora::cli {

// Installs the handler that prints the library's errors and warnings (not its info and
// debug messages). Again after anything else installed one (the GStreamer element does).
void PrintLibraryLog();

}  // namespace pixora::cli
