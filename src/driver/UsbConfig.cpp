#include "driver/UsbConfig.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/Environment.h"

namespace pixora {

namespace {

bool ParseHex(std::string_view text, size_t maxDigits, uint32_t& value) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > maxDigits) {
        return false;
    }
    value = 0;
    for (const char c : text) {
        uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<uint32_t>(c - 'A' + 10);
        } else {
            return false;
        }
        value = value * 16 + digit;
    }
    return true;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    std::istringstream in{std::string(line)};
    std::string word;
    while (in >> word) {
        words.push_back(word);
    }
    return words;
}

std::string ReadFile(const std::string& path, bool& found) {
    std::ifstream in(path, std::ios::binary);
    found = static_cast<bool>(in);
    std::ostringstream text;
    if (found) {
        text << in.rdbuf();
    }
    return text.str();
}

}  // namespace

const UsbCameraModel* UsbConfig::Find(uint16_t vendor, uint16_t product) const {
    for (const UsbCameraModel& model : cameras) {
        if (model.vendor == vendor && model.product == product) {
            return &model;
        }
    }
    return nullptr;
}

bool ParseUsbIds(std::string_view text, uint16_t& vendor, uint16_t& product) {
    const std::vector<std::string_view> parts = Split(text, ':');
    uint32_t v = 0;
    uint32_t p = 0;
    if (parts.size() != 2 || !ParseHex(parts[0], 4, v) || !ParseHex(parts[1], 4, p)) {
        return false;
    }
    vendor = static_cast<uint16_t>(v);
    product = static_cast<uint16_t>(p);
    return true;
}

bool ParseEndpointMap(std::string_view text, EndpointMap& map, std::string* why) {
    const std::vector<std::string_view> parts = Split(text, ',');
    uint32_t addresses[3] = {};
    if (parts.size() != 3) {
        if (why != nullptr) {
            *why = "an endpoint map names three endpoint addresses, OUT,IN,IN (like 01,82,83)";
        }
        return false;
    }
    for (size_t i = 0; i < 3; ++i) {
        if (!ParseHex(parts[i], 2, addresses[i]) || (addresses[i] & 0x0F) == 0 ||
            (addresses[i] & 0x70) != 0) {
            if (why != nullptr) {
                // Quoted in place: GCC 12's -Wrestrict misreads "'" + text + "..." at -O3
                // (a false positive that breaks the Release build).
                std::string quoted(parts[i]);
                quoted.insert(quoted.begin(), '\'');
                *why = quoted + "' is no endpoint address (hex, like 82)";
            }
            return false;
        }
    }
    const bool fits =
        (addresses[0] & 0x80) == 0 && (addresses[1] & 0x80) != 0 && (addresses[2] & 0x80) != 0;
    if (!fits) {
        if (why != nullptr) {
            *why =
                "pipe 0 needs an OUT endpoint (bit 7 clear) and pipes 1 and 2 IN endpoints "
                "(bit 7 set), like 01,82,83";
        }
        return false;
    }
    map = EndpointMap{static_cast<uint8_t>(addresses[0]), static_cast<uint8_t>(addresses[1]),
                      static_cast<uint8_t>(addresses[2])};
    return true;
}

std::string FormatUsbIds(uint16_t vendor, uint16_t product) {
    char text[16];
    std::snprintf(text, sizeof text, "%04x:%04x", vendor, product);
    return text;
}

std::string FormatEndpointMap(const EndpointMap& map) {
    char text[16];
    std::snprintf(text, sizeof text, "%02x,%02x,%02x", map.command, map.reply, map.image);
    return text;
}

