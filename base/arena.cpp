// arena.cpp - the work arena: two lazily committed, zero-filled regions and a bump cursor each.
#include "base/arena.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

WorkArena workArena;

//-----------------------------------------------------------------------------
// Internals
//-----------------------------------------------------------------------------

static void warnToStderr(const char* text) {
    std::fprintf(stderr, "%s\n", text);
}

static ArenaWarningFn warningHandler = warnToStderr;

// Address space for one region; pages are zero-filled and take memory only once touched.
#ifdef _WIN32
#include <windows.h>
static void* reserveRegion() {
    return VirtualAlloc(nullptr, kArenaRegionBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}
static void releaseRegion(void* region) {
    VirtualFree(region, 0, MEM_RELEASE);
}
static const char* reserveError() {
    static char text[64];
    std::snprintf(text, sizeof text, "Windows error %lu", (unsigned long)GetLastError());
    return text;
}
#else
#include <sys/mman.h>
static void* reserveRegion() {
    void* p = mmap(nullptr, kArenaRegionBytes, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    return p == MAP_FAILED ? nullptr : p;
}
static void releaseRegion(void* region) {
    munmap(region, kArenaRegionBytes);
}
static const char* reserveError() {
    return std::strerror(errno);
}
#endif

// Zero-fills [at, at + size): whole pages are handed back to the system where it can (they read as zero
// and take memory again only once touched), the rest is cleared.
static void clearRange(uint8_t* at, uint32_t size) {
#if defined(__linux__)
    const uintptr_t page = 4096, begin = ((uintptr_t)at + page - 1) & ~(page - 1),
                    end = ((uintptr_t)at + size) & ~(page - 1);
    if (end > begin && madvise((void*)begin, end - begin, MADV_DONTNEED) == 0) {
        std::memset(at, 0, begin - (uintptr_t)at);
        std::memset((void*)end, 0, (uintptr_t)at + size - end);
        return;
    }
#endif
    std::memset(at, 0, size);
}

static uint8_t* mapRegion(const char* which) {
    void* p = reserveRegion();
    if (!p) {
        std::fprintf(stderr, "qz001: cannot reserve the %s work-arena region of %u bytes: %s\n", which,
                     kArenaRegionBytes, reserveError());
        std::exit(1);
    }
    return static_cast<uint8_t*>(p);
}

static uint8_t* alignUp32(uint8_t* raw) {
    uintptr_t a = reinterpret_cast<uintptr_t>(raw);
    return (a % 32 == 0) ? raw : raw + (32 - a % 32);
}

// Bytes usable from the aligned base to the end of the region.
static uint64_t usableBytes(const uint8_t* raw, const uint8_t* base) {
    return kArenaRegionBytes - static_cast<uint64_t>(base - raw);
}

//-----------------------------------------------------------------------------
// Explicit-arena API
//-----------------------------------------------------------------------------

void arenaInitOn(WorkArena& arena) {
    arena.mainRaw = mapRegion("main");
    arena.mainBase = alignUp32(arena.mainRaw);
    arena.mainCursor = 0;
    arena.frameRaw = mapRegion("frame");
    arena.frameBase = alignUp32(arena.frameRaw);
    arena.frameCursor = 0;
}

void* arenaReserveOn(WorkArena& arena, uint32_t size) {
    std::lock_guard<std::mutex> hold(arena.mainLock);
    if (arena.mainCursor > kArenaWarnBytes) warningHandler("memory over!!!");
    uint64_t end = static_cast<uint64_t>(arena.mainCursor) + size;
    if (end > usableBytes(arena.mainRaw, arena.mainBase)) {
        std::fprintf(
            stderr,
            "qz001: work arena exhausted: a reservation of %u bytes at offset %u runs past the end of "
            "the %u-byte region\n",
            size, arena.mainCursor, kArenaRegionBytes);
        std::exit(1);
    }
    void* result = arena.mainBase + arena.mainCursor;
    arena.mainCursor = static_cast<uint32_t>(end);
    return result;
}

void frameArenaResetOn(WorkArena& arena) {
    std::lock_guard<std::mutex> hold(arena.frameLock);
    arena.frameCursor = 0;
}

void arenaReleaseOn(WorkArena& arena) {
    if (arena.mainRaw) releaseRegion(arena.mainRaw);
    if (arena.frameRaw) releaseRegion(arena.frameRaw);
    arena.mainRaw = arena.mainBase = arena.frameRaw = arena.frameBase = nullptr;
    arena.mainCursor = arena.frameCursor = 0;
}

//-----------------------------------------------------------------------------
// Process-wide arena
//-----------------------------------------------------------------------------

void arenaInit() {
    arenaInitOn(workArena);
}
void* arenaReserve(uint32_t size) {
    return arenaReserveOn(workArena, size);
}
void frameArenaReset() {
    frameArenaResetOn(workArena);
}
void arenaSetWarningHandler(ArenaWarningFn fn) {
    warningHandler = fn ? fn : warnToStderr;
}

uint32_t arenaMark() {
    std::lock_guard<std::mutex> hold(workArena.mainLock);
    return workArena.mainCursor;
}

void arenaRewind(uint32_t mark) {
    std::lock_guard<std::mutex> hold(workArena.mainLock);
    if (mark >= workArena.mainCursor) return;
    clearRange(workArena.mainBase + mark, workArena.mainCursor - mark);
    workArena.mainCursor = mark;
}
