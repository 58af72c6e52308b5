#include "image/OutputFile.h"

#include "platform/WritableFile.h"

namespace pixora {

OutputFile::~OutputFile() {
    Close();
}

bool OutputFile::Open(const char* path) {
    Close();
    failure_.clear();
    if (path == nullptr || path[0] == '\0') {
        failure_ = "no file name";
        return false;
    }
    path_ = path;
    file_ = OpenWritableFile(path, &failure_);
    return file_ != nullptr;
}

void OutputFile::NoteWriteFailure() {
    if (failure_.empty())
        failure_ = WriteFailureText(path_.c_str());
}

bool OutputFile::Write(const void* data, size_t length) {
    if (file_ == nullptr || (data == nullptr && length != 0)) {
        return false;
    }
    if (std::fwrite(data, 1, length, file_) != length) {
        NoteWriteFailure();
        return false;
    }
    return true;
}

bool OutputFile::Close() {
    if (file_ == nullptr) {
        return false;
    }
    const bool flushed = std::fflush(file_) == 0 && std::ferror(file_) == 0;
    if (!flushed)
        NoteWriteFailure();
    const bool closed = std::fclose(file_) == 0;
    if (!closed)
        NoteWriteFailure();
    file_ = nullptr;
    return flushed && closed;
}

}  // namespace pixora
