// stripwatch <x> <y> <width> <height> <timeout-s> -- <program> [args...]
//
// Times a program's first painted pixel in a rectangle of the screen. It reads the rectangle
// from the root window, starts the program (fork and exec: the clock starts just before the
// fork), and reads the rectangle again about every 0.1 ms until any pixel differs. It prints
//   pid N
//   painted MS        (-1: nothing changed within the time-out)
// then waits for the program to end and exits with 0 (2 on bad arguments or no display).

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
std::vector<unsigned long> grab(Display *d, int x, int y, int w, int h)
{
    std::vector<unsigned long> pixels;
    XImage *image = XGetImage(d, DefaultRootWindow(d), x, y, static_cast<unsigned>(w),
                              static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (!image)
        return pixels;
    pixels.reserve(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            pixels.push_back(XGetPixel(image, i, j));
    XDestroyImage(image);
    return pixels;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc < 8 || std::strcmp(argv[6], "--") != 0) {
        std::fprintf(stderr, "usage: stripwatch x y width height timeout-s -- program [args]\n");
        return 2;
    }
    const int x = std::atoi(argv[1]), y = std::atoi(argv[2]);
    const int w = std::atoi(argv[3]), h = std::atoi(argv[4]);
    const double timeoutMs = std::atof(argv[5]) * 1000.0;
    Display *d = XOpenDisplay(nullptr);
    if (!d || w <= 0 || h <= 0) {
        std::fprintf(stderr, "stripwatch: no display or an empty rectangle\n");
        return 2;
    }
    const std::vector<unsigned long> before = grab(d, x, y, w, h);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[7], argv + 7);
        _exit(127);
    }
    std::printf("pid %d\n", static_cast<int>(pid));
    std::fflush(stdout);

    double painted = -1;
    for (;;) {
        const double now = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (grab(d, x, y, w, h) != before) {
            painted = now;
            break;
        }
        int status = 0;
        if (now > timeoutMs || waitpid(pid, &status, WNOHANG) == pid)
            break;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    std::printf("painted %.2f\n", painted);
    std::fflush(stdout);
    XCloseDisplay(d);
    int status = 0;
    waitpid(pid, &status, 0);
    return 0;
}
