// score.cpp - note, melody, chord and drum writers over XM patterns.
#include "score.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

XmCell& cell(Part p, int ch, int row) {
    if (row < 0 || row >= p.pattern->rows || ch < 0 || ch >= songChannels) {
        std::fprintf(stderr, "qz-music-gen: cell row %d channel %d is outside the pattern\n", row, ch);
        std::abort();
    }
    return xmCell(*p.pattern, songChannels, row, ch);
}

uint8_t noteOf(const char* name) {
    uint8_t n = xmNote(name);
    if (!n) {
        std::fprintf(stderr, "qz-music-gen: bad note name \"%s\"\n", name);
        std::abort();
    }
    return n;
}

const uint8_t padPans[3] = {72, 128, 184};

} // namespace

// ---------------------------------------------------------------------------------------------
// Chords
// ---------------------------------------------------------------------------------------------

Chord chord(const char* name) {
    struct Entry {
        const char* name;
        const char* pad[3];
        const char* root;
        const char* arp[4];
    };
    static const Entry table[] = {
        {"Am", {"A-3", "C-4", "E-4"}, "A-1", {"A-4", "C-5", "E-5", "A-5"}},
        {"F", {"A-3", "C-4", "F-4"}, "F-1", {"F-4", "A-4", "C-5", "F-5"}},
        {"C", {"G-3", "C-4", "E-4"}, "C-2", {"G-4", "C-5", "E-5", "G-5"}},
        {"G", {"G-3", "B-3", "D-4"}, "G-1", {"G-4", "B-4", "D-5", "G-5"}},
        {"Dm", {"A-3", "D-4", "F-4"}, "D-1", {"A-4", "D-5", "F-5", "A-5"}},
        {"Em", {"G-3", "B-3", "E-4"}, "E-1", {"G-4", "B-4", "E-5", "G-5"}},
        {"E", {"G#3", "B-3", "E-4"}, "E-1", {"G#4", "B-4", "E-5", "G#5"}},
    };
    for (const Entry& e : table) {
        if (std::strcmp(e.name, name) != 0) continue;
        Chord c{};
        for (int i = 0; i < 3; ++i) c.pad[i] = noteOf(e.pad[i]);
        c.root = noteOf(e.root);
        for (int i = 0; i < 4; ++i) c.arp[i] = noteOf(e.arp[i]);
        return c;
    }
    std::fprintf(stderr, "qz-music-gen: unknown chord \"%s\"\n", name);
    std::abort();
}

// ---------------------------------------------------------------------------------------------
// Cells
// ---------------------------------------------------------------------------------------------

void note(Part p, int ch, int row, uint8_t n, uint8_t instrument, int v) {
    XmCell& c = cell(p, ch, row);
    c.note = n;
    c.instrument = instrument;
    c.volume = xmVolume(v);
}

void keyOff(Part p, int ch, int row) {
    XmCell& c = cell(p, ch, row);
    c.note = xmKeyOff;
    c.instrument = 0;
}

void volume(Part p, int ch, int row, int v) {
    cell(p, ch, row).volume = xmVolume(v);
}

void effect(Part p, int ch, int row, uint8_t fx, uint8_t param) {
    XmCell& c = cell(p, ch, row);
    c.effect = fx;
    c.param = param;
}

void ramp(Part p, int ch, int first, int last, int v0, int v1) {
    for (int row = first; row <= last; ++row) {
        int span = last - first;
        int v = span ? v0 + ((v1 - v0) * (row - first) * 2 + span) / (2 * span) : v1;
        volume(p, ch, row, v);
    }
}

int melody(Part p, int ch, int row, const char* text, uint8_t instrument, int v) {
    int rows = 0;
    for (const char* s = text; *s;) {
        while (*s == ' ') ++s;
        if (!*s) break;
        const char* end = s;
        while (*end && *end != ' ') ++end;
        char token[8] = {};
        std::memcpy(token, s, size_t(end - s < 7 ? end - s : 7));
        if (std::strcmp(token, "^") == 0)
            keyOff(p, ch, row + rows);
        else if (std::strcmp(token, ".") != 0)
            note(p, ch, row + rows, noteOf(token), instrument, v);
        ++rows;
        s = end;
    }
    return rows;
}

void echo(Part p, int from, int to, int delay, double scale, uint8_t pan) {
    for (int row = p.pattern->rows - 1 - delay; row >= 0; --row) {
        XmCell src = cell(p, from, row);
        if (!src.note) continue;
        XmCell& dst = cell(p, to, row + delay);
        dst.note = src.note;
        dst.instrument = src.instrument;
        if (src.note != xmKeyOff) {
            int v = src.volume >= 0x10 && src.volume <= 0x50 ? src.volume - 0x10 : 64;
            dst.volume = xmVolume(int(v * scale + 0.5));
            dst.effect = xmFxPanning;
            dst.param = pan;
        }
    }
}

