// A file opened for writing, closed by its destructor if still open. An existing regular
// file is emptied and rewritten, a missing one created; anything else at the path is
// refused (see platform/WritableFile.h).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace pixora {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Closes anything open, then opens `path`. False for a null path or when the file
    // cannot be opened or created.
    bool Open(const char* path);
    // Writes `length` bytes; false if no file is open or not everything was written.
    bool Write(const void* data, size_t length);
    // Closes the file. False if nothing was open or buffered data could not be written
    // (a full disk shows up here at the latest).
    bool Close();
    bool IsOpen() const { return file_ != nullptr; }

    // Why the first failed step failed, in words ("cannot create 'x': Permission denied");
    // empty while nothing failed.
    const std::string& Failure() const { return failure_; }

private:
    void NoteWriteFailure();

    std::FILE* file_ = nullptr;
    std::string path_;
    std::string failure_;
};

}  // namespace pixora
