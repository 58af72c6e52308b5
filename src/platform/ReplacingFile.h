// A file written so that it replaces its target whole or not at all. The bytes go to a
// temporary file beside the target (the same folder, so that the final rename is atomic),
// which takes the target's place only once it is complete and on disk. Until Commit
// succeeds, and after any failure, the target is byte for byte as it was, and no temporary
// remains once the object is gone.
//
// A symbolic link at the path is followed: its destination is replaced and the link stays.
// The target's permissions are kept (and its owner where the system lets the writer give
// it); a new file gets the usual ones (0666 less the umask, or the owner's alone when asked
// for). Anything other than a regular file at the path (a FIFO, a device, a folder) is
// refused without being opened, as is a file the caller may not write to.
#pragma once

#include <cstdio>
#include <string>

namespace pixora {

class ReplacingFile {
public:
    ReplacingFile() = default;
    // Discards the temporary unless Commit succeeded.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Makes the temporary for `path`. False with the reason in *why (when not null), for
    // example "cannot create 'out/a.png': No such file or directory"; nothing is created
    // then. `ownerOnly`: a new file is readable and writable by its owner alone.
    bool Open(const char* path, std::string* why, bool ownerOnly = false);
    bool IsOpen() const { return open_; }

    // The temporary as a stdio stream in binary write mode (null when not open). The stream
    // stays this object's: close it only through Commit or Discard.
#ifndef _WIN32
    // Or its descriptor, for libraries that take one; give them a dup() of it if they close
    // what they are given. Not both: use the stream or the descriptor.
    int Descriptor() const {
        return fd_;
    }
#endif
    std::FILE* Stream();

    // Writes out what is buffered, forces it to disk, gives the temporary the target's
    // permissions and renames it over the target. False with the system's reason in *why
    // ("cannot write 'a.png': No space left on device"); the target is untouched then and
    // the temporary gone.
    bool Commit(std::string* why);
    // Drops the temporary; the target stays as it was. Harmless when nothing is open.
    void Discard();

private:
    bool open_ = false;
    std::string path_;    // as the caller named it, for the reasons given
    std::string target_;  // the file replaced: the path with its links followed
    std::string temporary_;
    std::FILE* stream_ = nullptr;
#ifndef _WIN32
    int fd_ = -1;
#endif
};

}  // namespace pixora