UsbConfig ParseUsbConfig(std::string_view text, std::vector<std::string>* problems) {
    UsbConfig config;
    int number = 0;
    for (std::string_view line : Split(text, '\n')) {
        ++number;
        const size_t comment = line.find('#');
        if (comment != std::string_view::npos) {
            line = line.substr(0, comment);
        }
        const std::vector<std::string> words = Words(line);
        if (words.empty()) {
            continue;
        }
        UsbCameraModel model;
        std::string why;
        bool ok = words[0] == "camera" && (words.size() == 2 || words.size() == 4) &&
                  ParseUsbIds(words[1], model.vendor, model.product);
        if (ok && words.size() == 4) {
            EndpointMap map;
            ok = words[2] == "endpoints" && ParseEndpointMap(words[3], map, &why);
            model.endpoints = map;
        }
        if (!ok) {
            if (problems != nullptr) {
                problems->push_back("line " + std::to_string(number) + ": '" + std::string(line) +
                                    "'" + (why.empty() ? "" : ": " + why));
            }
            continue;
        }
        if (config.Find(model.vendor, model.product) == nullptr) {
            config.cameras.push_back(model);
        }
    }
    return config;
}

std::string FormatUsbConfig(const UsbConfig& config) {
    std::string text =
        "# 530TZ cameras on USB, written by `pixora usb use`: one model a line,\n"
        "# camera VENDOR:PRODUCT [endpoints OUT,IN,IN]\n";
    for (const UsbCameraModel& model : config.cameras) {
        text += "camera " + FormatUsbIds(model.vendor, model.product);
        if (model.endpoints) {
            text += " endpoints " + FormatEndpointMap(*model.endpoints);
        }
        text += "\n";
    }
    return text;
}

std::string UserUsbConfigPath() {
    const std::optional<std::string> xdg = EnvironmentValue("XDG_CONFIG_HOME");
    if (xdg && !xdg->empty()) {
        return *xdg + "/pixora/usb.conf";
    }
    return EnvironmentValue("HOME").value_or("") + "/.config/pixora/usb.conf";
}

std::string SystemUsbConfigPath() {
    return "/etc/pixora/usb.conf";
}

std::vector<std::string> UsbConfigPaths() {
    const std::optional<std::string> chosen = EnvironmentValue("PIXORA_USB_CONFIG");
    if (chosen && !chosen->empty()) {
        return {*chosen};
    }
    return {UserUsbConfigPath(), SystemUsbConfigPath()};
}

UsbConfig LoadUsbConfig() {
    UsbConfig merged;
    for (const std::string& path : UsbConfigPaths()) {
        bool found = false;
        const std::string text = ReadFile(path, found);
        if (!found) {
            continue;
        }
        for (const UsbCameraModel& model : ParseUsbConfig(text).cameras) {
            if (merged.Find(model.vendor, model.product) == nullptr) {
                merged.cameras.push_back(model);
            }
        }
    }
    return merged;
}

bool SaveUsbCameraModel(const std::string& path, const UsbCameraModel& model, std::string* why) {
    namespace fs = std::filesystem;
    bool found = false;
    UsbConfig config = ParseUsbConfig(ReadFile(path, found));
    bool replaced = false;
    for (UsbCameraModel& existing : config.cameras) {
        if (existing.vendor == model.vendor && existing.product == model.product) {
            existing = model;
            replaced = true;
        }
    }
    if (!replaced) {
        config.cameras.push_back(model);
    }
    std::error_code error;
    const fs::path target(path);
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), error);
        if (error) {
            if (why != nullptr) {
                *why = "cannot create " + target.parent_path().string() + ": " + error.message();
            }
            return false;
        }
    }
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << FormatUsbConfig(config);
        out.flush();
        if (!out) {
            if (why != nullptr) {
                *why = "cannot write " + temporary;
            }
            return false;
        }
    }
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        if (why != nullptr) {
            *why = "cannot replace " + path + ": " + error.message();
        }
        return false;
    }
    return true;
}

std::string UdevRuleText(const std::vector<UsbCameraModel>& models) {
    std::string text =
        "# 530TZ cameras for the pixora library: the user at the seat gets access to the\n"
        "# camera's device node (TAG+=\"uaccess\"), so no program needs root.\n";
    for (const UsbCameraModel& model : models) {
        char line[160];
        std::snprintf(line, sizeof line,
                      "SUBSYSTEM==\"usb\", ENV{DEVTYPE}==\"usb_device\", "
                      "ATTR{idVendor}==\"%04x\", ATTR{idProduct}==\"%04x\", TAG+=\"uaccess\"\n",
                      model.vendor, model.product);
        text += line;
    }
    return text;
}

}  // namespace pixora
