#include "image/OutputFile.h"

namespace pixora {

OutputFile::~OutputFile() {
    Close();
}

bool OutputFile::Open(const char* path) {
    Close();
    if (path == nullptr || path[0] == '\0') {
        return false;
    }
    file_ = std::fopen(path, "wb");
    return file_ != nullptr;
}

bool OutputFile::Write(const void* data, size_t length) {
    if (file_ == nullptr || (data == nullptr && length != 0)) {
        return false;
    }
    return std::fwrite(data, 1, length, file_) == length;
}

bool OutputFile::Close() {
    if (file_ == nullptr) {
        return false;
    }
    const bool flushed = std::fflush(file_) == 0 && std::ferror(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return flushed && closed;
}

}  // namespace pixora
