#include "platform/RegistryFile.h"

#include <algorithm>
#include <cstdio>

namespace pixora {

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view TrimLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    return line;
}

bool IsPrintable(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 0x20 && u != 0x7F;
    });
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = Lower(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// "[HKEY_CURRENT_USER\...]" with a non-empty path of non-empty components.
bool ParseSection(std::string_view line, std::string* key) {
    if (line.size() < 3 || line.front() != '[' || line.back() != ']')
        return false;
    std::string_view path = line.substr(1, line.size() - 2);
    if (path.empty() || path.front() == '-' || path.front() == '\\' || path.back() == '\\' ||
        path.find("\\\\") != std::string_view::npos || path.find_first_of("[]") != path.npos) {
        return false;
    }
    *key = std::string(path);
    return true;
}

// "name"=dword:xxxxxxxx with exactly eight hex digits; the name has no quote or backslash.
bool ParseDword(std::string_view line, std::string* name, uint32_t* value) {
    if (line.size() < 2 || line.front() != '"')
        return false;
    const size_t close = line.find('"', 1);
    if (close == std::string_view::npos)
        return false;
    std::string_view n = line.substr(1, close - 1);
    if (n.find('\\') != std::string_view::npos)
        return false;
    std::string_view rest = line.substr(close + 1);
    constexpr std::string_view kPrefix = "=dword:";
    if (rest.size() != kPrefix.size() + 8 || rest.substr(0, kPrefix.size()) != kPrefix) {
        return false;
    }
    uint32_t v = 0;
    for (char c : rest.substr(kPrefix.size())) {
        const int d = HexDigit(c);
        if (d < 0)
            return false;
        v = (v << 4) | static_cast<uint32_t>(d);
    }
    *name = std::string(n);
    *value = v;
    return true;
}

}  // namespace

bool CaseInsensitiveLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

ParsedRegistry ParseRegistryText(std::string_view text) {
    ParsedRegistry parsed;
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (text.substr(0, kBom.size()) == kBom)
        text.remove_prefix(kBom.size());

    bool sawHeader = false;
    std::string currentKey;
    bool inKey = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        const bool lastLine = end == std::string_view::npos;
        if (lastLine)
            end = text.size();
        const std::string_view line = TrimLineEnd(text.substr(pos, end - pos));
        pos = lastLine ? text.size() : end + 1;

        if (!IsPrintable(line)) {
            parsed.damaged = true;
            break;
        }
        if (!sawHeader) {
            if (line != kRegistryHeader) {
                parsed.damaged = true;
                break;
            }
            sawHeader = true;
            continue;
        }
        if (line.empty() || line.front() == ';')
            continue;

        std::string key;
        std::string name;
        uint32_t value = 0;
        if (ParseSection(line, &key)) {
            currentKey = key;
            inKey = true;
            parsed.contents.keys[currentKey];
        } else if (inKey && ParseDword(line, &name, &value)) {
            parsed.contents.keys[currentKey][name] = value;
        } else {
            parsed.damaged = true;
            break;
        }
    }
    if (!sawHeader && !text.empty())
        parsed.damaged = true;
    return parsed;
}

std::string FormatRegistryText(const RegistryContents& contents) {
    std::string out(kRegistryHeader);
    out += "\r\n";
    for (const auto& [key, values] : contents.keys) {
        out += "\r\n[";
        out += key;
        out += "]\r\n";
        for (const auto& [name, value] : values) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%08x", value);
            out += '"';
            out += name;
            out += "\"=dword:";
            out += hex;
            out += "\r\n";
        }
    }
    return out;
}

}  // namespace pixora
