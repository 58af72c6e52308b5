// The file a recording goes to, replaced whole or not at all: the muxer writes a temporary
// file beside the target (the same folder, so that the rename is atomic), which takes the
// target's place only once the recording is finished and on disk. A recording that fails
// leaves the file that was there as it was, and no temporary. A symbolic link at the path
// is followed (its destination is replaced, the link stays); the target's permissions are
// kept.
#pragma once

#include <string>

namespace pixora::cli {

class ReplacedFile {
public:
    explicit ReplacedFile(const std::string& target);
    // Removes the temporary unless Commit succeeded.
    ~ReplacedFile();
    ReplacedFile(const ReplacedFile&) = delete;
    ReplacedFile& operator=(const ReplacedFile&) = delete;

    // Where the muxer writes; empty when no temporary could be made (the reason in Failure).
    const std::string& Temporary() const { return temporary_; }
    // Syncs the temporary, gives it the target's permissions and renames it over the target.
    bool Commit();
    // Why the temporary could not be made or put in place, in words.
    const std::string& Failure() const { return failure_; }

private:
    std::string target_;
    std::string temporary_;
    std::string failure_;
};

}  // namespace pixora::cli
