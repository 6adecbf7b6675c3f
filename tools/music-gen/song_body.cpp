// song_body.cpp - the seven 8-bar sections after the opening: two drops, breakdown, rise,
// climax, bridge and finale.
#include "song_parts.h"

namespace {

const uint8_t c4 = 49; // C-4: drums sound at their recorded pitch
const uint8_t c3 = 37; // C-3: the kick an octave down, a boom

void crashAndBoom(Part p, int row, int crashVolume, int boomVolume) {
    note(p, chCymbal, row, c4, insCrash, crashVolume);
    note(p, chFx, row, c3, insKick, boomVolume);
}

void riser(Part p, int first, int last, int v0, int v1, uint8_t slide) {
    note(p, chFx, first, c4, insNoise, v0);
    ramp(p, chFx, first, last, v0, v1);
    for (int row = first; row <= last; ++row) effect(p, chFx, row, xmFxPortaUp, slide);
    if (last + 1 < p.pattern->rows) volume(p, chFx, last + 1, 0);
}

// Four rising snare sixteenths that close the phrase before bar `nextBar`.
void phraseFill(Part p, int nextBar, int v0, int v1) {
    snareFill(p, bar(p, nextBar) - 4, bar(p, nextBar) - 1, 1, v0, v1);
}

void leadLines(Part p, int firstBar, const char* const* lines, int bars, int v) {
    for (int b = 0; b < bars; ++b) melody(p, chLead, bar(p, firstBar + b), lines[b], insLead, v);
}

} // namespace

void writeDrop(Part p) {
    crashAndBoom(p, 0, 60, 48);
    note(p, chCymbal, bar(p, 4), c4, insCrash, 36);
    drums(p, 0, 8, drumKick | drumClap | drumHats8);
    phraseFill(p, 4, 22, 34);
    snareFill(p, bar(p, 7) + 8, bar(p, 8) - 1, 1, 24, 48);
    bassLine(p, 0, progression, 8, bassGallop, 52);
    padChords(p, 0, progression, 8, 36);
    padPump(p, 0, 8, 36);
    leadLines(p, 0, hook, 8, 44);
    echo(p, chLead, chLeadEcho, 3, 0.4, 200);
}

void writeDropTwo(Part p) {
    static const char* const climb[4] = {
        "E-5 . . A-5 . . G-5 . . . E-5 . D-5 . E-5 .",
        "F-5 . . . . . E-5 . C-5 . . . A-4 . C-5 .",
        "E-5 . . G-5 . . E-5 . . . D-5 . C-5 . D-5 .",
        "B-4 . . . . . D-5 . . . G-5 . . . ^ .",
    };
    crashAndBoom(p, 0, 56, 40);
    note(p, chCymbal, bar(p, 4), c4, insCrash, 44);
    drums(p, 0, 8, drumKick | drumClap | drumHats16);
    phraseFill(p, 4, 24, 38);
    snareFill(p, bar(p, 7) + 8, bar(p, 8) - 1, 1, 28, 52);
    bassLine(p, 0, progression, 8, bassRolling, 52);
    padChords(p, 0, progression, 8, 36);
    padPump(p, 0, 8, 36);
    arpeggio(p, 0, progression, 8, 24, 30);
    leadLines(p, 0, hook, 4, 44);
    leadLines(p, 4, climb, 4, 46);
    echo(p, chLead, chLeadEcho, 3, 0.4, 200);
}

void writeBreakdown(Part p) {
    static const char* const chords[8] = {"F", "G", "Em", "Am", "F", "G", "C", "E"};
    static const char* const bells[4] = {
        "A-5 . . . . . C-6 . . . . . E-6 . . .",
        ". . . . D-6 . . . C-6 . . . D-6 . . .",
        "E-6 . . . . . . . . . . . B-5 . . .",
        "C-6 . . . . . . . A-5 . . . . . . .",
    };
    static const char* const lines[4] = {
        "A-4 . . C-5 . . F-5 . . . E-5 . C-5 . A-4 .",
        "B-4 . . . . . D-5 . . . G-5 . . . F-5 .",
        "E-5 . . . . . G-5 . . . E-5 . C-5 . . .",
        "B-4 . . . . . . . G#4 . . . ^ . . .",
    };
    padChords(p, 0, chords, 8, 22);
    for (int i = 0; i < 3; ++i) ramp(p, chPad0 + i, 0, bar(p, 8) - 1, 22, 36);
    for (int b = 0; b < 8; ++b) note(p, chBass, bar(p, b), chord(chords[b]).root, insSub, 24);
    for (int b = 0; b < 4; ++b) melody(p, chBell, bar(p, b), bells[b], insBell, 34);
    echo(p, chBell, chBellEcho, 3, 0.5, 56);
    leadLines(p, 4, lines, 4, 26);
    echo(p, chLead, chLeadEcho, 3, 0.45, 200);
    arpeggio(p, 4, &chords[4], 4, 12, 24);
    for (int k = 0; k < 4; ++k) note(p, chClap, bar(p, 6) + 4 + 8 * k, c4, insClap, 18 + 5 * k);
    for (int row = bar(p, 7); row < bar(p, 8); ++row)
        note(p, chHat, row, c4, insHatClosed, 8 + (row - bar(p, 7)) + (row % 2 ? 0 : 4));
    riser(p, bar(p, 7), bar(p, 8) - 1, 6, 34, 4);
}

