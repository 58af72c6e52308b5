// File formats of saved frames: the names on the command line, the library's format codes
// and the file extensions that choose them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pixora::cli {

struct SaveFormat {
    const char* name;  // bmp, raw, jpeg, jpeg70, jpeg20, png, tiff
    int32_t code;      // PIXORA_SAVE_*
    const char* extension;
};

// The format of that name; throws UsageError for an unknown name.
SaveFormat FormatByName(std::string_view name);

// The format that the file's extension names (case-insensitive: .bmp .raw .jpg .jpeg .png
// .tif .tiff); throws UsageError when the extension names none.
SaveFormat FormatForPath(const std::string& path);

// "bmp, raw, jpeg, jpeg70, jpeg20, png, tiff".
std::string FormatNames();

}  // namespace pixora::cli
