// The reasons the file writers give for a refusal or a failure, worded once for every
// system ("cannot create 'out/a.png': No such file or directory").
#pragma once

#include <string>

namespace pixora::writable_file {

// True when `path` names a file; else false with "no file name" in *why (when not null).
bool HasFileName(const char* path, std::string* why);
// Stores `text` in *why when why is not null.
void Explain(std::string* why, std::string text);

// "cannot write 'a.png': not a regular file"
std::string NotRegularFileText(const char* path);
// "cannot create 'a.png': " and the system's text for `error` (an errno value).
std::string CannotCreateText(const char* path, int error);
// "cannot write 'a.png': " and the system's text for `error` (an errno value).
std::string CannotWriteText(const char* path, int error);

}  // namespace pixora::writable_file

namespace pixora {

// The reason for a failed write or close of `path`, from the system's last error (errno):
// "cannot write 'a.png': No space left on device".
std::string WriteFailureText(const char* path);

}  // namespace pixora