void writeRise(Part p) {
    drums(p, 0, 4, drumKick | drumClap | drumHats8);
    drums(p, 4, 3, drumKick | drumHats16);
    for (int row = bar(p, 7); row <= bar(p, 7) + 10; row += 2) note(p, chKick, row, c4, insKick, 60);
    bassLine(p, 0, progression, 8, bassOffbeat, 44);
    clear(p, chBass, 124, 127);
    keyOff(p, chBass, 124);
    padChords(p, 0, progression, 8, 32);
    padPump(p, 0, 4, 32);
    for (int i = 0; i < 3; ++i) ramp(p, chPad0 + i, bar(p, 4), 123, 32, 50);
    arpeggio(p, 0, progression, 8, 14, 44);
    clear(p, chArp, 124, 127);
    snareFill(p, bar(p, 4), bar(p, 6) - 1, 2, 18, 36);
    snareFill(p, bar(p, 6), bar(p, 7) - 1, 1, 36, 50);
    snareFill(p, bar(p, 7), 123, 1, 50, 62);
    for (int row = bar(p, 7); row <= 123; ++row) effect(p, chSnare, row, xmFxExtended, 0x93);
    riser(p, bar(p, 4), 123, 8, 48, 2);
}

void writeClimax(Part p) {
    crashAndBoom(p, 0, 64, 56);
    note(p, chCymbal, bar(p, 4), c4, insCrash, 50);
    drums(p, 0, 8, drumKick | drumClap | drumHats16 | drumOpenHats);
    phraseFill(p, 4, 26, 42);
    snareFill(p, bar(p, 7) + 8, bar(p, 8) - 1, 1, 30, 56);
    bassLine(p, 0, progression, 8, bassRolling, 56);
    padChords(p, 0, progression, 8, 40);
    padPump(p, 0, 8, 40);
    arpeggio(p, 0, progression, 8, 26, 30);
    leadLines(p, 0, hook, 8, 46);
    harmonise(p, chLead, chLeadEcho, -2, 0.7, false, insLead);
    for (int row = 0; row < p.pattern->rows; ++row) effect(p, chLeadEcho, row, xmFxPanning, 176);
    harmonise(p, chLead, chBell, 7, 0.4, false, insBell);
}

void writeBridge(Part p) {
    static const char* const chords[8] = {"Dm", "F", "G", "E", "Dm", "F", "G", "E"};
    static const char* const lines[8] = {
        "F-5 . . E-5 . . D-5 . . . A-4 . . . D-5 .", "C-5 . . . . . A-4 . . . F-4 . . . A-4 .",
        "B-4 . . C-5 . . D-5 . . . G-5 . . . F-5 .", "E-5 . . . . . . . G#4 . . . B-4 . . .",
        "A-5 . . G-5 . . F-5 . . . D-5 . . . F-5 .", "E-5 . . . . . C-5 . . . A-4 . C-5 . . .",
        "D-5 . . E-5 . . F-5 . . . G-5 . . . A-5 .", "G#5 . . . . . E-5 . . . B-4 . . . ^ .",
    };
    crashAndBoom(p, 0, 52, 36);
    drums(p, 0, 7, drumKick | drumClap | drumHats16);
    for (int row = bar(p, 7); row <= bar(p, 7) + 8; row += 4) note(p, chKick, row, c4, insKick, 64);
    snareFill(p, bar(p, 7), bar(p, 8) - 1, 1, 28, 58);
    setTempo(p, bar(p, 6), 126); // pulls the finale into frame 6910
    bassLine(p, 0, chords, 8, bassRolling, 52);
    padChords(p, 0, chords, 8, 36);
    padPump(p, 0, 8, 36);
    arpeggio(p, 0, chords, 8, 24, 32);
    leadLines(p, 0, lines, 8, 44);
    echo(p, chLead, chLeadEcho, 3, 0.4, 200);
    riser(p, bar(p, 7), bar(p, 8) - 1, 8, 40, 4);
}

void writeFinale(Part p) {
    static const char* const chords[6] = {"Am", "F", "C", "G", "F", "G"};
    static const char* const cadence[2] = {
        "F-5 . . . . . E-5 . C-5 . . . A-4 . C-5 .",
        "D-5 . . . . . . . B-4 . . . D-5 . E-5 .",
    };
    setTempo(p, 0, 125);
    crashAndBoom(p, 0, 60, 48);
    drums(p, 0, 4, drumKick | drumClap | drumHats16 | drumOpenHats);
    drums(p, 4, 2, drumKick | drumClap | drumHats16);
    phraseFill(p, 4, 26, 42);
    snareFill(p, bar(p, 5) + 8, bar(p, 6) - 1, 1, 30, 56);
    bassLine(p, 0, chords, 6, bassRolling, 54);
    padChords(p, 0, chords, 6, 40);
    padPump(p, 0, 6, 40);
    arpeggio(p, 0, chords, 6, 28, 30);
    leadLines(p, 0, hook, 4, 46);
    leadLines(p, 4, cadence, 2, 46);

    // The last chord at bar 7, then everything dies away.
    const int end = bar(p, 6);
    crashAndBoom(p, end, 64, 64);
    note(p, chKick, end, c4, insKick, 64);
    static const char* const last[1] = {"Am"};
    padChords(p, 6, last, 1, 48);
    note(p, chBass, end, chord("Am").root, insSub, 56);
    melody(p, chLead, end, "A-4 . . . . . . . ^", insLead, 46);
    for (int i = 0; i < 3; ++i) keyOff(p, chPad0 + i, end + 4);
    keyOff(p, chBass, end + 4);
    echo(p, chLead, chLeadEcho, 3, 0.4, 200);
    melody(p, chBell, end, "A-5 . . . . . E-5 . . . . . C-5", insBell, 36);
    ramp(p, chBell, end + 6, end + 12, 30, 20);
    echo(p, chBell, chBellEcho, 3, 0.5, 56);
}
