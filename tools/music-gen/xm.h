// xm.h - records of a FastTracker 2 extended module (XM, version 0x0104) and its writer.
//
// Build an XmModule (patterns of XmCell, instruments with one 16-bit sample each), then call
// xmWriteModule to get the file's bytes. xmPackPattern is the pattern packing on its own, so that
// it can be checked cell by cell. All numbers are stored little-endian, as the format wants.
//
//   XmModule m;
//   m.channels = 4;
//   XmPattern& p = xmAddPattern(m, 64);
//   xmCell(p, m.channels, 0, 0) = XmCell{xmNote("C-4"), 1, xmVolume(64), 0, 0};
//   std::vector<uint8_t> bytes = xmWriteModule(m);
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Cells and patterns
// ---------------------------------------------------------------------------------------------

enum : uint8_t {
    xmKeyOff = 97, // note value that releases the playing note
};

enum : uint8_t {          // effect column codes
    xmFxPortaUp = 0x1,    // 1xx: slide pitch up by xx/16 semitone per tick (linear table)
    xmFxPanning = 0x8,    // 8xx: set panning 0..255
    xmFxVolSlide = 0xA,   // Axy: slide volume up x or down y per tick
    xmFxExtended = 0xE,   // Exy: E9x retriggers the note every x ticks
    xmFxSpeedTempo = 0xF, // Fxx: xx < 32 sets ticks per row, else beats per minute
    xmFxGlobalVol = 0x10, // Gxx: global volume 0..64
};

struct XmCell {
    uint8_t note;       // 0 none, 1 = C-0 .. 96 = B-7, 97 key off
    uint8_t instrument; // 0 none, else 1-based instrument
    uint8_t volume;     // volume column byte: 0 none, 0x10..0x50 set volume 0..64, 0xC0.. panning
    uint8_t effect;     // effect code (see above)
    uint8_t param;      // effect parameter
};

struct XmPattern {
    int rows;                  // 1..256
    std::vector<XmCell> cells; // rows x channels, row-major
};

// ---------------------------------------------------------------------------------------------
// Instruments
// ---------------------------------------------------------------------------------------------

struct XmEnvelopePoint {
    uint16_t tick;  // x: ticks from the note's start
    uint16_t value; // y: 0..64
};

struct XmEnvelope {
    int count;                  // 0 = envelope off, else 2..12 points
    XmEnvelopePoint points[12]; // ticks strictly increasing
    int sustain;                // point held while the key is down, -1 for none
};

enum XmLoop : uint8_t { xmLoopNone = 0, xmLoopForward = 1, xmLoopPingPong = 2 };

struct XmSample {
    std::vector<int16_t> data; // 16-bit mono frames
    uint32_t loopStart;        // in frames
    uint32_t loopLength;       // in frames; 0 with xmLoopNone
    XmLoop loop;
    uint8_t volume;      // 0..64
    int8_t finetune;     // 1/128 semitone
    uint8_t panning;     // 0..255, 128 = centre
    int8_t relativeNote; // semitones added to every played note
};

struct XmInstrument {
    std::string name; // up to 22 characters
    XmEnvelope volumeEnvelope;
    uint16_t fadeout; // volume lost per tick after key off (0..0xFFF)
    uint8_t vibratoType, vibratoSweep, vibratoDepth, vibratoRate;
    XmSample sample;
};

// ---------------------------------------------------------------------------------------------
// Module
// ---------------------------------------------------------------------------------------------

struct XmModule {
    std::string name;    // up to 20 characters
    std::string tracker; // up to 20 characters
    int channels;        // 2..32, even
    int speed;           // initial ticks per row
    int tempo;           // initial beats per minute
    std::vector<uint8_t> orders;
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

// Note value of a name such as "C-4", "F#3" or "A-5" (octaves 0..7); 0 for a malformed name.
uint8_t xmNote(const char* name);
// Volume column byte that sets the volume 0..64.
inline uint8_t xmVolume(int v) {
    return uint8_t(0x10 + (v < 0 ? 0 : v > 64 ? 64 : v));
}

XmPattern& xmAddPattern(XmModule& module, int rows);
inline XmCell& xmCell(XmPattern& p, int channels, int row, int channel) {
    return p.cells[size_t(row) * size_t(channels) + size_t(channel)];
}

// Packs one pattern: a cell with all five fields set is stored as five bytes, any other cell as a
// mask byte (0x80 | which fields follow) plus the fields present.
std::vector<uint8_t> xmPackPattern(const XmPattern& pattern, int channels);

// Checks what the format cannot hold (channel count, rows, orders, envelopes, sample lengths).
// Returns an empty string when the module is valid, else a message naming the fault.
std::string xmValidate(const XmModule& module);

// The complete file. The module must have passed xmValidate.
std::vector<uint8_t> xmWriteModule(const XmModule& module);
