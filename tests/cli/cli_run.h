#pragma once
// orbistan-cli run as a process, as scripts run it: its exit status and what it wrote.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string drain(int fd) {
    std::string s;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) {
        s.append(buf, static_cast<std::size_t>(n));
    }
    close(fd);
    return s;
}

// With `memoryLimit`, the command runs with that much address space at most.
inline CliRun runCli(std::vector<std::string> args, const std::string& cwd = {},
                     rlim_t memoryLimit = 0) {
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) {
        ADD_FAILURE() << "pipe";
        return {};
    }
    const pid_t pid = fork();
    if (pid == 0) {
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) {
            _exit(126);
        }
        if (memoryLimit != 0) {
            const rlimit limit{memoryLimit, memoryLimit};
            setrlimit(RLIMIT_AS, &limit);
        }
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]), close(err[0]), close(out[1]), close(err[1]);
        std::vector<char*> argv{const_cast<char*>(ORBISTAN_CLI)};
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        execv(ORBISTAN_CLI, argv.data());
        _exit(127);
    }
    close(out[1]), close(err[1]);
    CliRun r;
    // Outputs are small: reading one pipe to the end before the other cannot block.
    r.out = drain(out[0]);
    r.err = drain(err[0]);
    int st = 0;
    waitpid(pid, &st, 0);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}
