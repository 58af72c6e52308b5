#include "SaveFormats.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>

#include "CommandLine.h"
#include "PixoraSdk_530TZ.h"

namespace pixora::cli {

namespace {

constexpr std::array kFormats = {
    SaveFormat{"bmp", PIXORA_SAVE_BMP, ".bmp"},
    SaveFormat{"raw", PIXORA_SAVE_RAW, ".raw"},
    SaveFormat{"jpeg", PIXORA_SAVE_JPEG, ".jpg"},
    SaveFormat{"jpeg70", PIXORA_SAVE_JPEG_70, ".jpg"},
    SaveFormat{"jpeg20", PIXORA_SAVE_JPEG_20, ".jpg"},
    SaveFormat{"png", PIXORA_SAVE_PNG, ".png"},
    SaveFormat{"tiff", PIXORA_SAVE_TIFF, ".tif"},
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

SaveFormat FormatByName(std::string_view name) {
    const std::string lower = Lower(std::string(name));
    for (const SaveFormat& format : kFormats) {
        if (lower == format.name)
            return format;
    }
    if (lower == "jpg")
        return kFormats[2];
    if (lower == "tif")
        return kFormats[6];
    throw UsageError("unknown format '" + std::string(name) + "' (formats: " + FormatNames() + ")");
}

SaveFormat FormatForPath(const std::string& path) {
    const std::string extension = Lower(std::filesystem::path(path).extension().string());
    if (extension == ".jpeg")
        return kFormats[2];
    if (extension == ".tiff")
        return kFormats[6];
    for (const SaveFormat& format : kFormats) {
        if (extension == format.extension)
            return format;
    }
    throw UsageError("cannot tell the format from the name '" + path +
                     "': give --format or end the name with .bmp, .raw, .jpg, .png or .tif");
}

std::string FormatNames() {
    std::string names;
    for (const SaveFormat& format : kFormats) {
        if (!names.empty())
            names += ", ";
        names += format.name;
    }
    return names;
}

}  // namespace pixora::cli
