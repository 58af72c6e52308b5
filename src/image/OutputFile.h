// A file written whole or not at all (see platform/ReplacingFile.h): the bytes go to a
// temporary beside the target, which takes the target's place only on Commit. Anything else
// at the path than a regular file is refused; an object dropped without a successful
// Commit leaves the target as it was.
#pragma once

#include <cstddef>
#include <string>

#include "platform/ReplacingFile.h"

namespace pixora {

class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Drops anything open, then starts the replacement of `path`. False for a null path or
    // when the temporary cannot be made.
    bool Open(const char* path);
    // Writes `length` bytes; false if no file is open or not everything was written.
    bool Write(const void* data, size_t length);
    // Puts what was written in the target's place. False if nothing was open, a write
    // failed before, or the file could not be completed (a full disk shows up here at the
    // latest); the target is then as it was.
    bool Commit();
    bool IsOpen() const { return file_.IsOpen(); }

    // Why the first failed step failed, in words ("cannot create 'x': Permission denied");
    // empty while nothing failed.
    const std::string& Failure() const { return failure_; }

private:
    ReplacingFile file_;
    std::string path_;
    std::string failure_;
};

}  // namespace pixora
