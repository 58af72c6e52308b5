// The one place where pixora asks the operating system directly.
#include "Terminal.h"

#include <unistd.h>

namespace pixora::cli {

bool StdoutIsTerminal() {
    return isatty(STDOUT_FILENO) == 1;
}

}  // namespace pixora::cli
