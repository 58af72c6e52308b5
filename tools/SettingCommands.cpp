// pixora get NAME / pixora set NAME VALUE: the camera settings by name.
#include <cstdio>
#include <string>

#include "Camera.h"
#include "Commands.h"
#include "ExitStatus.h"
#include "NamedSettings.h"

namespace pixora::cli {

namespace {

const NamedSetting& SettingNamed(const std::string& name) {
    const NamedSetting* setting = FindSetting(name);
    if (setting == nullptr)
        throw UsageError("unknown setting '" + name + "'");
    return *setting;
}

int RunGet(const Arguments& args) {
    if (args.Operands().size() > 1)
        throw UsageError("get takes at most one setting name");
    const NamedSetting* only =
        args.Operands().empty() ? nullptr : &SettingNamed(args.Operands()[0]);
    std::unique_ptr<Camera> camera = Camera::Open(DeviceOption(args), false);
    if (!camera)
        return kExitFailure;
    int status = kExitSuccess;
    if (only != nullptr) {
        const std::optional<int32_t> value = ReadSetting(camera->Handle(), *only);
        if (!value) {
            camera->ReportFailure(std::string("reading ") + only->name);
            status = kExitFailure;
        } else {
            std::printf("%s\n", FormatValue(*only, *value).c_str());
        }
    } else {
        for (const NamedSetting& setting : AllSettings()) {
            if (IsRefused(setting))
                continue;
            if (const std::optional<int32_t> value = ReadSetting(camera->Handle(), setting))
                std::printf("%-17s %s\n", setting.name, FormatValue(setting, *value).c_str());
        }
        // Those that cannot be read here (no camera device) are left out of the listing.
        camera->DiscardErrors();
    }
    if (!camera->Release() && status == kExitSuccess)
        status = kExitFailure;
    return status;
}

// " (asked for 5; the camera keeps 8..1068)" when the camera kept another value than the
// one sent, else nothing.
std::string KeptNote(const NamedSetting& setting, int32_t asked, int32_t kept) {
    if (asked == kept)
        return "";
    std::string note = " (asked for " + FormatValue(setting, asked);
    if (const std::optional<ValueRange> keeps = CameraKeeps(setting))
        note +=
            "; the camera keeps " + std::to_string(keeps->min) + ".." + std::to_string(keeps->max);
    return note + ")";
}

int RunSet(const Arguments& args) {
    if (args.Operands().size() != 2)
        throw UsageError("set needs a setting name and a value");
    const NamedSetting& setting = SettingNamed(args.Operands()[0]);
    const int32_t value = ParseValue(setting, args.Operands()[1], setting.name);
    std::unique_ptr<Camera> camera = Camera::Open(DeviceOption(args), false);
    if (!camera)
        return kExitFailure;
    int status = kExitSuccess;
    if (!WriteSetting(camera->Handle(), setting, value)) {
        camera->ReportFailure("setting " + std::string(setting.name) + " to " +
                              FormatValue(setting, value));
        status = kExitFailure;
    } else if (const std::optional<int32_t> stored = ReadSetting(camera->Handle(), setting)) {
        std::printf("%s = %s%s\n", setting.name, FormatValue(setting, *stored).c_str(),
                    KeptNote(setting, value, *stored).c_str());
    } else {
        camera->ReportFailure("reading " + std::string(setting.name) + " back");
        status = kExitFailure;
    }
    // Releasing the camera stores the settings for the next session.
    if (!camera->Release() && status == kExitSuccess)
        status = kExitFailure;
    return status;
}

std::string SettingsHelp(const char* usage, const char* what) {
    std::string help = std::string(usage) + "\n\n" + what + "\n\nsettings (accepted values):\n";
    for (const NamedSetting& setting : AllSettings()) {
        char line[256];
        std::snprintf(line, sizeof line, "  %-18s %-10s %s\n", setting.name,
                      RangeText(setting).c_str(), Meaning(setting).c_str());
        help += line;
    }
    std::string aliases;
    for (const NamedSetting& setting : AllSettings()) {
        for (const char* const* alias = setting.aliases; *alias != nullptr; ++alias)
            aliases += std::string(aliases.empty() ? "" : ", ") + *alias + " = " + setting.name;
    }
    if (!aliases.empty())
        help += "  other names: " + aliases + "\n";
    help +=
        "  Enumerations take a value's number or its name.\n\n"
        "options:\n"
        "  --device N        camera index 0..7 (default 0)\n";
    return help;
}

}  // namespace

Command GetCommand() {
    static const std::string help = SettingsHelp(
        "usage: pixora get [NAME] [--device N]",
        "Prints the value of the setting NAME, or every setting with its name when no\n"
        "NAME is given, as it is entered (bayer-gain-rgb as 0xBBGGRR). Values are kept in\n"
        "the settings file between runs.");
    return {"get",
            "a camera setting by name (or all of them)",
            help.c_str(),
            {{"device", true}},
            RunGet};
}

Command SetCommand() {
    static const std::string help = SettingsHelp(
        "usage: pixora set NAME VALUE [--device N]",
        "Sets the setting NAME to VALUE (decimal, or hexadecimal with 0x), keeps it in the\n"
        "settings file for later runs and prints what was stored, read back: 'NAME = VALUE',\n"
        "noting the value asked for when the camera kept another. A value outside the\n"
        "accepted range is a command-line error (exit status 2): no camera is opened.");
    return {"set", "change a camera setting by name", help.c_str(), {{"device", true}}, RunSet};
}

}  // namespace pixora::cli
