#include "platform/WritableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/WritableFileText.h"

namespace pixora {

using writable_file::CannotCreateText;
using writable_file::CannotWriteText;
using writable_file::Explain;
using writable_file::HasFileName;
using writable_file::NotRegularFileText;

int OpenWritableDescriptor(const char* path, std::string* why) {
    if (!HasFileName(path, why))
        return -1;
    // Non-blocking, and not truncating: a FIFO without a reader fails at once instead of
    // waiting, and nothing is emptied before it is known to be a regular file.
    const int fd = open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        const int error = errno;
        Explain(why, error == ENXIO ? NotRegularFileText(path) : CannotCreateText(path, error));
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        Explain(why, NotRegularFileText(path));
        return -1;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (ftruncate(fd, 0) != 0 || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        Explain(why, CannotWriteText(path, errno));
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
        Explain(why, CannotWriteText(path, errno));
        close(fd);
    }
    return file;
}

}  // namespace pixora
