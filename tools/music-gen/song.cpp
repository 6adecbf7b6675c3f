// song.cpp - the module's frame, the opening (intro, lift, hit, build) and the section table.
//
// Timing: the show's clock turns milliseconds into 60 Hz frames as ms * 100 / 1666, and a tick at
// 125 bpm lasts 20 ms (a row of six ticks 120 ms). The intro is 125 rows (15000 ms, frame 900).
// The lift is 32 rows plus one row of eight ticks (4000 ms, so the hit lands on 19000 ms, frame
// 1140); the hit is seven rows plus one of eight ticks (1000 ms, frame 1200); the build is 25 rows
// (3000 ms, frame 1380). From there every section is 128 rows (15360 ms, 922 frames). A 20 ms tick
// cannot reach frame 6910, so the bridge plays its last 32 rows at 126 bpm, 30 ms shorter. A short
// silent pattern ends the song. Every tempo used gives whole sample counts per tick at 44.1 and
// 48 kHz except 126 bpm at 48 kHz, where a player's rounding moves the finale by under 2 ms.
#include "song.h"

#include "song_parts.h"

const SongSection songSections[songSectionCount] = {
    {"intro", 0, 0},     {"lift", 1, 900},      {"hit", 2, 1140},       {"build", 3, 1200},
    {"drop", 4, 1380},   {"drop two", 5, 2302}, {"breakdown", 6, 3224}, {"rise", 7, 4146},
    {"climax", 8, 5068}, {"bridge", 9, 5990},   {"finale", 10, 6910},   {"end", 11, 7832},
};

const char* const progression[8] = {"Am", "F", "C", "G", "Am", "F", "C", "G"};

const char* const hook[8] = {
    "A-4 . . C-5 . . E-5 . . . D-5 . C-5 . D-5 .", "E-5 . . . . . C-5 . A-4 . . . . . ^ .",
    "G-4 . . C-5 . . E-5 . . . G-5 . E-5 . D-5 .", "D-5 . . . . . B-4 . . . G-4 . . . ^ .",
    "A-4 . . C-5 . . E-5 . . . A-5 . G-5 . E-5 .", "F-5 . . . . . E-5 . C-5 . . . A-4 . C-5 .",
    "E-5 . . D-5 . . C-5 . . . D-5 . E-5 . G-5 .", "D-5 . . . . . C-5 . B-4 . . . . . ^ .",
};

void setTempo(Part p, int row, int bpm) {
    effect(p, chClap, row, xmFxSpeedTempo, uint8_t(bpm));
}
void setSpeed(Part p, int row, int ticks) {
    effect(p, chClap, row, xmFxSpeedTempo, uint8_t(ticks));
}

// ---------------------------------------------------------------------------------------------
// Opening
// ---------------------------------------------------------------------------------------------

void writeIntro(Part p) {
    // p.origin = 13: rows 0..12 are the pads fading in, then seven bars.
    static const char* const chords[7] = {"Am", "F", "C", "G", "Am", "F", "G"};
    for (int b = 0; b < 7; ++b) {
        if (b > 0)
            padChords(p, b, &chords[b], 1, 34);
        else
            padChords(Part{p.pattern, 0}, 0, &chords[0], 1, 0);
    }
    for (int i = 0; i < 3; ++i) {
        ramp(p, chPad0 + i, 0, bar(p, 1) - 1, 0, 34);
        ramp(p, chPad0 + i, bar(p, 5), bar(p, 7) - 1, 34, 42);
    }

    static const char* const bells[6] = {
        "A-5 . . . . . F-5 . . . . . C-5 . . .", "G-5 . . . . . E-5 . . . . . C-5 . . .",
        "D-5 . . . . . G-5 . . . . . B-4 . . .", "E-5 . . . . . A-5 . . . . . C-6 . . .",
        "C-6 . . . . . A-5 . . . . . F-5 . . .", "D-6 . . . . . B-5 . . . . . G-5 . . .",
    };
    for (int b = 0; b < 6; ++b) melody(p, chBell, bar(p, 1 + b), bells[b], insBell, 30);
    echo(p, chBell, chBellEcho, 3, 0.5, 208);

    arpeggio(p, 3, &chords[3], 4, 8, 32);
    for (int b = 4; b < 7; ++b) note(p, chBass, bar(p, b), chord(chords[b]).root, insSub, 22 + 5 * (b - 4));
    for (int row = bar(p, 5) + 2; row < bar(p, 7); row += 4)
        note(p, chHat, row, xmNote("C-4"), insHatClosed, 14 + (row - bar(p, 5)) / 2);

    note(p, chFx, bar(p, 6), xmNote("C-4"), insNoise, 4);
    ramp(p, chFx, bar(p, 6), bar(p, 7) - 1, 4, 36);
    for (int row = bar(p, 6); row < bar(p, 7); ++row) effect(p, chFx, row, xmFxPortaUp, 3);
}

