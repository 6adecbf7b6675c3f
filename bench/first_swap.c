/* first_swap.c - preloaded into a program by bench/startup.sh: when the program's first
 * SDL_GL_SwapWindow returns (its first frame is on screen), writes "first swap SECONDS" to stderr, the
 * CLOCK_MONOTONIC time, which the benchmark sets against the moment it started the program. Works on
 * any build of the show, so the same run can time an older one.
 *
 *     LD_PRELOAD=build/bench/libqz_first_swap.so build/app/qz001 --windowed
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <time.h>

typedef void (*SwapWindowFn)(void* window);

void SDL_GL_SwapWindow(void* window) {
    static SwapWindowFn real;
    static int swaps;
    if (!real) real = (SwapWindowFn)dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
    if (real) real(window);
    if (swaps++ == 0) {
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        fprintf(stderr, "first swap %lld.%09ld\n", (long long)now.tv_sec, now.tv_nsec);
        fflush(stderr);
    }
}
