// Runs the built pixora program as a user would: its own environment (a scratch settings
// file, the virtual camera's settings, no display), output captured, signals on demand.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"

namespace pixora::test {

struct PixoraResult {
    int exitStatus = -1;  // the exit status, or -1 when the program ended by a signal
    int signal = 0;       // the signal that ended it, else 0
    std::string out;
    std::string err;
};

class PixoraProcess {
public:
    // Starts `pixora args...` (or `program args...`) in the scratch folder with the environment
    // of the test process less DISPLAY and the PIXORA_* variables, plus `environment`. With
    // `terminal`, standard output is a pseudo-terminal.
    PixoraProcess(const std::vector<std::string>& args,
                  const std::map<std::string, std::string>& environment, const TempDir& scratch,
                  bool terminal = false, const std::string& program = PIXORA_CLI);
    ~PixoraProcess();
    PixoraProcess(const PixoraProcess&) = delete;
    PixoraProcess& operator=(const PixoraProcess&) = delete;

    void Signal(int signal);
    int Pid() const { return pid_; }
    bool Running();
    // Waits until standard output holds `text` or the program ended; true when it holds it.
    bool WaitForOutput(const std::string& text,
                       std::chrono::milliseconds limit = std::chrono::seconds(30));
    // Waits until a plain progress line ("frames=N ...") counts at least one frame, or the
    // program ended; true when one did.
    bool WaitForFrames(std::chrono::milliseconds limit = std::chrono::seconds(60));
    PixoraResult Wait();

private:
    std::string CurrentOutput();

    int pid_ = -1;
    int terminalMaster_ = -1;
    std::string outPath_;
    std::string errPath_;
    std::string terminalText_;
    std::thread terminalReader_;
    bool exited_ = false;
    int waitStatus_ = 0;
};

// One scratch folder per test: the settings file and any files the program writes.
class PixoraFixture {
public:
    PixoraFixture() = default;

    // PIXORA_SIM of the runs that follow (default "cameras=0 fps=0 scene=bars").
    void Simulate(const std::string& settings) { simulator_ = settings; }
    // The X display of the runs that follow (default none).
    void UseDisplay(const std::string& name) { display_ = name; }
    std::string File(const std::string& name) const { return scratch_.File(name); }
    const TempDir& Scratch() const { return scratch_; }
    std::string SettingsFile() const { return scratch_.File("registry.reg"); }

    PixoraResult Run(const std::vector<std::string>& args) const;
    // Another program, with the same environment as pixora.
    PixoraResult RunProgram(const std::string& program, const std::vector<std::string>& args) const;
    std::unique_ptr<PixoraProcess> Start(const std::vector<std::string>& args,
                                         bool terminal = false) const;

private:
    std::map<std::string, std::string> Environment() const;

    TempDir scratch_;
    std::string simulator_ = "cameras=0 fps=0 scene=bars";
    std::string display_;
};

// Runs `process` until it ends, after sending it `signal`; `seconds` is how long it took.
PixoraResult SignalAndWait(PixoraProcess& process, int signal, double* seconds);

std::string ReadFile(const std::string& path);

// Whether one line of `output` holds every one of `words` as a blank-separated word.
bool HasLineWithWords(const std::string& output, const std::vector<std::string>& words);

// The value of "key=" in a "summary ..." line, or -1 when there is none.
long long SummaryValue(const std::string& output, const std::string& key);

}  // namespace pixora::test
