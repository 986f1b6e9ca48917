// Plays the film in the real window and measures its sound against its pictures.
//
//   parec --raw --format=s16le --rate=48000 --channels=1 ... |
//       sound_sync_probe X Y SECONDS STEPS GAP_MS FPS RECORDING.raw
//
// Reads the sound the window plays (a null sink's monitor) from stdin, each chunk stamped with
// the monotonic clock as it arrives, so that every sample has a time on the same clock as the
// screen. Presses Space through XTest, reads the screen's pixel at X, Y about every millisecond
// for SECONDS and notes when it turns white; presses Escape. Then STEPS presses of Right, GAP_MS
// apart, each a frame step whose slice of sound plays. Prints:
//  - each white flash against the nearest click of the sound, and the drift of their distance
//    from the first seconds to the last (in milliseconds and frames at FPS);
//  - each key press of a step to the first sound of its slice.
// The sound read is kept in RECORDING.raw.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

enum { kRate = 48000, kMaxSamples = kRate * 600 };

static short* g_samples;
static volatile long g_count;  // samples read so far
static volatile int g_stop;
// The clock at sample 0: the smallest arrival time of a chunk less its samples' duration. The
// chunk that came promptest tells it best; later chunks only ever lower it.
static double g_base = 1e300;

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

static void* readSound(void* unused) {
    (void)unused;
    char buffer[4096];
    int odd = -1;  // a byte of a sample split between two reads
    while (!g_stop) {
        const ssize_t got = read(0, buffer, sizeof buffer);
        const double at = now();
        if (got <= 0) break;
        for (ssize_t i = 0; i < got; ++i) {
            if (odd < 0) {
                odd = (unsigned char)buffer[i];
            } else {
                if (g_count < kMaxSamples) g_samples[g_count++] = (short)(odd | buffer[i] << 8);
                odd = -1;
            }
        }
        const double base = at - (double)g_count / kRate;
        if (base < g_base) g_base = base;
    }
    return NULL;
}

static int white(Display* display, int x, int y) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return (pixel & 0xff) > 128 && (pixel >> 8 & 0xff) > 128 && (pixel >> 16 & 0xff) > 128;
}

static void press(Display* display, KeySym key) {
    const KeyCode code = XKeysymToKeycode(display, key);
    XTestFakeKeyEvent(display, code, True, 0);
    XTestFakeKeyEvent(display, code, False, 0);
    XFlush(display);
}

static void sleepSeconds(double seconds) {
    struct timespec t = {(time_t)seconds, (long)((seconds - (time_t)seconds) * 1e9)};
    nanosleep(&t, NULL);
}

