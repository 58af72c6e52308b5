// The commands of the pixora program: name, one-line summary, help text, options, action.
#pragma once

#include <vector>

#include "CommandLine.h"

namespace pixora::cli {

struct Command {
    const char* name;
    const char* summary;
    const char* help;  // usage line, what the command does, its options
    std::vector<OptionInfo> options;
    int (*run)(const Arguments& args);
};

Command ListCommand();
Command InfoCommand();
Command SnapshotCommand();
Command StreamCommand();
Command PreviewCommand();
Command TriggerCommand();
Command DialogCommand();
Command GetCommand();
Command SetCommand();
Command RegisterCommand();
Command RecordCommand();
Command UsbCommand();

// Every command in the order the overview lists them.
const std::vector<Command>& AllCommands();

// The --device option shared by the commands that open a camera: 0..7, 0 when not given.
int32_t DeviceOption(const Arguments& args);
inline constexpr const char* kDeviceHelp = "  --device N        camera index 0..7 (default 0)\n";

}  // namespace pixora::cli
