// pixora: drives a 530TZ camera (or the virtual one) from the command line.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "Commands.h"
#include "ExitStatus.h"
#include "Interrupt.h"
#include "LibraryLog.h"
#include "Version.h"
#include "X11Windows.h"

namespace pixora::cli {

namespace {

constexpr const char* kHelpHelp =
    "usage: pixora help [COMMAND]\n"
    "       pixora COMMAND --help\n"
    "       pixora --version\n\n"
    "Without COMMAND, lists the commands and the exit statuses; with one, describes that\n"
    "command: its options, the values they take and what it prints. --version prints the\n"
    "program's version and the version of the library it runs with.\n";

void Overview(FILE* out) {
    std::fprintf(out,
                 "usage: pixora COMMAND [options]\n\n"
                 "Drives a 530TZ camera, or the virtual camera that stands in for it.\n\n"
                 "commands:\n");
    for (const Command& command : AllCommands())
        std::fprintf(out, "  %-10s %s\n", command.name, command.summary);
    std::fprintf(out,
                 "  %-10s %s\n\n"
                 "'pixora COMMAND --help' describes a command, 'pixora --version' prints the\n"
                 "versions. Exit status: 0 success, 1 the camera or library failed (the message\n"
                 "names the error code), 2 bad command line (nothing was done), 130 stopped by\n"
                 "Ctrl-C and 143 by SIGTERM before the requested end.\n",
                 "help", "this text, or 'help COMMAND' for one command");
}

const Command* FindCommand(const std::string& name) {
    for (const Command& command : AllCommands()) {
        if (name == command.name)
            return &command;
    }
    return nullptr;
}

bool IsHelpOption(const std::string& word) {
    return word == "--help" || word == "-h";
}

int Help(const std::vector<std::string>& words) {
    if (words.size() > 2) {
        std::fprintf(stderr,
                     "pixora help: takes at most one command name (see 'pixora help "
                     "--help')\n");
        return kExitUsage;
    }
    if (words.size() == 1) {
        Overview(stdout);
        return kExitSuccess;
    }
    if (IsHelpOption(words[1]) || words[1] == "help") {
        std::fputs(kHelpHelp, stdout);
        return kExitSuccess;
    }
    const Command* command = FindCommand(words[1]);
    if (command == nullptr) {
        std::fprintf(stderr, "pixora: unknown command '%s' (see 'pixora help')\n",
                     words[1].c_str());
        return kExitUsage;
    }
    std::fputs(command->help, stdout);
    return kExitSuccess;
}

int Run(const std::vector<std::string>& words) {
    if (words.empty()) {
        Overview(stderr);
        return kExitUsage;
    }
    const std::string& name = words[0];
    if (name == "help" || IsHelpOption(name))
        return Help(words);
    if (name == "--version") {
        if (words.size() > 1) {
            std::fprintf(stderr, "pixora: --version takes nothing more\n");
            return kExitUsage;
        }
        std::printf("pixora %s\nlibrary %s\n", ProgramVersion(), LibraryVersion().c_str());
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
    pixora::cli::PrepareX11();
    pixora::cli::PrintLibraryLog();
    try {
        return pixora::cli::Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pixora: %s\n", error.what());
        return pixora::cli::kExitFailure;
    }
}
