// instruments.cpp - sample synthesis of the drums, bass, pad, lead, pluck, noise and bell.
//
// Looped tones are additive: every partial has a whole number of cycles per loop, so the loop
// joins without a click. One-shot sounds run oscillators and filters frame by frame.
#include "instruments.h"

#include "synth.h"

#include <cmath>
#include <initializer_list>

namespace {

// ---------------------------------------------------------------------------------------------
// Small helpers
// ---------------------------------------------------------------------------------------------

int frames(double seconds) {
    return int(seconds * synthRate + 0.5);
}
double timeOf(int n) {
    return double(n) / synthRate;
}

XmEnvelope envelope(std::initializer_list<XmEnvelopePoint> points, int sustain) {
    XmEnvelope e{};
    for (XmEnvelopePoint p : points) e.points[e.count++] = p;
    e.sustain = sustain;
    return e;
}

XmEnvelope noEnvelope() {
    XmEnvelope e{};
    e.sustain = -1;
    return e;
}

// Fades the last `seconds` of a one-shot sound to silence.
void fadeTail(std::vector<double>& w, double seconds) {
    int n = frames(seconds);
    for (int i = 0; i < n && i < int(w.size()); ++i) w[w.size() - 1 - size_t(i)] *= double(i) / n;
}

XmInstrument oneShot(const char* name, std::vector<double> wave, double peak, uint8_t volume, uint8_t panning,
                     double rootHz, XmEnvelope env, uint16_t fadeout) {
    SynthTuning tune = synthTuning(rootHz);
    XmInstrument ins{};
    ins.name = name;
    ins.volumeEnvelope = env;
    ins.fadeout = fadeout;
    ins.sample.data = synthTo16(wave, peak);
    ins.sample.loop = xmLoopNone;
    ins.sample.volume = volume;
    ins.sample.panning = panning;
    ins.sample.relativeNote = tune.relativeNote;
    ins.sample.finetune = tune.finetune;
    return ins;
}

XmInstrument looped(const char* name, std::vector<double> wave, uint32_t loopStart, double peak,
                    uint8_t volume, uint8_t panning, double rootHz, XmEnvelope env, uint16_t fadeout) {
    XmInstrument ins = oneShot(name, std::move(wave), peak, volume, panning, rootHz, env, fadeout);
    ins.sample.loop = xmLoopForward;
    ins.sample.loopStart = loopStart;
    ins.sample.loopLength = uint32_t(ins.sample.data.size()) - loopStart;
    return ins;
}

// Gain of a gentle two-pole low-pass at `hz` for cutoff `cutoff`.
double lowPassGain(double hz, double cutoff) {
    double r = hz / cutoff;
    return 1 / std::sqrt(1 + r * r * r * r);
}

// Metallic source for hats and cymbals: six detuned square waves.
double metal(double t, double scale) {
    static const double ratios[6] = {1.0, 1.4471, 1.6170, 1.9265, 2.5028, 2.6637};
    double sum = 0;
    for (double r : ratios) {
        double cycles = t * 317.0 * scale * r;
        sum += (cycles - std::floor(cycles)) < 0.5 ? 1 : -1;
    }
    return sum / 6;
}

// ---------------------------------------------------------------------------------------------
// Drums
// ---------------------------------------------------------------------------------------------

XmInstrument kick() {
    std::vector<double> w(size_t(frames(0.5)));
    SynthNoise noise{0x1234567u};
    SynthFilter click{};
    double phase = 0;
    for (size_t n = 0; n < w.size(); ++n) {
        double t = timeOf(int(n));
        double hz = 46 + 125 * synthExp(-t / 0.028) + 60 * synthExp(-t / 0.005);
        phase += 2 * synthPi * hz / synthRate;
        double body = synthSin(phase) * synthExp(-t / 0.26) * (t < 0.002 ? t / 0.002 : 1);
        double tick = synthFilter(click, synthNoise(noise), 3000, 0.8).low * synthExp(-t / 0.003);
        w[n] = synthTanh(1.7 * body) + 0.5 * tick;
    }
    fadeTail(w, 0.03);
    return oneShot("kick", w, 0.97, 64, 128, 261.6256, noEnvelope(), 0);
}

XmInstrument snare() {
    std::vector<double> w(size_t(frames(0.32)));
    SynthNoise noise{0x2468ACEu};
    SynthFilter hiss{};
    for (size_t n = 0; n < w.size(); ++n) {
        double t = timeOf(int(n));
        double tone = 0.6 * synthSin(2 * synthPi * 188 * t) * synthExp(-t / 0.045) +
                      0.3 * synthSin(2 * synthPi * 331 * t) * synthExp(-t / 0.025);
        double air = synthFilter(hiss, synthNoise(noise), 2200, 0.9).high * synthExp(-t / 0.095);
        w[n] = synthTanh(1.3 * (tone + 0.8 * air));
    }
    fadeTail(w, 0.03);
    return oneShot("snare", w, 0.9, 50, 128, 261.6256, noEnvelope(), 0);
}

XmInstrument clap() {
    std::vector<double> w(size_t(frames(0.35)));
    SynthNoise noise{0x13579BDu};
    SynthFilter band{};
    for (size_t n = 0; n < w.size(); ++n) {
        double t = timeOf(int(n));
        double env = 0;
        for (int k = 0; k < 3; ++k) {
            double start = 0.0095 * k;
            if (t >= start) env = std::fmax(env, synthExp(-(t - start) / 0.0035));
        }
        if (t >= 0.0285) env = std::fmax(env, synthExp(-(t - 0.0285) / 0.1));
        w[n] = synthTanh(2.5 * synthFilter(band, synthNoise(noise), 1300, 0.55).band * env);
    }
    fadeTail(w, 0.03);
    return oneShot("clap", w, 0.9, 64, 120, 261.6256, noEnvelope(), 0);
}

std::vector<double> cymbal(double seconds, double decay, double scale, double cutoff, uint32_t seed) {
    std::vector<double> w(size_t(frames(seconds)));
    SynthNoise noise{seed};
    SynthFilter high1{}, high2{};
    for (size_t n = 0; n < w.size(); ++n) {
        double t = timeOf(int(n));
        double source = 0.55 * metal(t, scale) + 0.45 * synthNoise(noise);
        double h = synthFilter(high1, source, cutoff, 1.0).high;
        h = synthFilter(high2, h, cutoff, 1.2).high;
        w[n] = h * synthExp(-t / decay) * (t < 0.001 ? t / 0.001 : 1);
    }
    fadeTail(w, std::fmin(0.05, seconds / 4));
    return w;
}

XmInstrument hatClosed() {
    return oneShot("hat closed", cymbal(0.11, 0.022, 1.0, 5200, 0xBEEF01u), 0.9, 64, 150, 261.6256,
                   noEnvelope(), 0);
}
XmInstrument hatOpen() {
    return oneShot("hat open", cymbal(0.45, 0.13, 1.0, 5000, 0xBEEF02u), 0.9, 52, 150, 261.6256, noEnvelope(),
                   0);
}
XmInstrument crash() {
    return oneShot("crash", cymbal(1.6, 0.45, 1.6, 3500, 0xBEEF03u), 0.85, 40, 110, 261.6256, noEnvelope(),
                   0);
}

// ---------------------------------------------------------------------------------------------
// Tones
// ---------------------------------------------------------------------------------------------

const int bassPeriod = 511; // frames per cycle: 65.46 Hz, close to C-2

XmInstrument bass() {
    const int attack = 12 * bassPeriod;
    const double f0 = double(synthRate) / bassPeriod;
    std::vector<double> w(size_t(attack + bassPeriod));
    for (size_t n = 0; n < w.size(); ++n) {
        double t = timeOf(int(std::min<size_t>(n, size_t(attack))));
        double cutoff = 330 + 2700 * synthExp(-t / 0.055);
        double sum = 0;
        for (int h = 1; h * f0 < 9 * cutoff && h * f0 < 15000; ++h) {
            double a = (1.0 / h) * (h % 2 ? 1.35 : 0.75) * lowPassGain(h * f0, cutoff);
            sum += a * synthSin(synthLoopPhase(h, int64_t(n), bassPeriod));
        }
        w[n] = synthTanh(1.4 * sum);
    }
    return looped("bass", w, attack, 0.9, 52, 128, f0, envelope({{0, 64}, {4, 56}, {16, 40}, {48, 30}}, 3),
                  0x600);
}

XmInstrument sub() {
    const double f0 = double(synthRate) / bassPeriod;
    std::vector<double> w(static_cast<size_t>(bassPeriod));
    for (size_t n = 0; n < w.size(); ++n)
        w[n] = synthSin(synthLoopPhase(1, int64_t(n), bassPeriod)) +
               0.18 * synthSin(synthLoopPhase(2, int64_t(n), bassPeriod)) +
               0.05 * synthSin(synthLoopPhase(3, int64_t(n), bassPeriod));
    return looped("sub", w, 0, 0.9, 56, 128, f0, envelope({{0, 0}, {3, 64}, {6, 64}}, 2), 0x180);
}

// A loop of one second of detuned saws: voices at whole Hz, each harmonic a whole number of cycles.
std::vector<double> sawLoop(std::initializer_list<int> voicesHz, double cutoff, uint32_t seed) {
    std::vector<double> w(size_t(synthRate), 0.0);
    SynthNoise random{seed};
    for (int hz : voicesHz) {
        int64_t offset = int64_t((synthNoise(random) + 1) * 0.5 * synthRate);
        for (int h = 1; h * hz < 12000; ++h) {
            double a = lowPassGain(double(h * hz), cutoff) / h;
            if (a < 0.0005) break;
            for (size_t n = 0; n < w.size(); ++n)
                w[n] += a * synthSin(synthLoopPhase(int64_t(h) * hz, int64_t(n) + offset, synthRate));
        }
    }
    return w;
}

XmInstrument pad() {
    std::vector<double> w = sawLoop({259, 260, 261, 262, 263, 264, 265}, 2000, 0xC0FFEEu);
    return looped("pad", w, 0, 0.9, 40, 128, 262.0, envelope({{0, 0}, {8, 64}, {60, 54}}, 2), 0x140);
}

XmInstrument lead() {
    std::vector<double> w = sawLoop({521, 525}, 4200, 0xFACADEu);
    for (size_t n = 0; n < w.size(); ++n) { // square one octave down, for body
        double s = 0;
        for (int h = 1; h * 262 < 8000; h += 2)
            s += synthSin(synthLoopPhase(int64_t(h) * 262, int64_t(n), synthRate)) / h;
        w[n] = synthTanh(0.9 * (w[n] + 0.45 * s));
    }
    XmInstrument ins =
        looped("lead", w, 0, 0.9, 40, 128, 523.0, envelope({{0, 64}, {5, 58}, {40, 48}}, 2), 0x300);
    ins.vibratoType = 0, ins.vibratoSweep = 40, ins.vibratoDepth = 3, ins.vibratoRate = 9;
    return ins;
}

XmInstrument pluck() {
    const double f0 = 523.2511;
    std::vector<double> w(size_t(frames(0.5)));
    for (size_t n = 0; n < w.size(); ++n) {
        double t = timeOf(int(n));
        double cutoff = 900 + 6500 * synthExp(-t / 0.045);
        double sum = 0;
        for (int h = 1; h * f0 < 13000; ++h)
            sum += (h % 2 ? 1.0 : 0.6) / h * lowPassGain(h * f0, cutoff) * synthSin(2 * synthPi * h * f0 * t);
        w[n] = sum * synthExp(-t / 0.16) * (t < 0.0015 ? t / 0.0015 : 1);
    }
    fadeTail(w, 0.03);
    return oneShot("pluck", w, 0.9, 40, 128, f0, noEnvelope(), 0);
}

XmInstrument noiseLoop() {
    // Filtered twice around the loop so that its end flows into its start.
    std::vector<double> raw(size_t(frames(0.5))), w(raw.size());
    SynthNoise noise{0x51EEDu};
    for (double& v : raw) v = synthNoise(noise);
    SynthFilter f{};
    for (int pass = 0; pass < 2; ++pass)
        for (size_t n = 0; n < raw.size(); ++n) w[n] = synthFilter(f, raw[n], 1400, 0.6).band;
    return looped("riser noise", w, 0, 0.8, 40, 128, 261.6256, noEnvelope(), 0x200);
}

XmInstrument bell() {
    const double f0 = 523.2511;
    std::vector<double> w(size_t(frames(1.4)));
    for (size_t n = 0; n < w.size(); ++n) {
        double t = timeOf(int(n));
        double index = 0.35 + 2.0 * synthExp(-t / 0.22);
        double mod = index * synthSin(2 * synthPi * 3.5 * f0 * t);
        double body = synthSin(2 * synthPi * f0 * t + mod) * synthExp(-t / 0.65);
        double shimmer = 0.22 * synthSin(2 * synthPi * 2.0 * f0 * t) * synthExp(-t / 0.25);
        w[n] = (body + shimmer) * (t < 0.003 ? t / 0.003 : 1);
    }
    fadeTail(w, 0.05);
    return oneShot("bell", w, 0.9, 36, 140, f0, noEnvelope(), 0);
}

} // namespace

std::vector<XmInstrument> makeInstruments() {
    return {kick(), snare(), clap(), hatClosed(), hatOpen(),   crash(), bass(),
            sub(),  pad(),   lead(), pluck(),     noiseLoop(), bell()};
}
