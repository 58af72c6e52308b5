#include "SaveFormats.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

#include "CommandLine.h"
#include "LibraryTable.h"
#include "PixoraExtensions.h"

namespace pixora::cli {

namespace {

// The library's table, read once: its texts stay valid while the library is loaded.
const std::vector<PixoraSaveFormatInfo>& Formats() {
    static const std::vector<PixoraSaveFormatInfo> formats = ReadLibraryTable<PixoraSaveFormatInfo>(
        PixoraEx_GetSaveFormatCount(), PixoraEx_GetSaveFormatInfo);
    return formats;
}

SaveFormat Chosen(const PixoraSaveFormatInfo& info) {
    const char* extension = info.extensions[0] != nullptr ? info.extensions[0] : "";
    return {info.name, info.code, extension};
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

const PixoraSaveFormatInfo* ByExtension(const std::string& extension) {
    for (const PixoraSaveFormatInfo& info : Formats()) {
        for (const char* const* listed = info.extensions; *listed != nullptr; ++listed) {
            if (extension == *listed)
                return &info;
        }
    }
    return nullptr;
}

// ".bmp, .raw, .jpg, .png or .tif": the extension that names new files of each format.
std::string FirstExtensions() {
    std::vector<std::string> firsts;
    for (const PixoraSaveFormatInfo& info : Formats()) {
        const std::string first = Chosen(info).extension;
        if (!first.empty() && std::find(firsts.begin(), firsts.end(), first) == firsts.end())
            firsts.push_back(first);
    }
    std::string text;
    for (std::size_t i = 0; i < firsts.size(); ++i) {
        if (i > 0)
            text += i + 1 == firsts.size() ? " or " : ", ";
        text += firsts[i];
    }
    return text;
}

}  // namespace

SaveFormat FormatByName(std::string_view name) {
    const std::string lower = Lower(std::string(name));
    for (const PixoraSaveFormatInfo& info : Formats()) {
        if (lower == info.name)
            return Chosen(info);
    }
    if (const PixoraSaveFormatInfo* info = ByExtension("." + lower))
        return Chosen(*info);
    throw UsageError("unknown format '" + std::string(name) + "' (formats: " + FormatNames() + ")");
}

SaveFormat FormatForPath(const std::string& path) {
    const std::string extension = Lower(std::filesystem::path(path).extension().string());
    if (const PixoraSaveFormatInfo* info = ByExtension(extension))
        return Chosen(*info);
    throw UsageError("cannot tell the format from the name '" + path +
                     "': give --format or end the name with " + FirstExtensions());
}

std::string FormatNames() {
    std::string names;
    for (const PixoraSaveFormatInfo& info : Formats()) {
        if (!names.empty())
            names += ", ";
        names += info.name;
    }
    return names;
}

std::string ExtensionList() {
    std::string text;
    std::vector<std::string> seen;
    for (const PixoraSaveFormatInfo& info : Formats()) {
        std::string group;
        for (const char* const* listed = info.extensions; *listed != nullptr; ++listed) {
            if (std::find(seen.begin(), seen.end(), *listed) != seen.end())
                continue;
            seen.emplace_back(*listed);
            group += (group.empty() ? "" : "/") + std::string(*listed);
        }
        if (!group.empty())
            text += (text.empty() ? "" : " ") + group;
    }
    return text;
}

}  // namespace pixora::cli
