#include "PixoraRun.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pixora::test {

namespace {

bool Inherited(const std::string& entry) {
    return entry.rfind("DISPLAY=", 0) != 0 && entry.rfind("PIXORA_", 0) != 0 &&
           entry.rfind("XDG_CONFIG_HOME=", 0) != 0 && entry.rfind("HOME=", 0) != 0;
}

}  // namespace

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool HasLineWithWords(const std::string& output, const std::vector<std::string>& words) {
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream wordsOfLine(line);
        std::vector<std::string> present;
        for (std::string word; wordsOfLine >> word;)
            present.push_back(word);
        bool all = true;
        for (const std::string& word : words)
            all = all && std::find(present.begin(), present.end(), word) != present.end();
        if (all)
            return true;
    }
    return false;
}

long long SummaryValue(const std::string& output, const std::string& key) {
    const size_t line = output.rfind("summary ");
    if (line == std::string::npos)
        return -1;
    const size_t end = output.find('\n', line);
    const std::string summary = output.substr(line, end - line);
    const size_t at = summary.find(" " + key + "=");
    if (at == std::string::npos)
        return -1;
    return std::atoll(summary.c_str() + at + key.size() + 2);
}

PixoraProcess::PixoraProcess(const std::vector<std::string>& args,
                             const std::map<std::string, std::string>& environment,
                             const TempDir& scratch, bool terminal, const std::string& program) {
    static int serial = 0;
    const std::string stem = scratch.File("run" + std::to_string(++serial));
    outPath_ = stem + ".out";
    errPath_ = stem + ".err";

    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (Inherited(*entry))
            env.emplace_back(*entry);
    }
    for (const auto& [name, value] : environment)
        env.push_back(name + "=" + value);
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argvPointers;
    for (std::string& arg : argv)
        argvPointers.push_back(arg.data());
    argvPointers.push_back(nullptr);
    std::vector<char*> envPointers;
    for (std::string& entry : env)
        envPointers.push_back(entry.data());
    envPointers.push_back(nullptr);

    const std::string folder = scratch.Path().string();
    std::string terminalName;
    if (terminal) {
        terminalMaster_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (terminalMaster_ >= 0 && grantpt(terminalMaster_) == 0 &&
            unlockpt(terminalMaster_) == 0) {
            terminalName = ptsname(terminalMaster_);
        }
    }
    pid_ = fork();
    if (pid_ == 0) {
        const int out = terminal ? open(terminalName.c_str(), O_RDWR | O_NOCTTY)
                                 : open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0 || chdir(folder.c_str()) != 0)
            _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        execve(argvPointers[0], argvPointers.data(), envPointers.data());
        _exit(127);
    }
    if (terminalMaster_ >= 0) {
        terminalReader_ = std::thread([this] {
            char chunk[4096];
            for (;;) {
                const ssize_t got = read(terminalMaster_, chunk, sizeof chunk);
                if (got > 0) {
                    terminalText_.append(chunk, static_cast<size_t>(got));
                } else if (got < 0 && errno == EINTR) {
                    continue;
                } else {
                    break;  // EIO once the program has closed the terminal
                }
            }
        });
    }
}

PixoraProcess::~PixoraProcess() {
    if (pid_ > 0 && !exited_) {
        kill(pid_, SIGKILL);
        Wait();
    }
    if (terminalReader_.joinable())
        terminalReader_.join();
    if (terminalMaster_ >= 0)
        close(terminalMaster_);
}

void PixoraProcess::Signal(int signal) {
    if (pid_ > 0 && !exited_)
        kill(pid_, signal);
}

bool PixoraProcess::Running() {
    if (exited_ || pid_ <= 0)
        return false;
    if (waitpid(pid_, &waitStatus_, WNOHANG) == pid_)
        exited_ = true;
    return !exited_;
}

std::string PixoraProcess::CurrentOutput() {
    return ReadFile(outPath_);
}

bool PixoraProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (CurrentOutput().find(text) != std::string::npos)
            return true;
        if (!Running())
            return CurrentOutput().find(text) != std::string::npos;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

bool PixoraProcess::WaitForFrames(std::chrono::milliseconds limit) {
    const auto counted = [this] {
        std::istringstream lines(CurrentOutput());
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("frames=", 0) == 0 && std::atoll(line.c_str() + 7) > 0)
                return true;
        }
        return false;
    };
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (counted())
            return true;
        if (!Running())
            return counted();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

PixoraResult PixoraProcess::Wait() {
    if (!exited_ && pid_ > 0) {
        while (waitpid(pid_, &waitStatus_, 0) < 0 && errno == EINTR) {
        }
        exited_ = true;
    }
    if (terminalReader_.joinable())
        terminalReader_.join();
    PixoraResult result;
    if (WIFEXITED(waitStatus_))
        result.exitStatus = WEXITSTATUS(waitStatus_);
    if (WIFSIGNALED(waitStatus_))
        result.signal = WTERMSIG(waitStatus_);
    result.out = terminalMaster_ >= 0 ? terminalText_ : CurrentOutput();
    result.err = ReadFile(errPath_);
    return result;
}

std::map<std::string, std::string> PixoraFixture::Environment() const {
    std::map<std::string, std::string> environment = {{"PIXORA_REGISTRY", SettingsFile()},
                                                      {"PIXORA_SIM", simulator_},
                                                      {"HOME", scratch_.Path().string()}};
    if (!display_.empty())
        environment["DISPLAY"] = display_;
    return environment;
}

PixoraResult SignalAndWait(PixoraProcess& process, int signal, double* seconds) {
    const auto sent = std::chrono::steady_clock::now();
    process.Signal(signal);
    PixoraResult result = process.Wait();
    *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
    return result;
}

PixoraResult PixoraFixture::Run(const std::vector<std::string>& args) const {
    PixoraProcess process(args, Environment(), scratch_);
    return process.Wait();
}

PixoraResult PixoraFixture::RunProgram(const std::string& program,
                                       const std::vector<std::string>& args) const {
    PixoraProcess process(args, Environment(), scratch_, false, program);
    return process.Wait();
}

std::unique_ptr<PixoraProcess> PixoraFixture::Start(const std::vector<std::string>& args,
                                                    bool terminal) const {
    return std::make_unique<PixoraProcess>(args, Environment(), scratch_, terminal);
}

}  // namespace pixora::test
