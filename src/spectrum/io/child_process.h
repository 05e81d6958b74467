#pragma once
// Work whose library may crash, loop or block on what a file says (HDF5 on a crafted file
// frees what it never allocated, or loops for ever): done in a child process, which sends
// its answer through a pipe. A crash is then a message, a loop or a block is stopped when
// the child shows no sign of life, and a cancel kills it.
//
// The child is a fork of this process without exec: it runs the work with everything the
// parent had, and ends with _exit, so nothing of the parent's (its buffers, its atexit
// handlers, its windows) runs twice. The work must not wait on a lock another thread of
// the parent may have held at the fork: the libraries it calls are called only in children.

#include "spectrum/signal/spectrum.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace orbistan {

// The child's end of the pipe.
class ChildChannel {
public:
    explicit ChildChannel(int fd) : fd_(fd) {}
    // A sign of life, sent at most every few milliseconds, so that it may be called often.
    void alive();
    // How far the work is, 0 … 1, shown as the parent's progress; a sign of life too.
    void progress(double fraction);
    // Bytes of the answer; the answer is all of them in order.
    void send(std::string_view bytes);
    // The work failed: these bytes say why, in place of the answer.
    void fail(std::string_view bytes);

private:
    void frame(char kind, std::string_view bytes);
    int fd_;
    std::chrono::steady_clock::time_point last_{};
};

struct ChildLimits {
    // The processor time the child may spend between two signs of life: a loop. Counted in
    // processor time, so that a child waiting for a busy machine is not taken for one.
    std::chrono::milliseconds busy{500};
    // The time it may spend without a sign of life, even idle: blocked on a file that never
    // answers, or on a disk far slower than any in use.
    std::chrono::milliseconds idle{10000};
    // The most the answer may hold.
    std::uint64_t maxAnswer = std::uint64_t(1) << 31;
};

struct ChildOutcome {
    enum class End {
        Answered,  // the work ended, with an answer or a failure
        Crashed,   // it died, or ended without saying so
        Stalled,   // killed: no sign of life within the limits
        Oversized, // killed: its answer outgrew the limit
        NotStarted // no child could be made (errno in `error`)
    };
    End end = End::Crashed;
    std::string answer;
    std::string failure; // non-empty when the work failed and said why
    int error = 0;
};

// Runs `work` in a child and waits for it, stepping `progress` with what the child says;
// throws SpectrumCancelled (the child killed) when `progress` is cancelled.
ChildOutcome runInChild(const std::function<void(ChildChannel&)>& work, const Progress& progress,
                        const ChildLimits& limits = {});

} // namespace orbistan
