// Work in a child process: its answer comes back whole, and a child that crashes, loops,
// blocks or floods is stopped and said as such, within its limits.
#include "spectrum/io/child_process.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

namespace orbistan {
namespace {

using End = ChildOutcome::End;
using namespace std::chrono_literals;

ChildLimits quickLimits() {
    ChildLimits l;
    l.busy = 200ms;
    l.idle = 600ms;
    l.maxAnswer = 1 << 20;
    return l;
}

TEST(ChildProcess, EachEndIsToldApart) {
    const struct {
        const char* what;
        std::function<void(ChildChannel&)> work;
        End end;
        std::string answer, failure;
    } cases[] = {
        {"answers in pieces",
         [](ChildChannel& c) {
             c.send("ab");
             c.alive();
             c.progress(0.5);
             c.send(std::string(100000, 'c'));
         },
         End::Answered, "ab" + std::string(100000, 'c'), ""},
        {"fails saying why", [](ChildChannel& c) { c.fail("why"); }, End::Answered, "", "why"},
        {"aborts", [](ChildChannel&) { std::abort(); }, End::Crashed, "", ""},
        {"throws what it does not catch", [](ChildChannel&) { throw 1; }, End::Crashed, "", ""},
        {"loops without a sign of life",
         [](ChildChannel&) {
             for (std::atomic<unsigned> i = 0;; ++i) {
             }
         },
         End::Stalled, "", ""},
        {"blocks without a sign of life", [](ChildChannel&) { pause(); }, End::Stalled, "", ""},
        {"floods", [](ChildChannel& c) { c.send(std::string(2 << 20, 'x')); }, End::Oversized, "",
         ""},
    };
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        const ChildOutcome out = runInChild(c.work, {}, quickLimits());
        EXPECT_EQ(out.end, c.end) << c.what;
        EXPECT_EQ(out.answer, c.answer) << c.what;
        EXPECT_EQ(out.failure, c.failure) << c.what;
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << c.what;
    }
}

// A child that keeps showing life is not stopped, however long it works in all.
TEST(ChildProcess, SignsOfLifeKeepALongWorkGoing) {
    const ChildOutcome out = runInChild(
        [](ChildChannel& c) {
            for (int i = 0; i < 10; ++i) {
                std::this_thread::sleep_for(100ms);
                c.progress(i / 10.0);
            }
            c.send("done");
        },
        {}, quickLimits());
    EXPECT_EQ(out.end, End::Answered);
    EXPECT_EQ(out.answer, "done");
}

// A cancel kills the child and is thrown as the cancel; the child's progress is shown.
TEST(ChildProcess, ACancelKillsTheChild) {
    std::atomic<bool> cancel{false};
    double shown = -1;
    const Progress progress(
        [&](double f) {
            shown = f;
            cancel = f >= 0.5;
        },
        &cancel);
    EXPECT_THROW(runInChild(
                     [](ChildChannel& c) {
                         c.progress(0.5);
                         pause();
                     },
                     progress, quickLimits()),
                 SpectrumCancelled);
    EXPECT_EQ(shown, 0.5);
}

} // namespace
} // namespace orbistan
