// A settings file in a scratch directory that the library uses instead of the user's own.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "TempDir.h"

#ifdef _WIN32
// The settings live in the registry, below a key of their own for this fixture's name.
#include "platform/win32/SettingsText.h"
#endif

namespace pixora::test {

// Points PIXORA_REGISTRY at a fresh file for the lifetime of the object.
class ScopedRegistry {
public:
    ScopedRegistry() : file_(dir_.File("registry.reg")) {
        if (const char* old = std::getenv("PIXORA_REGISTRY")) {
            old_ = old;
            hadOld_ = true;
        }
        setenv("PIXORA_REGISTRY", file_.c_str(), 1);
    }
    ~ScopedRegistry() {
#ifdef _WIN32
        ClearSettings(file_);
#endif
        if (hadOld_) {
            setenv("PIXORA_REGISTRY", old_.c_str(), 1);
        } else {
            unsetenv("PIXORA_REGISTRY");
        }
    }
    const std::string& File() const {
        return file_;
    }
    std::string Text() const {
#ifdef _WIN32
        return ExportSettingsText(file_);
#else
        std::ifstream in(file_, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
#endif
    }
    void Write(const std::string& text) const {
#ifdef _WIN32
        ImportSettingsText(file_, text);
#else
        std::ofstream out(file_, std::ios::binary | std::ios::trunc);
        out << text;
#endif
    }

private:
    TempDir dir_;
    std::string file_;
    std::string old_;
    bool hadOld_ = false;
};

}  // namespace pixora::test
