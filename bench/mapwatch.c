/* Starts a program and reports how long it takes until a top-level window whose
 * title contains the given text is mapped on the X display, and the program's
 * resident memory and the CPU time it has used at that moment. Then stops the program.
 * usage: mapwatch TITLE PROGRAM [ARGS...]   prints: MILLISECONDS RSS_KIB CPU_MILLISECONDS */
#define _DEFAULT_SOURCE
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

static long rss_kib(pid_t pid)
{
    char path[64], line[256];
    long kib = -1;
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE *f = fopen(path, "r");
    if (!f)
        return -1;
    while (fgets(line, sizeof line, f))
        if (sscanf(line, "VmRSS: %ld kB", &kib) == 1)
            break;
    fclose(f);
    return kib;
}

static int title_matches(Display *display, Window window, const char *wanted)
{
    char *name = NULL;
    int found = 0;
    if (XFetchName(display, window, &name) && name) {
        found = strstr(name, wanted) != NULL;
        XFree(name);
    }
    return found;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: %s TITLE PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "mapwatch: no X display\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const double started = now_ms();
    pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    int result = 1;
    const double deadline = started + 30000;
    while (now_ms() < deadline) {
        if (!XPending(display)) {
            usleep(200);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && title_matches(display, event.xmap.window, argv[1])) {
            const double elapsed = now_ms() - started;
            const long rss = rss_kib(pid);
            /* MAPWATCH_SMAPS=FILE keeps where the memory is, mapping by mapping, for a look. */
            const char *smaps = getenv("MAPWATCH_SMAPS");
            if (smaps) {
                char command[512];
                snprintf(command, sizeof command, "cp /proc/%d/smaps '%s'", (int)pid, smaps);
                if (system(command) != 0)
                    fprintf(stderr, "mapwatch: could not keep smaps in %s\n", smaps);
            }
            /* Stopped at once, so that the CPU time the kernel gives back (from its nanosecond
             * count of every thread's run time, not its 10 ms ticks) is what the start cost. */
            kill(pid, SIGKILL);
            struct rusage used;
            wait4(pid, NULL, 0, &used);
            const double cpu = used.ru_utime.tv_sec * 1000.0 + used.ru_utime.tv_usec / 1000.0
                               + used.ru_stime.tv_sec * 1000.0 + used.ru_stime.tv_usec / 1000.0;
            printf("%.1f %ld %.1f\n", elapsed, rss, cpu);
            pid = 0;
            result = 0;
            break;
        }
    }
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, NULL, 0);
    }
    XCloseDisplay(display);
    if (result)
        fprintf(stderr, "mapwatch: no window titled \"%s\" was mapped\n", argv[1]);
    return result;
}
