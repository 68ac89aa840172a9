/* Starts a command and prints the seconds from its start until the X server
   maps its first window of at least 200 x 150 pixels (the main window, not a
   helper). Usage: map_watch TIMEOUT_SECONDS COMMAND [ARGS...]; the command is
   left running, its PID printed after the time. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <fcntl.h>

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const double timeout = atof(argv[1]);
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) return 3;
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    const double start = now();
    const pid_t child = fork();
    if (child == 0) {
        /* The command keeps none of our output open: whoever reads it gets
           its end when we exit. */
        FILE* null_out = fopen("/dev/null", "w");
        if (null_out != NULL) {
            dup2(fileno(null_out), 1);
            dup2(fileno(null_out), 2);
        }
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    const int fd = ConnectionNumber(display);
    while (now() - start < timeout) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != MapNotify) continue;
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, event.xmap.window, &attributes) && attributes.width >= 200 &&
                attributes.height >= 150) {
                printf("%.4f %d\n", now() - start, (int)child);
                return 0;
            }
        }
        fd_set read_set;
        FD_ZERO(&read_set);
        FD_SET(fd, &read_set);
        struct timeval wait = {0, 20000};
        select(fd + 1, &read_set, NULL, NULL, &wait);
    }
    printf("timeout %d\n", (int)child);
    return 1;
}
