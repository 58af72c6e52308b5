#include "platform/WritableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pixora {

namespace {

std::string Quoted(const char* path) {
    return std::string("'") + (path != nullptr ? path : "") + "'";
}

void Explain(std::string* why, std::string text) {
    if (why != nullptr)
        *why = std::move(text);
}

}  // namespace

int OpenWritableDescriptor(const char* path, std::string* why) {
    if (path == nullptr || path[0] == '\0') {
        Explain(why, "no file name");
        return -1;
    }
    // Non-blocking, and not truncating: a FIFO without a reader fails at once instead of
    // waiting, and nothing is emptied before it is known to be a regular file.
    const int fd = open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        const int error = errno;
        if (error == ENXIO) {
            Explain(why, "cannot write " + Quoted(path) + ": not a regular file");
        } else {
            Explain(why, "cannot create " + Quoted(path) + ": " + std::strerror(error));
        }
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        Explain(why, "cannot write " + Quoted(path) + ": not a regular file");
        return -1;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (ftruncate(fd, 0) != 0 || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        Explain(why, "cannot write " + Quoted(path) + ": " + std::strerror(errno));
        close(fd);
        return -1;
    }
    return fd;
}

void CloseDescriptor(int descriptor) {
    if (descriptor >= 0)
        close(descriptor);
}

std::FILE* OpenWritableFile(const char* path, std::string* why) {
    const int fd = OpenWritableDescriptor(path, why);
    if (fd < 0)
        return nullptr;
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        Explain(why, "cannot write " + Quoted(path) + ": " + std::strerror(errno));
        close(fd);
    }
    return file;
}

std::string WriteFailureText(const char* path) {
    const int error = errno;
    return "cannot write " + Quoted(path) + ": " +
           (error != 0 ? std::strerror(error) : "the file could not be completed");
}

}  // namespace pixora
