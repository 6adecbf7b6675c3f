// arena.h - the process-wide work arena.
//
// A bump allocator over two 512 MiB regions of zero-filled memory that is reserved up front and
// costs nothing until touched. Every variable-sized piece of start-up data (text meshes, the shader
// source buffer, the director's tables and value arrays) is reserved from the main region and never
// given back; the frame region's cursor is set back to 0 before every frame.
//
//     arenaInit();                         // once, before anything is reserved
//     float* v = (float*)arenaReserve(64); // 64 zero-filled bytes, never freed
//     frameArenaReset();                   // before every frame
//
// Only the region bases are aligned (to 32 bytes); single reservations are neither aligned nor padded.
// Past 256 MiB of main cursor every reservation warns "memory over!!!" and still completes. A
// reservation that would run past the end of the region is refused: the arena reports it and ends
// the program with a non-zero status.
#pragma once

#include <cstdint>
#include <mutex>

// 512 MiB per region; a build whose memory is committed when reserved (WebAssembly) asks for less
// with QZ_ARENA_REGION_MIB (the show's start-up data takes about 3 MiB).
#ifndef QZ_ARENA_REGION_MIB
#define QZ_ARENA_REGION_MIB 512
#endif
inline constexpr uint32_t kArenaRegionBytes = QZ_ARENA_REGION_MIB * 0x100000u;
inline constexpr uint32_t kArenaWarnBytes = kArenaRegionBytes / 2; // warn once the main cursor is past half

struct WorkArena {
    uint8_t* mainRaw;     // what the system returned for the main region
    uint8_t* mainBase;    // mainRaw moved up to a multiple of 32
    uint32_t mainCursor;  // bytes handed out from mainBase; only grows
    std::mutex mainLock;  // guards mainCursor
    uint8_t* frameRaw;    // what the system returned for the frame region
    uint8_t* frameBase;   // frameRaw moved up to a multiple of 32
    uint32_t frameCursor; // bytes handed out from the frame region; 0 before every frame
    std::mutex frameLock; // guards frameCursor
};

// Called with the warning text each time a reservation starts past the warning threshold. The
// default writes the text to stderr; the shell may install one that shows a message box.
using ArenaWarningFn = void (*)(const char* text);

extern WorkArena workArena;

void arenaInit();
void* arenaReserve(uint32_t size);
void frameArenaReset();
void arenaSetWarningHandler(ArenaWarningFn fn); // nullptr restores the default

// The main cursor now, and a rewind to it: what was reserved since is zero-filled and handed out again.
// Only for data reserved last and replaced whole (the edit mode's reloaded scene data).
uint32_t arenaMark();
void arenaRewind(uint32_t mark);

// The same operations on an arena of the caller's; the functions above use `workArena`.
void arenaInitOn(WorkArena& arena);
void* arenaReserveOn(WorkArena& arena, uint32_t size);
void frameArenaResetOn(WorkArena& arena);
void arenaReleaseOn(WorkArena& arena); // unmaps both regions (tests only; the show never frees)