static int compareDoubles(const void* a, const void* b) {
    const double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

static double median(double* values, int n) {
    qsort(values, n, sizeof *values, compareDoubles);
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The time of the first sample from `from` on (seconds on the clock) louder than level, or -1.
static double firstLouder(double from, double until, int level) {
    long i = (long)((from - g_base) * kRate);
    const long end = (long)((until - g_base) * kRate);
    if (i < 0) i = 0;
    for (; i < g_count && i < end; ++i)
        if (abs(g_samples[i]) > level) return g_base + (double)i / kRate;
    return -1;
}

int main(int argc, char** argv) {
    if (argc != 8) {
        fprintf(stderr, "usage: %s X Y SECONDS STEPS GAP_MS FPS RECORDING.raw\n", argv[0]);
        return 2;
    }
    const int x = atoi(argv[1]), y = atoi(argv[2]);
    const double seconds = atof(argv[3]);
    const int steps = atoi(argv[4]);
    const double gap = atof(argv[5]) / 1000;
    const double fps = atof(argv[6]);
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "no display\n");
        return 1;
    }
    g_samples = malloc(sizeof(short) * kMaxSamples);
    pthread_t reader;
    pthread_create(&reader, NULL, readSound, NULL);
    sleepSeconds(1.0);  // the recording runs and its clock settles

    // ---- The film with its sound ----
    static double flashes[100000];
    int flashCount = 0;
    int was = white(display, x, y);  // a white frame shown already is no flash
    const double start = now();
    press(display, XK_space);
    while (now() - start < seconds) {
        const int is = white(display, x, y);
        if (is && !was && flashCount < 100000) flashes[flashCount++] = now();
        was = is;
        sleepSeconds(0.0005);
    }
    press(display, XK_Escape);
    sleepSeconds(1.5);

    // ---- Frame steps ----
    static double keys[1000];
    int keyCount = 0;
    for (int k = 0; k < steps && k < 1000; ++k) {
        sleepSeconds(gap);
        keys[keyCount++] = now();
        press(display, XK_Right);
    }
    sleepSeconds(1.0);
    g_stop = 1;
    const long count = g_count;

    FILE* out = fopen(argv[7], "wb");
    if (out) {
        fwrite(g_samples, sizeof(short), (size_t)count, out);
        fclose(out);
    }

    // Each flash against the first loud click from a half second before it on.
    const int clickLevel = 16000;
    const double period = 1.0 / fps;
    static double offsets[100000];
    static double times[100000];
    int paired = 0;
    for (int k = 0; k < flashCount; ++k) {
        const double click = firstLouder(flashes[k] - 0.5, flashes[k] + 0.5, clickLevel);
        if (click < 0) {
            printf("flash at %7.3f s, no click\n", flashes[k] - start);
            continue;
        }
        offsets[paired] = click - flashes[k];
        times[paired] = flashes[k] - start;
        ++paired;
        printf("flash at %7.3f s, click %+6.1f ms\n", flashes[k] - start, (click - flashes[k]) * 1000);
    }
    printf("film: %d flashes seen in %.0f s, %d with a click within half a second\n", flashCount,
           seconds, paired);
    if (paired >= 4) {
        // The drift: the median distance of the last five against that of the first five, so
        // that a single late screen grab does not count as drift.
        const int n = paired < 10 ? paired / 2 : 5;
        double first[5], last[5];
        for (int k = 0; k < n; ++k) {
            first[k] = offsets[k];
            last[k] = offsets[paired - n + k];
        }
        const double head = median(first, n), tail = median(last, n);
        double least = offsets[0], most = offsets[0];
        for (int k = 0; k < paired; ++k) {
            if (offsets[k] < least) least = offsets[k];
            if (offsets[k] > most) most = offsets[k];
        }
        printf("film: sound minus picture %.1f ms at %.0f s, %.1f ms at %.0f s (range %.1f to %.1f)\n",
               head * 1000, times[0], tail * 1000, times[paired - 1], least * 1000, most * 1000);
        printf("drift: %.1f ms over %.0f s = %.2f frames at %.0f fps (goal: at most 1 frame)\n",
               (tail - head) * 1000, times[paired - 1] - times[0], (tail - head) / period, fps);
    }

    // Each step's key press to the first sound of its slice.
    static double latencies[1000];
    int heard = 0;
    for (int k = 0; k < keyCount; ++k) {
        const double until = k + 1 < keyCount ? keys[k + 1] : keys[k] + 1.0;
        const double sound = firstLouder(keys[k], until, 300);
        if (sound >= 0) latencies[heard++] = sound - keys[k];
    }
    if (heard > 0) {
        double worst = 0;
        for (int k = 0; k < heard; ++k)
            if (latencies[k] > worst) worst = latencies[k];
        printf("scrub: key to sound, median %.1f ms, worst %.1f ms, %d of %d steps heard (goal: at most 50 ms)\n",
               median(latencies, heard) * 1000, worst * 1000, heard, keyCount);
    } else {
        printf("scrub: no step's sound was heard\n");
    }
    printf("recording: %.1f s in %s\n", (double)count / kRate, argv[7]);
    XCloseDisplay(display);
    return 0;
}