void writeLift(Part p) {
    static const char* const chords[2] = {"Am", "F"};
    setSpeed(p, 32, 8); // a breath before the hit
    note(p, chCymbal, 0, xmNote("C-4"), insCrash, 44);
    note(p, chFx, 0, xmNote("C-3"), insKick, 40); // boom
    drums(p, 0, 2, drumKick | drumHats8);
    bassLine(p, 0, chords, 2, bassOffbeat, 44);
    padChords(p, 0, chords, 2, 38);
    padPump(p, 0, 2, 38);
    arpeggio(p, 0, chords, 2, 30, 34);
}

void writeHit(Part p) {
    static const char* const chords[1] = {"C"};
    setSpeed(p, 0, 6);
    setSpeed(p, 7, 8);
    note(p, chCymbal, 0, xmNote("C-4"), insCrash, 64);
    note(p, chFx, 0, xmNote("C-3"), insKick, 64);
    note(p, chKick, 0, xmNote("C-4"), insKick, 64);
    padChords(p, 0, chords, 1, 50);
    for (int i = 0; i < 3; ++i) keyOff(p, chPad0 + i, 2);
    note(p, chBass, 0, xmNote("C-2"), insSub, 52);
    keyOff(p, chBass, 2);
    melody(p, chLead, 0, "C-5 . ^ .", insLead, 42);
    melody(p, chBell, 0, "C-6 . . . G-5 . . .", insBell, 40);
    echo(p, chLead, chLeadEcho, 3, 0.45, 200);
    echo(p, chBell, chBellEcho, 3, 0.5, 56);
}

void writeBuild(Part p) {
    static const char* const chords[2] = {"G", "G"};
    const int last = 22; // rows 23 and 24 are a held breath before the drop
    setSpeed(p, 0, 6);
    padChords(p, 0, chords, 1, 20);
    for (int i = 0; i < 3; ++i) {
        ramp(p, chPad0 + i, 0, last, 20, 46);
        keyOff(p, chPad0 + i, last + 1);
    }
    note(p, chBass, 0, xmNote("G-1"), insSub, 34);
    ramp(p, chBass, 0, last, 34, 48);
    keyOff(p, chBass, last + 1);
    snareFill(p, 0, 6, 2, 22, 30);
    snareFill(p, 8, 15, 1, 32, 46);
    snareFill(p, 16, last, 1, 48, 60);
    for (int row = 16; row <= last; ++row) effect(p, chSnare, row, xmFxExtended, 0x93);
    for (int row = 0; row <= 12; row += 4) note(p, chKick, row, xmNote("C-4"), insKick, 52);
    for (int row = 16; row <= last; row += 2) note(p, chKick, row, xmNote("C-4"), insKick, 56);
    for (int row = 0; row <= last; ++row)
        note(p, chHat, row, xmNote("C-4"), insHatClosed, 16 + row + (row % 2 ? 0 : 6));
    note(p, chFx, 0, xmNote("C-4"), insNoise, 16);
    ramp(p, chFx, 0, last, 16, 48);
    for (int row = 0; row <= last; ++row) effect(p, chFx, row, xmFxPortaUp, 5);
    volume(p, chFx, last + 1, 0);
    arpeggio(p, 0, chords, 1, 20, 40);
    for (int row = 16; row <= last; ++row) note(p, chArp, row, chord("G").arp[(row - 16) % 4], insPluck, 40);
    echo(p, chArp, chArpEcho, 3, 0.45, 176);
}

// ---------------------------------------------------------------------------------------------
// The module
// ---------------------------------------------------------------------------------------------

XmModule composeSong() {
    XmModule m{};
    m.name = "Palewire";
    m.tracker = "qz001 music-gen";
    m.channels = songChannels;
    m.speed = 6;
    m.tempo = 125;
    m.instruments = makeInstruments();

    struct Section {
        int rows, origin;
        void (*write)(Part);
    };
    static const Section sections[] = {
        {125, 13, writeIntro},    {33, 0, writeLift},
        {8, 0, writeHit},         {25, 0, writeBuild},
        {128, 0, writeDrop},      {128, 0, writeDropTwo},
        {128, 0, writeBreakdown}, {128, 0, writeRise},
        {128, 0, writeClimax},    {128, 0, writeBridge},
        {128, 0, writeFinale},    {8, 0, nullptr}, // silence after the last chord has died away
    };
    for (const Section& s : sections) {
        XmPattern& pattern = xmAddPattern(m, s.rows);
        if (s.write) s.write(Part{&pattern, s.origin});
        m.orders.push_back(uint8_t(m.orders.size()));
    }
    return m;
}
