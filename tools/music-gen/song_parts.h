// song_parts.h - the section writers of the song, one per part of the show (internal to song*.cpp).
#pragma once

#include "score.h"

// Tempo (beats per minute) and speed (ticks per row), written into the clap channel's effects.
void setTempo(Part p, int row, int bpm);
void setSpeed(Part p, int row, int ticks);

// The main hook over Am F C G Am F C G, one bar per line.
extern const char* const hook[8];
extern const char* const progression[8]; // Am F C G Am F C G

void writeIntro(Part p);     // 125 rows at 125 bpm: pads, bells, arpeggio and riser fade in
void writeLift(Part p);      // 33 rows (the last one longer): the beat arrives
void writeHit(Part p);       // 8 rows (the last one longer): one big chord hit and its echo
void writeBuild(Part p);     // 25 rows: snare roll and riser into the first drop
void writeDrop(Part p);      // 128 rows at 125 bpm: drums, bass, pads and the hook
void writeDropTwo(Part p);   // 128 rows: arpeggio, busier drums, the hook's second half climbs
void writeBreakdown(Part p); // 128 rows: no beat, bells and the hook slowed down
void writeRise(Part p);      // 128 rows: the beat returns and builds to the climax
void writeClimax(Part p);    // 128 rows: everything, the hook in thirds
void writeBridge(Part p);    // 128 rows: Dm F G E with a new melody; last two bars at 126 bpm
void writeFinale(Part p);    // 128 rows: the hook once more, cadence, final chord dying away
