#include "spectrum/io/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

namespace orbistan {

namespace {

// Frames on the pipe: a kind, then for data and failures eight bytes of length and the
// bytes, for progress eight bytes of a double.
constexpr char kAlive = 'a', kProgress = 'p', kData = 'd', kFailure = 'f';

void writeAll(int fd, const char* p, std::size_t n) {
    while (n > 0) {
        const ssize_t w = write(fd, p, n);
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w <= 0) {
            _exit(4); // the parent is gone or stopped listening: nothing to answer
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
}

// The processor time a process has spent, from /proc; 0 when it cannot be read.
std::chrono::milliseconds processorTime(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t close = stat.rfind(')'); // its name may hold blanks and parentheses
    if (close == std::string::npos) {
        return {};
    }
    std::istringstream fields(stat.substr(close + 2));
    std::string skip;
    for (int i = 3; i < 14; ++i) { // fields 3 … 13, then utime and stime
        fields >> skip;
    }
    long long user = 0, system = 0;
    fields >> user >> system;
    const long ticks = sysconf(_SC_CLK_TCK);
    return std::chrono::milliseconds(ticks > 0 ? (user + system) * 1000 / ticks : 0);
}

// The parent's reading of the frames, as they come in pieces.
class Frames {
public:
    explicit Frames(std::uint64_t maxAnswer) : max_(maxAnswer) {}

    // Takes what was read; false when the answer outgrows its limit or a frame is unknown.
    bool take(const char* p, std::size_t n, ChildOutcome& out, double& fraction) {
        pending_.append(p, n);
        std::size_t at = 0;
        while (at < pending_.size()) {
            const char kind = pending_[at];
            if (kind == kAlive) {
                at += 1;
                continue;
            }
            if (pending_.size() - at < 9) {
                break;
            }
            std::uint64_t length = 0;
            std::memcpy(&length, pending_.data() + at + 1, 8);
            if (kind == kProgress) {
                std::memcpy(&fraction, &length, 8);
                at += 9;
                continue;
            }
            if ((kind != kData && kind != kFailure) || length > max_ ||
                out.answer.size() + out.failure.size() + length > max_) {
                return false;
            }
            if (pending_.size() - at - 9 < length) {
                break;
            }
            (kind == kData ? out.answer : out.failure).append(pending_, at + 9, length);
            at += 9 + length;
        }
        pending_.erase(0, at);
        return true;
    }

private:
    std::uint64_t max_;
    std::string pending_;
};

void killAndReap(pid_t pid) {
    kill(pid, SIGKILL);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

[[noreturn]] void runChild(const std::function<void(ChildChannel&)>& work, int fd, pid_t parent) {
    prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlive the program that waits for it
    if (getppid() != parent) {
        _exit(5);
    }
    // What a failing library prints as it dies ("free(): invalid pointer") is not the
    // program's to say: the parent says what happened.
    if (const int quiet = open("/dev/null", O_WRONLY); quiet >= 0) {
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
    }
    ChildChannel channel(fd);
    try {
        work(channel);
    } catch (...) {
        _exit(3); // what the work did not catch is its crash
    }
    _exit(0);
}

} // namespace

void ChildChannel::alive() {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ >= std::chrono::milliseconds(20)) {
        frame(kAlive, {});
    }
}

void ChildChannel::progress(double fraction) {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ >= std::chrono::milliseconds(20)) {
        char bytes[8];
        std::memcpy(bytes, &fraction, 8);
        frame(kProgress, std::string_view(bytes, 8));
    }
}

void ChildChannel::send(std::string_view bytes) {
    frame(kData, bytes);
}

void ChildChannel::fail(std::string_view bytes) {
    frame(kFailure, bytes);
}

void ChildChannel::frame(char kind, std::string_view bytes) {
    last_ = std::chrono::steady_clock::now();
    char head[9] = {kind};
    std::size_t headLength = 1;
    if (kind == kProgress) {
        std::memcpy(head + 1, bytes.data(), 8);
        writeAll(fd_, head, 9);
        return;
    }
    if (kind != kAlive) {
        const std::uint64_t length = bytes.size();
        std::memcpy(head + 1, &length, 8);
        headLength = 9;
    }
    writeAll(fd_, head, headLength);
    writeAll(fd_, bytes.data(), bytes.size());
}

namespace {

// Reads the child's frames until it ends; kills it and says why when it stalls or floods.
class Watch {
public:
    Watch(pid_t pid, int fd, const ChildLimits& limits)
        : pid_(pid), fd_(fd), limits_(limits), frames_(limits.maxAnswer),
          busyAtSign_(processorTime(pid)) {}

    // Empty when the child ended of itself; throws SpectrumCancelled on a cancel.
    std::optional<ChildOutcome::End> run(const Progress& progress, ChildOutcome& out) {
        double fraction = 0, shown = -1;
        for (;;) {
            if (fraction != shown) {
                progress.step(fraction);
                shown = fraction;
            }
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 50) > 0) {
                const ssize_t n = read(fd_, buffer_.data(), buffer_.size());
                if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
                    return std::nullopt; // the child has ended, or the pipe with it
                }
                if (n > 0 &&
                    !frames_.take(buffer_.data(), static_cast<std::size_t>(n), out, fraction)) {
                    return ChildOutcome::End::Oversized;
                }
                lastSign_ = std::chrono::steady_clock::now();
                freshSign_ = true;
                continue;
            }
            progress.step(fraction); // a cancel is seen while the child is quiet too
            if (stalled()) {
                return ChildOutcome::End::Stalled;
            }
        }
    }

private:
    bool stalled() {
        if (freshSign_) { // its processor time is read when it goes quiet, not per frame
            busyAtSign_ = processorTime(pid_);
            freshSign_ = false;
        }
        return std::chrono::steady_clock::now() - lastSign_ > limits_.idle ||
               processorTime(pid_) - busyAtSign_ > limits_.busy;
    }

    pid_t pid_;
    int fd_;
    ChildLimits limits_;
    Frames frames_;
    std::chrono::steady_clock::time_point lastSign_ = std::chrono::steady_clock::now();
    std::chrono::milliseconds busyAtSign_;
    bool freshSign_ = false;
    std::array<char, 1 << 16> buffer_;
};

} // namespace

ChildOutcome runInChild(const std::function<void(ChildChannel&)>& work, const Progress& progress,
                        const ChildLimits& limits) {
    ChildOutcome out;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        out.end = ChildOutcome::End::NotStarted;
        out.error = errno;
        return out;
    }
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        runChild(work, fds[1], parent);
    }
    close(fds[1]);
    if (pid < 0) {
        out.end = ChildOutcome::End::NotStarted;
        out.error = errno;
        close(fds[0]);
        return out;
    }
    std::optional<ChildOutcome::End> stopped;
    try {
        stopped = Watch(pid, fds[0], limits).run(progress, out);
    } catch (...) {
        killAndReap(pid);
        close(fds[0]);
        throw;
    }
    close(fds[0]);
    if (stopped) {
        killAndReap(pid);
        out.end = *stopped;
        return out;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    out.end = WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ChildOutcome::End::Answered
                                                            : ChildOutcome::End::Crashed;
    return out;
}

} // namespace orbistan
