/* first_swap.c - preloaded into a program by bench/startup.sh: when the program's first
 * SDL_GL_SwapWindow returns (its first frame is on screen), writes "first swap SECONDS cpu PROCESS
 * thread THREAD" to stderr: the CLOCK_MONOTONIC time, which the benchmark sets against the moment it
 * started the program, and the CPU seconds the process and the calling thread had used by then (on a
 * busy machine the wall time waits for other programs; these do not). Works on any build of the show,
 * so the same run can time an older one.
 *
 *     LD_PRELOAD=build/bench/libqz_first_swap.so build/app/qz001 --windowed
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <sys/resource.h>
#include <time.h>

static double cpuSeconds(int who) {
    struct rusage usage;
    if (getrusage(who, &usage) != 0) return -1.0;
    return (double)(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           (double)(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

typedef void (*SwapWindowFn)(void* window);

void SDL_GL_SwapWindow(void* window) {
    static SwapWindowFn real;
    static int swaps;
    if (!real) real = (SwapWindowFn)dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
    if (real) real(window);
    if (swaps++ == 0) {
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        fprintf(stderr, "first swap %lld.%09ld cpu %.3f thread %.3f\n", (long long)now.tv_sec, now.tv_nsec,
                cpuSeconds(RUSAGE_SELF), cpuSeconds(RUSAGE_THREAD));
        fflush(stderr);
    }
}
