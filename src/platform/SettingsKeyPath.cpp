#include "platform/SettingsKeyPath.h"

#include "platform/RegistryFile.h"
#include "platform/SettingsStore.h"

namespace pixora {

namespace {

bool IsControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

}  // namespace

std::string FullKeyPath(const std::string& keyPath) {
    std::string full(kCurrentUserRoot);
    if (!keyPath.empty()) {
        full += '\\';
        full += keyPath;
    }
    return full;
}

bool ValidKeyPath(const std::string& keyPath) {
    if (keyPath.empty() || keyPath.front() == '\\' || keyPath.back() == '\\')
        return false;
    if (keyPath.find("\\\\") != std::string::npos)
        return false;
    for (char c : keyPath) {
        if (IsControl(c) || c == '[' || c == ']')
            return false;
    }
    return true;
}

bool ValidValueName(const std::string& name) {
    for (char c : name) {
        if (IsControl(c) || c == '"' || c == '\\')
            return false;
    }
    return true;
}

bool ValidValueNames(const std::vector<NamedValue>& values) {
    for (const NamedValue& v : values) {
        if (!ValidValueName(v.name))
            return false;
    }
    return true;
}

bool IsSubKeyPath(const std::string& parent, const std::string& child) {
    if (child.size() <= parent.size() || child[parent.size()] != '\\')
        return false;
    const std::string head = child.substr(0, parent.size());
    return !CaseInsensitiveLess{}(head, parent) && !CaseInsensitiveLess{}(parent, head);
}

}  // namespace pixora
