#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

// A child process with its standard output and error captured, for tests
// that run the real executable.
class ChildProcess {
public:
    // Environment changes: a value sets the variable, nullopt removes it.
    using EnvChanges = std::map<std::string, std::optional<std::string>>;

    ChildProcess(const std::string& exe, const std::vector<std::string>& args,
                 const std::string& workDir, const EnvChanges& env = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return child; }

    // Waits up to timeoutMs for the process to end; returns its exit status
    // (0-255), or nullopt if it is still running or died from a signal.
    std::optional<int> waitForExit(int timeoutMs);
    bool running();
    bool killedBySignal() const { return signalled; }

    // Waits until standard output contains text; false on time-out or exit.
    bool waitForOutput(const std::string& text, int timeoutMs);

    // Everything captured so far.
    const std::string& out();
    const std::string& err();

private:
    void drain(int timeoutMs);

    pid_t child = -1;
    int outFd = -1;
    int errFd = -1;
    std::string outText;
    std::string errText;
    bool exited = false;
    bool signalled = false;
    int status = 0;
};

// Runs a shell command and returns its standard output; status receives the
// exit status.
std::string runCommand(const std::string& command, int* status = nullptr);
