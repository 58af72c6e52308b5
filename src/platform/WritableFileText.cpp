#include "platform/WritableFileText.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace pixora {

namespace {

// "<what> '<path>': <reason>"
std::string Reason(const char* what, const char* path, const char* reason) {
    return std::string(what) + " '" + (path != nullptr ? path : "") + "': " + reason;
}

}  // namespace

namespace writable_file {

bool HasFileName(const char* path, std::string* why) {
    if (path != nullptr && path[0] != '\0')
        return true;
    Explain(why, "no file name");
    return false;
}

void Explain(std::string* why, std::string text) {
    if (why != nullptr)
        *why = std::move(text);
}

std::string NotRegularFileText(const char* path) {
    return Reason("cannot write", path, "not a regular file");
}

std::string CannotCreateText(const char* path, int error) {
    return Reason("cannot create", path, std::strerror(error));
}

std::string CannotWriteText(const char* path, int error) {
    return Reason("cannot write", path, std::strerror(error));
}

}  // namespace writable_file

std::string WriteFailureText(const char* path) {
    const int error = errno;
    return Reason("cannot write", path,
                  error != 0 ? std::strerror(error) : "the file could not be completed");
}

}  // namespace pixora