void harmonise(Part p, int from, int to, int steps, double scale, bool raiseG, uint8_t instrument) {
    static const int scaleSemis[7] = {0, 2, 3, 5, 7, 8, 10}; // A minor from A
    for (int row = 0; row < p.pattern->rows; ++row) {
        XmCell src = cell(p, from, row);
        if (!src.note) continue;
        XmCell& dst = cell(p, to, row);
        dst = src;
        if (src.note == xmKeyOff) continue;
        dst.instrument = instrument;
        int fromA = int(src.note) - 1 - 9; // semitones above A-0
        int octave = fromA >= 0 ? fromA / 12 : -1 - (-fromA - 1) / 12;
        int within = fromA - octave * 12, degree = 0;
        for (int d = 0; d < 7; ++d)
            if (scaleSemis[d] <= within) degree = d;
        int target = octave * 7 + degree + steps;
        int tOctave = target >= 0 ? target / 7 : -1 - (-target - 1) / 7;
        int tDegree = target - tOctave * 7;
        int semis = scaleSemis[tDegree] + (raiseG && tDegree == 6 ? 1 : 0);
        dst.note = uint8_t(1 + 9 + tOctave * 12 + semis);
        int v = src.volume >= 0x10 && src.volume <= 0x50 ? src.volume - 0x10 : 64;
        dst.volume = xmVolume(int(v * scale + 0.5));
    }
}

void clear(Part p, int ch, int first, int last) {
    for (int row = first; row <= last; ++row) cell(p, ch, row) = XmCell{};
}

// ---------------------------------------------------------------------------------------------
// Arrangement helpers
// ---------------------------------------------------------------------------------------------

void padChords(Part p, int firstBar, const char* const* chords, int bars, int v) {
    for (int b = 0; b < bars; ++b) {
        Chord c = chord(chords[b]);
        for (int i = 0; i < 3; ++i) {
            note(p, chPad0 + i, bar(p, firstBar + b), c.pad[i], insPad, v);
            effect(p, chPad0 + i, bar(p, firstBar + b), xmFxPanning, padPans[i]);
        }
    }
}

void padPump(Part p, int firstBar, int bars, int v) {
    static const int shape[4] = {40, 68, 88, 100}; // percent of `v` on the rows of one beat
    for (int row = bar(p, firstBar); row < bar(p, firstBar + bars); ++row)
        for (int i = 0; i < 3; ++i) volume(p, chPad0 + i, row, (v * shape[(row - p.origin) % 4] + 50) / 100);
}

void arpeggio(Part p, int firstBar, const char* const* chords, int bars, int v0, int v1) {
    static const int order[16] = {0, 1, 2, 3, 2, 1, 2, 3, 0, 1, 2, 3, 2, 3, 1, 2};
    int first = bar(p, firstBar), last = bar(p, firstBar + bars) - 1;
    for (int row = first; row <= last; ++row) {
        Chord c = chord(chords[(row - first) / 16]);
        int span = last - first;
        int v = span ? v0 + (v1 - v0) * (row - first) / span : v1;
        note(p, chArp, row, c.arp[order[(row - first) % 16]], insPluck, v - ((row - first) % 2 ? 6 : 0));
        effect(p, chArp, row, xmFxPanning, 96);
    }
    echo(p, chArp, chArpEcho, 3, 0.45, 176);
}

void bassLine(Part p, int firstBar, const char* const* chords, int bars, BassStyle style, int v) {
    for (int b = 0; b < bars; ++b) {
        uint8_t root = uint8_t(chord(chords[b]).root + 12);
        for (int beat = 0; beat < 4; ++beat) {
            int row = bar(p, firstBar + b) + beat * 4;
            if (style == bassRolling) note(p, chBass, row + 1, root, insBass, v * 3 / 4);
            note(p, chBass, row + 2, root, insBass, v);
            if (style != bassOffbeat)
                note(p, chBass, row + 3, uint8_t(root + 12), insBass, v * 5 / 8);
            else
                keyOff(p, chBass, row + 3);
        }
    }
}

void drums(Part p, int firstBar, int bars, unsigned flags) {
    for (int row = bar(p, firstBar); row < bar(p, firstBar + bars); ++row) {
        int inBeat = (row - p.origin) % 4, inBar = (row - p.origin) % 16;
        if ((flags & drumKick) && inBeat == 0) note(p, chKick, row, xmNote("C-4"), insKick, 64);
        if ((flags & drumClap) && (inBar == 4 || inBar == 12)) {
            note(p, chClap, row, xmNote("C-4"), insClap, 60);
            note(p, chSnare, row, xmNote("C-4"), insSnare, 40);
        }
        if ((flags & drumOpenHats) && inBeat == 2)
            note(p, chHat, row, xmNote("C-4"), insHatOpen, 40);
        else if ((flags & drumHats16) && inBeat != 0)
            note(p, chHat, row, xmNote("C-4"), insHatClosed, inBeat == 2 ? 48 : 28);
        else if ((flags & drumHats8) && inBeat == 2)
            note(p, chHat, row, xmNote("C-4"), insHatClosed, 48);
    }
}

void snareFill(Part p, int first, int last, int step, int v0, int v1) {
    int span = last - first;
    for (int row = first; row <= last; row += step)
        note(p, chSnare, row, xmNote("C-4"), insSnare, span ? v0 + (v1 - v0) * (row - first) / span : v1);
}
