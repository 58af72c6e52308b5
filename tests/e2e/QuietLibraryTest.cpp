// The library prints nothing: a program that takes it down the paths on which it used to
// print (an ignored PIXORA_SIM, a settings path that is a folder, a settings file larger
// than 16 MiB, a failed save) writes not one byte to its standard output or error, with or
// without a log handler; with one, the handler hears every warning.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TempDir.h"

extern char** environ;

namespace pixora::test {
namespace {

struct ProbeRun {
    int exitCode = -1;
    std::string output;  // standard output and error together
};

// Runs the probe with both standard streams on one file.
ProbeRun RunProbe(const TempDir& dir, const char* mode, const std::string& largeSettings) {
    const std::string outputFile = dir.File(std::string("output-") + mode);
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string entry = *variable;
        if (entry.rfind("PIXORA_SIM=", 0) != 0 && entry.rfind("PIXORA_REGISTRY=", 0) != 0 &&
            entry.rfind("DISPLAY=", 0) != 0)
            environment.push_back(entry);
    }
    environment.push_back("PIXORA_SIM=cameras=0 fps=fast");
    environment.push_back("PIXORA_REGISTRY=" + dir.Path().string());
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    std::string program = PIXORA_QUIET_PROBE;
    std::string modeArgument = mode;
    std::string large = largeSettings;
    char* argv[] = {program.data(), modeArgument.data(), large.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t child = -1;
    ProbeRun run;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    int status = 0;
    if (waitpid(child, &status, 0) == child && WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    std::ifstream in(outputFile, std::ios::binary);
    run.output.assign(std::istreambuf_iterator<char>(in), {});
    return run;
}

class QuietLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        // A settings file larger than the 16 MiB the library reads, sparse on disk.
        largeSettings_ = dir_.File("large.reg");
        {
            std::ofstream out(largeSettings_, std::ios::binary);
            out << "Windows Registry Editor Version 5.00\r\n";
        }
        std::filesystem::resize_file(largeSettings_, 17u * 1024 * 1024);
    }
    TempDir dir_;
    std::string largeSettings_;
};

TEST_F(QuietLibrary, NotAByteOnTheStandardStreamsWithoutAHandler) {
    const ProbeRun run = RunProbe(dir_, "quiet", largeSettings_);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "");
}

TEST_F(QuietLibrary, TheHandlerHearsEveryWarningAndTheStreamsStayQuiet) {
    const ProbeRun run = RunProbe(dir_, "logged", largeSettings_);
    EXPECT_EQ(run.exitCode, 0) << "2: a warning did not reach the handler";
    EXPECT_EQ(run.output, "");
}

}  // namespace
}  // namespace pixora::test
