// process_clock.cpp - the seconds since the process started, per platform.
#include "show/process_clock.h"

#include <chrono>

#if defined(__EMSCRIPTEN__)
#include <emscripten.h>
#elif defined(_WIN32)
#include <windows.h>
#elif defined(__linux__)
#include <cstdio>
#include <cstring>
#include <ctime>
#include <unistd.h>
#endif

namespace {

#if !defined(__EMSCRIPTEN__) // the page's clock has its own origin
// The fallback origin: the first call.
double secondsSinceFirstCall() {
    using Clock = std::chrono::steady_clock;
    static const Clock::time_point first = Clock::now();
    return std::chrono::duration<double>(Clock::now() - first).count();
}
#endif

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
// The process's start on the boot-time clock: field 22 of /proc/self/stat, in clock ticks since boot
// (the kernel truncates to a tick, so the age read is up to one tick, 10 ms, too long). Negative when
// the file cannot be read.
double startSecondsAfterBoot() {
    FILE* file = std::fopen("/proc/self/stat", "r");
    if (!file) return -1.0;
    char line[1024];
    const size_t length = std::fread(line, 1, sizeof line - 1, file);
    std::fclose(file);
    line[length] = '\0';
    // The command name (field 2) is in parentheses and may hold spaces: count from the last ')'.
    const char* at = std::strrchr(line, ')');
    if (!at) return -1.0;
    for (int field = 2; field < 22; ++field) {
        at = std::strchr(at + 1, ' ');
        if (!at) return -1.0;
    }
    unsigned long long ticks = 0;
    if (std::sscanf(at + 1, "%llu", &ticks) != 1) return -1.0;
    const long perSecond = sysconf(_SC_CLK_TCK);
    return perSecond > 0 ? (double)ticks / (double)perSecond : -1.0;
}
#endif

} // namespace

#if defined(__EMSCRIPTEN__)

double secondsSinceExec() {
    return emscripten_get_now() / 1000.0; // performance.now(): milliseconds since the page's navigation start
}

const char* processClockOrigin() {
    return "exec";
}

#elif defined(_WIN32)

namespace {
double processAgeSeconds() {
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1.0;
    GetSystemTimePreciseAsFileTime(&now);
    auto ticks = [](const FILETIME& t) {
        return (double)(((unsigned long long)t.dwHighDateTime << 32) | t.dwLowDateTime);
    };
    return (ticks(now) - ticks(created)) / 1e7; // 100 ns units
}
} // namespace

double secondsSinceExec() {
    const double age = processAgeSeconds();
    return age >= 0.0 ? age : secondsSinceFirstCall();
}

const char* processClockOrigin() {
    return processAgeSeconds() >= 0.0 ? "exec" : "first call";
}

#elif defined(__linux__)

double secondsSinceExec() {
    static const double start = startSecondsAfterBoot();
    if (start < 0.0) return secondsSinceFirstCall();
    timespec now = {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return (double)now.tv_sec + (double)now.tv_nsec / 1e9 - start;
}

const char* processClockOrigin() {
    return startSecondsAfterBoot() >= 0.0 ? "exec" : "first call";
}

#else

double secondsSinceExec() {
    return secondsSinceFirstCall();
}

const char* processClockOrigin() {
    return "first call";
}

#endif
