#include "support/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

int elapsedMs(Clock::time_point start) {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

} // namespace

ChildProcess::ChildProcess(const std::string& exe, const std::vector<std::string>& args,
                           const std::string& workDir, const EnvChanges& env) {
    int outPipe[2];
    int errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) {
        throw std::runtime_error("pipe failed");
    }
    child = fork();
    if (child < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        close(outPipe[0]);
        close(outPipe[1]);
        close(errPipe[0]);
        close(errPipe[1]);
        for (const auto& [name, value] : env) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
        if (chdir(workDir.c_str()) != 0) {
            _exit(127);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(exe.c_str()));
        for (const auto& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    outFd = outPipe[0];
    errFd = errPipe[0];
    fcntl(outFd, F_SETFL, O_NONBLOCK);
    fcntl(errFd, F_SETFL, O_NONBLOCK);
}

ChildProcess::~ChildProcess() {
    if (running()) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    close(outFd);
    close(errFd);
}

void ChildProcess::drain(int timeoutMs) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    if (poll(fds, 2, timeoutMs) <= 0) {
        return;
    }
    char buf[4096];
    for (int i = 0; i < 2; ++i) {
        for (;;) {
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                break;
            }
            (i == 0 ? outText : errText).append(buf, static_cast<size_t>(n));
        }
    }
}

bool ChildProcess::running() {
    if (exited) {
        return false;
    }
    int st = 0;
    pid_t r = waitpid(child, &st, WNOHANG);
    if (r == child) {
        exited = true;
        if (WIFEXITED(st)) {
            status = WEXITSTATUS(st);
        } else {
            signalled = true;
        }
        return false;
    }
    return true;
}

std::optional<int> ChildProcess::waitForExit(int timeoutMs) {
    auto start = Clock::now();
    while (running() && elapsedMs(start) < timeoutMs) {
        drain(20);
    }
    drain(0);
    if (!exited || signalled) {
        return std::nullopt;
    }
    return status;
}

bool ChildProcess::waitForOutput(const std::string& text, int timeoutMs) {
    auto start = Clock::now();
    for (;;) {
        drain(20);
        if (outText.find(text) != std::string::npos) {
            return true;
        }
        if (!running()) {
            drain(0);
            return outText.find(text) != std::string::npos;
        }
        if (elapsedMs(start) >= timeoutMs) {
            return false;
        }
    }
}

const std::string& ChildProcess::out() {
    drain(0);
    return outText;
}

const std::string& ChildProcess::err() {
    drain(0);
    return errText;
}

std::string runCommand(const std::string& command, int* status) {
    std::string result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        if (status) {
            *status = -1;
        }
        return result;
    }
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) {
        result.append(buf, n);
    }
    int st = pclose(pipe);
    if (status) {
        *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    return result;
}
