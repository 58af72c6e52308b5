// pixora: drives a 530TZ camera (or the virtual one) from the command line.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "Commands.h"
#include "ExitStatus.h"
#include "Interrupt.h"

namespace pixora::cli {

namespace {

void Overview(FILE* out) {
    std::fprintf(out,
                 "usage: pixora COMMAND [options]\n\n"
                 "Drives a 530TZ camera, or the virtual camera that stands in for it.\n\n"
                 "commands:\n");
    for (const Command& command : AllCommands())
        std::fprintf(out, "  %-10s %s\n", command.name, command.summary);
    std::fprintf(out,
                 "  %-10s %s\n\n"
                 "'pixora COMMAND --help' describes a command. Exit status: 0 success, 1 the\n"
                 "camera or library failed (the message names the error code), 2 bad command\n"
                 "line, 130 stopped by Ctrl-C before the requested end.\n",
                 "help", "this text, or 'help COMMAND' for one command");
}

const Command* FindCommand(const std::string& name) {
    for (const Command& command : AllCommands()) {
        if (name == command.name)
            return &command;
    }
    return nullptr;
}

int Run(const std::vector<std::string>& words) {
    if (words.empty()) {
        Overview(stderr);
        return kExitUsage;
    }
    const std::string& name = words[0];
    if (name == "help" || name == "--help" || name == "-h") {
        if (words.size() > 1) {
            const Command* command = FindCommand(words[1]);
            if (command == nullptr) {
                std::fprintf(stderr, "pixora: unknown command '%s'\n", words[1].c_str());
                return kExitUsage;
            }
            std::fputs(command->help, stdout);
            return kExitSuccess;
        }
        Overview(stdout);
        return kExitSuccess;
    }
    const Command* command = FindCommand(name);
    if (command == nullptr) {
        std::fprintf(stderr, "pixora: unknown command '%s' (see 'pixora help')\n", name.c_str());
        return kExitUsage;
    }
    try {
        const std::vector<std::string> rest(words.begin() + 1, words.end());
        const Arguments args = Arguments::Parse(rest, command->options);
        if (args.Has("help")) {
            std::fputs(command->help, stdout);
            return kExitSuccess;
        }
        return command->run(args);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "pixora %s: %s (see 'pixora %s --help')\n", command->name,
                     error.what(), command->name);
        return kExitUsage;
    }
}

}  // namespace

}  // namespace pixora::cli

int main(int argc, char** argv) {
    // Lines reach a pipe or file as they are written, so a reader sees progress live.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    pixora::cli::InstallInterruptHandler();
    try {
        return pixora::cli::Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pixora: %s\n", error.what());
        return pixora::cli::kExitFailure;
    }
}
