// Opening a file for writing an image into it: a missing file is created, an existing
// regular file is emptied. Anything else at the path (a FIFO, a device, a directory) is
// refused without blocking and without being touched, so that a save can never hang on a
// pipe nobody reads or overwrite a device.
#pragma once

#include <cstdio>
#include <string>

namespace pixora {

// A stdio stream in binary write mode, or null with the reason in *why (when not null),
// for example "cannot create 'out/a.png': No such file or directory".
std::FILE* OpenWritableFile(const char* path, std::string* why);

#ifndef _WIN32
// The same as a file descriptor, for libraries that take one; -1 with the reason in *why.
// CloseDescriptor closes one that no library took over.
int OpenWritableDescriptor(const char* path, std::string* why);
void CloseDescriptor(int descriptor);
#endif

// The reason for a failed write or close of `path`, from the system's last error
// ("cannot write 'a.png': No space left on device").
std::string WriteFailureText(const char* path);

}  // namespace pixora
