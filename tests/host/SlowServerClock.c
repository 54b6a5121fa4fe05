/* Preloaded into an X server: its monotonic clocks run at a fiftieth of the
   real speed from the moment it starts, so that one millisecond of its time
   lasts 50 real ones. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <time.h>

enum { slowdown = 50, clockCount = 8 };

typedef int (*ClockGettime) (clockid_t, struct timespec*);
static ClockGettime realClockGettime;
static int64_t startNs[clockCount];

static int64_t nanoseconds (const struct timespec* ts) { return (int64_t) ts->tv_sec * 1000000000 + ts->tv_nsec; }

__attribute__ ((constructor)) static void start (void)
{
    realClockGettime = (ClockGettime) dlsym (RTLD_NEXT, "clock_gettime");
    for (clockid_t id = 0; id < clockCount; ++id)
    {
        struct timespec ts;
        if (realClockGettime (id, &ts) == 0)
            startNs[id] = nanoseconds (&ts);
    }
}

int clock_gettime (clockid_t id, struct timespec* ts)
{
    const int result = realClockGettime (id, ts);
    if (result != 0 || (id != CLOCK_MONOTONIC && id != CLOCK_MONOTONIC_COARSE && id != CLOCK_MONOTONIC_RAW))
        return result;

    const int64_t slow = startNs[id] + (nanoseconds (ts) - startNs[id]) / slowdown;
    ts->tv_sec = (time_t) (slow / 1000000000);
    ts->tv_nsec = (long) (slow % 1000000000);
    return result;
}
