#include "Commands.h"

namespace pixora::cli {

const std::vector<Command>& AllCommands() {
    static const std::vector<Command> commands = {
        ListCommand(),   InfoCommand(),    SnapshotCommand(), StreamCommand(),
        RecordCommand(), PreviewCommand(), TriggerCommand(),  DialogCommand(),
        GetCommand(),    SetCommand(),     RegisterCommand(), UsbCommand(),
    };
    return commands;
}

int32_t DeviceOption(const Arguments& args) {
    return args.Integer("device", 0, 7, 0);
}

}  // namespace pixora::cli
