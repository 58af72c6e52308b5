// Whether standard output is a terminal, which decides between the live progress line and
// plain lines.
#pragma once

namespace pixora::cli {

bool StdoutIsTerminal();

}  // namespace pixora::cli
