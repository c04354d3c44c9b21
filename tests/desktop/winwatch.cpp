// winwatch <window-id> <seconds> [settle-ms]
//
// Follows one X window's absolute position (its top-left corner translated to
// the root window) and prints a line "t_ms x y" for the starting position
// (t_ms 0.0) and again whenever the position changes. It polls about every
// 0.5 ms and sleeps between polls, so it costs little while it waits.
//
// It stops after <seconds>, or, when settle-ms is given, once the window has
// moved at least once and then stayed put for settle-ms. The last line is
//   positions N first_ms last_ms
// N counts the distinct positions seen (the start included); first_ms and
// last_ms are the times of the first and the last change (-1 without one).
//
// Exit status: 0 when it ran to the end, 2 on bad arguments or no display,
// 3 when the window disappeared (the summary is still printed).

#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <utility>

namespace {

bool g_badWindow = false;

int onXError(Display *, XErrorEvent *event)
{
    if (event->error_code == BadWindow || event->error_code == BadDrawable) {
        g_badWindow = true;
    }
    return 0;
}

struct Options {
    Window window = 0;
    double seconds = 0;
    double settleMs = -1;
};

bool parseOptions(int argc, char **argv, Options &options)
{
    if (argc < 3 || argc > 4) {
        return false;
    }
    char *end = nullptr;
    const unsigned long id = std::strtoul(argv[1], &end, 0);
    if (end == argv[1] || *end != '\0' || id == 0) {
        return false;
    }
    options.window = static_cast<Window>(id);
    options.seconds = std::strtod(argv[2], &end);
    if (end == argv[2] || *end != '\0' || options.seconds <= 0) {
        return false;
    }
    if (argc == 4) {
        options.settleMs = std::strtod(argv[3], &end);
        if (end == argv[3] || *end != '\0' || options.settleMs <= 0) {
            return false;
        }
    }
    return true;
}

// Absolute position of the window's top-left corner; false once it is gone.
bool windowPosition(Display *display, Window window, int &x, int &y)
{
    Window child = 0;
    g_badWindow = false;
    const Bool ok =
        XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return ok && !g_badWindow;
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: winwatch <window-id> <seconds> [settle-ms]\n");
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "winwatch: cannot open display\n");
        return 2;
    }
    XSetErrorHandler(onXError);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    auto elapsedMs = [&start] {
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };

    std::set<std::pair<int, int>> distinct;
    double firstMs = -1;
    double lastMs = -1;
    int lastX = 0;
    int lastY = 0;
    bool gone = !windowPosition(display, options.window, lastX, lastY);
    if (!gone) {
        distinct.insert({lastX, lastY});
        std::printf("0.0 %d %d\n", lastX, lastY);
        std::fflush(stdout);
    }

    const double limitMs = options.seconds * 1000.0;
    while (!gone) {
        std::this_thread::sleep_for(std::chrono::microseconds(500));
        const double now = elapsedMs();
        int x = 0;
        int y = 0;
        if (!windowPosition(display, options.window, x, y)) {
            gone = true;
            break;
        }
        if (x != lastX || y != lastY) {
            lastX = x;
            lastY = y;
            distinct.insert({x, y});
            if (firstMs < 0) {
                firstMs = now;
            }
            lastMs = now;
            std::printf("%.1f %d %d\n", now, x, y);
            std::fflush(stdout);
        }
        if (now >= limitMs) {
            break;
        }
        if (options.settleMs > 0 && lastMs >= 0 && now - lastMs >= options.settleMs) {
            break;
        }
    }
    if (gone) {
        std::fprintf(stderr, "winwatch: window 0x%lx is gone\n", options.window);
    }
    std::printf("positions %zu %.1f %.1f\n", distinct.size(), firstMs, lastMs);
    XCloseDisplay(display);
    return gone ? 3 : 0;
}
