// instruments.h - the module's thirteen instruments, each one sample synthesised from scratch.
//
// makeInstruments() returns them in the order of the Instrument numbers below (XM instruments are
// 1-based), so patterns can name them directly.
#pragma once

#include "xm.h"

#include <vector>

enum Instrument : uint8_t {
    insKick = 1,  // pitched-down sine thump with a click; played an octave low it becomes a boom
    insSnare,     // tone plus bright noise
    insClap,      // three short noise bursts and a tail
    insHatClosed, // short metallic noise
    insHatOpen,   // long metallic noise
    insCrash,     // cymbal wash
    insBass,      // saw/square with a closing filter, looped
    insSub,       // sine sub bass, looped
    insPad,       // seven detuned saws, warm filter, looped
    insLead,      // two detuned saws over a square sub-octave, looped, with auto-vibrato
    insPluck,     // bright decaying pluck for arpeggios
    insNoise,     // band-passed noise loop for risers
    insBell,      // two-operator FM bell
    insCount = insBell
};

std::vector<XmInstrument> makeInstruments();
