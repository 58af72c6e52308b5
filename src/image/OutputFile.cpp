#include "image/OutputFile.h"

#include <cstdio>

#include "platform/WritableFileText.h"

namespace pixora {

bool OutputFile::Open(const char* path) {
    file_.Discard();
    failure_.clear();
    if (path == nullptr || path[0] == '\0') {
        failure_ = "no file name";
        return false;
    }
    path_ = path;
    if (!file_.Open(path, &failure_))
        return false;
    if (file_.Stream() == nullptr) {
        failure_ = WriteFailureText(path);
        file_.Discard();
        return false;
    }
    return true;
}

bool OutputFile::Write(const void* data, size_t length) {
    if (!file_.IsOpen() || (data == nullptr && length != 0))
        return false;
    if (std::fwrite(data, 1, length, file_.Stream()) != length) {
        if (failure_.empty())
            failure_ = WriteFailureText(path_.c_str());
        return false;
    }
    return true;
}

bool OutputFile::Commit() {
    if (!file_.IsOpen())
        return false;
    if (!failure_.empty()) {
        // A write failed: what was written is not the whole file.
        file_.Discard();
        return false;
    }
    return file_.Commit(&failure_);
}

}  // namespace pixora
