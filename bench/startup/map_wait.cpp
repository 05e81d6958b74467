// Launch to window mapped: starts a program and prints, in milliseconds, how long until the
// X server maps its first top-level window (a MapNotify on the root window that is not an
// override-redirect popup), then ends the program. Run on a display nothing else draws on.
//
//     map_wait PROGRAM [ARGUMENTS...]
#include <X11/Xlib.h>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <ctime>

namespace {

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The milliseconds until the first top-level window is mapped; negative when none is.
double waitForMap(Display* display, pid_t child, double start) {
    pollfd fd = {ConnectionNumber(display), POLLIN, 0};
    while (nowMs() - start < 30000) {
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type == MapNotify && !e.xmap.override_redirect) {
                return nowMs() - start;
            }
        }
        if (waitpid(child, nullptr, WNOHANG) == child) {
            return -1;
        }
        poll(&fd, 1, 100);
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: map_wait PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "map_wait: no X display\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, True);
    const double start = nowMs();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    const double ms = waitForMap(display, child, start);
    if (ms >= 0) {
        std::printf("%.1f\n", ms);
    } else {
        std::fprintf(stderr, "map_wait: %s mapped no window\n", argv[1]);
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    return ms >= 0 ? 0 : 1;
}
