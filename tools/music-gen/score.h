// score.h - writing music into XM patterns: notes, melodies from text, chords, volume ramps, echoes.
//
// A Part is one pattern being written. Rows count from 0; a bar is 16 rows (four beats of four
// rows). Melodies are written as text, one token per row separated by spaces:
//   "A-4 . . C-5 . . E-5 . ^ ."   note names as in a tracker, "." holds, "^" releases the note.
#pragma once

#include "instruments.h"
#include "xm.h"

// ---------------------------------------------------------------------------------------------
// Channels of the song
// ---------------------------------------------------------------------------------------------

enum Channel : int {
    chKick,
    chSnare,
    chHat,
    chCymbal,
    chBass,
    chPad0,
    chPad1,
    chPad2,
    chLead,
    chLeadEcho,
    chArp,
    chArpEcho,
    chFx,
    chBell,
    chBellEcho,
    chClap,
    songChannels
};
// The clap channel carries the tempo changes in its effect column; no clap note uses an effect.

// ---------------------------------------------------------------------------------------------
// Chords
// ---------------------------------------------------------------------------------------------

struct Chord {
    uint8_t pad[3]; // voicing around middle C
    uint8_t root;   // bass root in octave 1 (octave 2 for C)
    uint8_t arp[4]; // four rising chord tones from octave 4 for the pluck
};
// "Am", "F", "C", "G", "Dm", "Em", "E"; anything else is a programming error and aborts.
Chord chord(const char* name);

// ---------------------------------------------------------------------------------------------
// Writing cells
// ---------------------------------------------------------------------------------------------

struct Part {
    XmPattern* pattern;
    int origin; // row of the first bar line; rows before it are a pick-up
};

inline int bar(Part p, int b) {
    return p.origin + b * 16;
}

void note(Part p, int ch, int row, uint8_t note, uint8_t instrument, int volume);
void keyOff(Part p, int ch, int row);
void volume(Part p, int ch, int row, int volume);
void effect(Part p, int ch, int row, uint8_t effect, uint8_t param);
// Sets the volume column of rows first..last to a straight line from v0 to v1.
void ramp(Part p, int ch, int first, int last, int v0, int v1);
// Writes a melody starting at `row`; returns the number of rows it spans.
int melody(Part p, int ch, int row, const char* text, uint8_t instrument, int volume);
// Repeats every note and release of channel `from` on channel `to`, `delay` rows later, at
// `scale` of its volume and at panning `pan`; notes that would fall past the pattern are dropped.
void echo(Part p, int from, int to, int delay, double scale, uint8_t pan);
// Copies channel `from` to `to` with every note moved by `steps` steps of the A minor scale (G
// raised to G# when `raiseG`), at `scale` of its volume, played by `instrument`.
void harmonise(Part p, int from, int to, int steps, double scale, bool raiseG, uint8_t instrument);
// Empties rows first..last of a channel.
void clear(Part p, int ch, int first, int last);

// ---------------------------------------------------------------------------------------------
// Arrangement helpers (all take a first bar and a bar count)
// ---------------------------------------------------------------------------------------------

// One chord per bar on the three pad channels, spread left, centre, right.
void padChords(Part p, int firstBar, const char* const* chords, int bars, int volume);
// Side-chain feel: pad volume dips on every beat and swells back before the next.
void padPump(Part p, int firstBar, int bars, int volume);
// Pluck arpeggio of sixteenths over one chord per bar, with its echo.
void arpeggio(Part p, int firstBar, const char* const* chords, int bars, int v0, int v1);

enum BassStyle { bassOffbeat, bassGallop, bassRolling };
void bassLine(Part p, int firstBar, const char* const* chords, int bars, BassStyle style, int volume);

enum DrumFlags : unsigned {
    drumKick = 1,      // four on the floor
    drumClap = 2,      // clap and snare on beats two and four
    drumHats8 = 4,     // closed hat on the off-beats
    drumHats16 = 8,    // closed hat on every sixteenth, accents on the off-beats
    drumOpenHats = 16, // open hat on the off-beats
};
void drums(Part p, int firstBar, int bars, unsigned flags);
// Snare fill over rows first..last: one hit every `step` rows, volume rising v0 to v1.
void snareFill(Part p, int first, int last, int step, int v0, int v1);
