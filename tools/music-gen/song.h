// song.h - "Palewire", the show's soundtrack: composition and arrangement of the XM module.
//
// composeSong() builds the whole module (instruments, patterns, order list). The piece is in
// A minor, 125 beats per minute at six ticks per row, and its sections change exactly where the
// show's scenes change. songSections lists where each section starts, for checks.
#pragma once

#include "xm.h"

struct SongSection {
    const char* name;
    int order;     // position in the order list where the section starts (row 0)
    int showFrame; // 60 Hz frame of the show's clock at which it must start
};

const int songSectionCount = 12;
extern const SongSection songSections[songSectionCount];

XmModule composeSong();
