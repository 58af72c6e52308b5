// The few POSIX environment and scratch-directory calls the suites use, for the Windows
// build (the MSVCRT has _putenv_s and _mkdir instead). Included ahead of every test file
// there; empty elsewhere.
#pragma once

#ifdef _WIN32

#include <direct.h>
#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <random>

inline int setenv(const char* name, const char* value, int overwrite) {
    if (name == nullptr || value == nullptr) {
        errno = EINVAL;
        return -1;
    }
    if (!overwrite && getenv(name) != nullptr) {
        return 0;
    }
    // An empty value removes the variable on Windows; the suites treat empty as unset.
    return _putenv_s(name, value) == 0 ? 0 : -1;
}

inline int unsetenv(const char* name) {
    return name != nullptr && _putenv_s(name, "") == 0 ? 0 : -1;
}

// Replaces the trailing XXXXXX of `pattern` and creates that directory.
inline char* mkdtemp(char* pattern) {
    const size_t length = pattern != nullptr ? std::strlen(pattern) : 0;
    if (length < 6 || std::strcmp(pattern + length - 6, "XXXXXX") != 0) {
        errno = EINVAL;
        return nullptr;
    }
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (size_t i = length - 6; i < length; ++i) {
            pattern[i] = kLetters[random() % (sizeof kLetters - 1)];
        }
        if (_mkdir(pattern) == 0) {
            return pattern;
        }
        if (errno != EEXIST) {
            return nullptr;
        }
    }
    return nullptr;
}

#endif
