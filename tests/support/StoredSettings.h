// Settings files written before a session opens: a small capture window keeps every frame
// cheap, so a suite can run hundreds of captures under the sanitizers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace pixora::test {

struct StoredFormat {
    int32_t width = 160;
    int32_t height = 120;
    int32_t column = 0;
    int32_t row = 0;
    int32_t colorIndex = 2;  // 24 bits per pixel
    int32_t waitTimeMs = 0;
};

inline std::string Dword(const char* name, uint32_t value) {
    char line[64];
    std::snprintf(line, sizeof line, "\"%s\"=dword:%08x\r\n", name, value);
    return line;
}

// The capture format of the settings file, as the camera property dialog stores it.
inline std::string SettingsText(const StoredFormat& f) {
    const std::string root = "[HKEY_CURRENT_USER\\Software\\Mendal\\Pixora530TZSdk";
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
    text += root + "]\r\n";
    text += Dword("Clock", 0);
    text += Dword("Color", static_cast<uint32_t>(f.colorIndex));
    text += Dword("Size", 0);
    text += Dword("SubSample", 0);
    text += Dword("WaitTime", static_cast<uint32_t>(f.waitTimeMs));
    text += "\r\n" + root + "\\Size_00]\r\n";
    text += Dword("Buf", 10);
    text += Dword("EH", static_cast<uint32_t>(f.width));
    text += Dword("EHS", static_cast<uint32_t>(f.column));
    text += Dword("EV", static_cast<uint32_t>(f.height));
    text += Dword("EVS", static_cast<uint32_t>(f.row));
    text += Dword("TH", 1360);
    text += Dword("TV", 1024);
    return text;
}

inline int32_t StrideOf(int32_t width, int32_t bits) {
    return (width * bits / 8 + 3) & ~3;
}

}  // namespace pixora::test
