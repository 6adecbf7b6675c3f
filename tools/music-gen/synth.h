// synth.h - deterministic sound synthesis for the module's samples.
//
// Every function here gives the same bits on every IEEE-754 machine: the transcendental functions
// are our own polynomials (no libm), noise comes from a fixed xorshift generator, and the build
// turns off fused multiply-add contraction. So the generator writes the same file everywhere.
//
// Samples are rendered at `synthRate` (4 x 8363 Hz), which an XM player reaches at note C-4 with a
// relative note of +24; `synthTuning` finds relative note and finetune for any root frequency.
#pragma once

#include <cstdint>
#include <vector>

const int synthRate = 33452; // frames per second of every rendered sample
const double synthPi = 3.14159265358979323846;

// ---------------------------------------------------------------------------------------------
// Maths
// ---------------------------------------------------------------------------------------------

double synthSin(double x);       // sine of x radians
double synthExp(double x);       // e^x
double synthPow2(double x);      // 2^x
double synthTanh(double x);      // soft saturation
double synthSemitones(double n); // frequency ratio of n semitones, 2^(n/12)

// ---------------------------------------------------------------------------------------------
// Noise and filters
// ---------------------------------------------------------------------------------------------

struct SynthNoise {
    uint32_t state; // any non-zero seed
};
double synthNoise(SynthNoise& n); // uniform in [-1, 1)

// Chamberlin state-variable filter; `cutoff` in Hz (below a sixth of the rate), `damping` 0.1..2.
struct SynthFilter {
    double low, band;
};
struct SynthFilterOut {
    double low, band, high;
};
SynthFilterOut synthFilter(SynthFilter& f, double input, double cutoff, double damping);

// ---------------------------------------------------------------------------------------------
// Sample helpers
// ---------------------------------------------------------------------------------------------

// Scales `wave` so that its largest magnitude is `peak` (0..1 of full scale) and rounds to 16 bits.
std::vector<int16_t> synthTo16(const std::vector<double>& wave, double peak);

// Phase in radians of a partial with exactly `cycles` periods per `period` frames, at frame n:
// such partials repeat every `period` frames, which makes seamless loops.
double synthLoopPhase(int64_t cycles, int64_t n, int64_t period);

// Relative note and finetune that make a sample whose pitch at `synthRate` is `rootHz` sound at
// its true pitch for every XM note (C-4 = 261.63 Hz).
struct SynthTuning {
    int8_t relativeNote;
    int8_t finetune;
};
SynthTuning synthTuning(double rootHz);
