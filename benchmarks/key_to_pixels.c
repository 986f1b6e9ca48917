// Presses a key through XTest, as a keyboard does, and measures how long the screen takes to
// change inside a rectangle; prints each step's milliseconds and their median.
//
//   key_to_pixels X Y WIDTH HEIGHT KEY STEPS GAP_MS
//
// Each step waits GAP_MS first, takes the rectangle's pixels, presses and releases KEY (an X
// keysym name such as Right), then reads the rectangle until any pixel differs (at most 10 s).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

static int compare(const void* a, const void* b) {
    const double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

static int same(XImage* a, XImage* b) {
    return memcmp(a->data, b->data, (size_t)a->bytes_per_line * a->height) == 0;
}

int main(int argc, char** argv) {
    if (argc != 8) {
        fprintf(stderr, "usage: key_to_pixels X Y WIDTH HEIGHT KEY STEPS GAP_MS\n");
        return 2;
    }
    const int x = atoi(argv[1]), y = atoi(argv[2]), w = atoi(argv[3]), h = atoi(argv[4]);
    const int steps = atoi(argv[6]), gap = atoi(argv[7]);
    Display* display = XOpenDisplay(NULL);
    if (!display) return 2;
    const Window root = DefaultRootWindow(display);
    const KeyCode key = XKeysymToKeycode(display, XStringToKeysym(argv[5]));
    if (!key || steps <= 0) return 2;
    double* times = calloc((size_t)steps, sizeof(double));
    int measured = 0;
    for (int i = 0; i < steps; ++i) {
        const struct timespec pause = {gap / 1000, (gap % 1000) * 1000000L};
        nanosleep(&pause, NULL);
        XImage* before = XGetImage(display, root, x, y, w, h, AllPlanes, ZPixmap);
        const double start = now_ms();
        XTestFakeKeyEvent(display, key, True, 0);
        XTestFakeKeyEvent(display, key, False, 0);
        XFlush(display);
        double end = -1;
        while (now_ms() - start < 10000) {
            XImage* after = XGetImage(display, root, x, y, w, h, AllPlanes, ZPixmap);
            const int changed = !same(before, after);
            XDestroyImage(after);
            if (changed) {
                end = now_ms();
                break;
            }
        }
        XDestroyImage(before);
        if (end < 0) {
            printf("step %d: no change within 10 s\n", i + 1);
            continue;
        }
        times[measured++] = end - start;
        printf("step %d: %.1f ms\n", i + 1, end - start);
    }
    if (measured == 0) return 1;
    qsort(times, (size_t)measured, sizeof(double), compare);
    printf("median %.1f ms over %d steps (min %.1f, max %.1f)\n", times[measured / 2], measured,
           times[0], times[measured - 1]);
    XCloseDisplay(display);
    return 0;
}
