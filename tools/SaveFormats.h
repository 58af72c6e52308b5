// File formats of saved frames, as the library describes them at run time: the names on
// the command line, the library's format codes and the file extensions that choose them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pixora::cli {

struct SaveFormat {
    const char* name;       // the library's name: bmp, raw, jpeg, ...
    int32_t code;           // PIXORA_SAVE_*
    const char* extension;  // what new files of the format end with
};

// The format of that name, or the format that the name as an extension without its dot
// chooses ("jpg", "tif"); throws UsageError for an unknown name.
SaveFormat FormatByName(std::string_view name);

// The format that the file's extension chooses (case-insensitive; the first format in the
// library's order that lists it); throws UsageError when the extension names none.
SaveFormat FormatForPath(const std::string& path);

// "bmp, raw, jpeg, jpeg70, jpeg20, png, tiff".
std::string FormatNames();

// ".bmp .raw .jpg/.jpeg .png .tif/.tiff": every extension, those of one format together.
std::string ExtensionList();

}  // namespace pixora::cli
