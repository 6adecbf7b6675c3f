// synth.cpp - deterministic maths, noise, filter and sample helpers for the music generator.
#include "synth.h"

#include <cmath>

// ---------------------------------------------------------------------------------------------
// Maths: range reduction plus Taylor polynomials, accurate to about 1e-11
// ---------------------------------------------------------------------------------------------

double synthSin(double x) {
    const double twoPiHi = 6.28318530717958623200;  // 2 pi split in two parts so that
    const double twoPiLo = 2.44929359829470635e-16; // the reduction stays exact for large x
    double k = std::floor(x / twoPiHi + 0.5);
    double r = (x - k * twoPiHi) - k * twoPiLo; // now in [-pi, pi]
    if (r > synthPi / 2) r = synthPi - r;
    if (r < -synthPi / 2) r = -synthPi - r;
    double r2 = r * r, term = r, sum = r;
    for (int i = 1; i <= 8; ++i) {
        term = -term * r2 / double((2 * i) * (2 * i + 1));
        sum += term;
    }
    return sum;
}

double synthExp(double x) {
    const double ln2Hi = 6.93147180369123816490e-01;
    const double ln2Lo = 1.90821492927058770002e-10;
    if (x > 700) x = 700;
    if (x < -700) return 0;
    double n = std::floor(x / (ln2Hi + ln2Lo) + 0.5);
    double r = (x - n * ln2Hi) - n * ln2Lo; // |r| <= 0.35
    double term = 1, sum = 1;
    for (int i = 1; i <= 14; ++i) {
        term = term * r / double(i);
        sum += term;
    }
    return std::ldexp(sum, int(n));
}

double synthPow2(double x) {
    return synthExp(x * 6.93147180559945309417e-01);
}

double synthTanh(double x) {
    if (x > 20) return 1;
    if (x < -20) return -1;
    double e = synthExp(2 * x);
    return (e - 1) / (e + 1);
}

double synthSemitones(double n) {
    return synthPow2(n / 12);
}

// ---------------------------------------------------------------------------------------------
// Noise and filters
// ---------------------------------------------------------------------------------------------

double synthNoise(SynthNoise& n) {
    uint32_t x = n.state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    n.state = x;
    return double(x) / 2147483648.0 - 1.0;
}

SynthFilterOut synthFilter(SynthFilter& f, double input, double cutoff, double damping) {
    double k = 2 * synthSin(synthPi * cutoff / synthRate);
    f.low += k * f.band;
    double high = input - f.low - damping * f.band;
    f.band += k * high;
    return SynthFilterOut{f.low, f.band, high};
}

// ---------------------------------------------------------------------------------------------
// Sample helpers
// ---------------------------------------------------------------------------------------------

std::vector<int16_t> synthTo16(const std::vector<double>& wave, double peak) {
    double largest = 0;
    for (double v : wave) largest = std::fmax(largest, std::fabs(v));
    double scale = largest > 0 ? peak * 32767.0 / largest : 0;
    std::vector<int16_t> out(wave.size());
    for (size_t i = 0; i < wave.size(); ++i) {
        double v = std::floor(wave[i] * scale + 0.5);
        out[i] = int16_t(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
    }
    return out;
}

double synthLoopPhase(int64_t cycles, int64_t n, int64_t period) {
    int64_t step = (cycles * n) % period;
    return 2 * synthPi * double(step) / double(period);
}

SynthTuning synthTuning(double rootHz) {
    // The player's rate at C-4 is 8363 Hz x 2^((relative + finetune/128) / 12); we render at
    // 4 x 8363 Hz, so the sample must be sped up by 4 x 261.6256 / rootHz to sound at its pitch.
    double target = 4 * 261.6255653005986 / rootHz;
    int best = 0;
    double bestError = 1e300;
    for (int units = -96 * 128; units <= 96 * 128; ++units) {
        double error = std::fabs(synthPow2(units / 1536.0) / target - 1);
        if (error < bestError) bestError = error, best = units;
    }
    int relative = int(std::floor((best + 64) / 128.0));
    return SynthTuning{int8_t(relative), int8_t(best - relative * 128)};
}
