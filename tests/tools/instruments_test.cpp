// Tests of the synthesised instruments: true pitch when a player plays them, seamless loops, levels.
#include "instruments.h"
#include "xm.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.hpp>

#include <cmath>
#include <sstream>

namespace {

const std::vector<XmInstrument>& instruments() {
    static const std::vector<XmInstrument> all = makeInstruments();
    return all;
}

// Plays one note of one instrument through libopenmpt and returns 0.4 s of mono output, taken
// after the attack.
std::vector<float> playNote(const XmInstrument& ins, const char* noteName, int rate) {
    XmModule m{};
    m.name = "pitch";
    m.tracker = "test";
    m.channels = 2;
    m.speed = 6;
    m.tempo = 125;
    m.orders = {0};
    m.instruments = {ins};
    XmPattern& p = xmAddPattern(m, 16);
    xmCell(p, 2, 0, 0) = XmCell{xmNote(noteName), 1, xmVolume(64), 0, 0};
    EXPECT_EQ(xmValidate(m), "");
    std::vector<uint8_t> bytes = xmWriteModule(m);
    std::ostringstream log;
    openmpt::module player(bytes, log);
    EXPECT_EQ(log.str(), "");
    std::vector<float> all(size_t(rate) * 6 / 10);
    player.read(rate, all.size(), all.data());
    return std::vector<float>(all.begin() + rate / 5, all.end());
}

// Fundamental frequency by normalised autocorrelation, searched within 10 % of `expected`.
double measurePitch(const std::vector<float>& s, int rate, double expected) {
    int shortest = int(rate / (expected * 1.1)), longest = int(rate / (expected / 1.1)) + 1;
    auto correlation = [&](int lag) {
        double xy = 0, xx = 0, yy = 0;
        for (size_t i = 0; i + size_t(lag) < s.size(); ++i) {
            xy += double(s[i]) * s[i + size_t(lag)];
            xx += double(s[i]) * s[i];
            yy += double(s[i + size_t(lag)]) * s[i + size_t(lag)];
        }
        return xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0.0;
    };
    int best = shortest;
    for (int lag = shortest; lag <= longest; ++lag)
        if (correlation(lag) > correlation(best)) best = lag;
    double a = correlation(best - 1), b = correlation(best), c = correlation(best + 1);
    double shift = (a - c) / (2 * (a - 2 * b + c)); // parabola through the three points
    return rate / (best + shift);
}

} // namespace

TEST(Instruments, TonesSoundAtTheirNotesPitch) {
    struct Case {
        Instrument ins;
        const char* note;
        double hz;
    };
    const Case cases[] = {
        {insBass, "A-2", 110.0},  {insSub, "A-2", 110.0},   {insPad, "A-4", 440.0},
        {insLead, "A-4", 440.0},  {insPluck, "A-5", 880.0}, {insBass, "E-3", 164.814},
        {insPad, "C-4", 261.626},
    };
    for (const Case& c : cases) {
        const XmInstrument& ins = instruments()[c.ins - 1];
        double hz = measurePitch(playNote(ins, c.note, 48000), 48000, c.hz);
        double cents = 1200 * std::log2(hz / c.hz);
        EXPECT_LT(std::fabs(cents), 6.0) << ins.name << " " << c.note << " sounds at " << hz << " Hz";
    }
}

TEST(Instruments, LoopsJoinWithoutAClick) {
    for (const XmInstrument& ins : instruments()) {
        const XmSample& s = ins.sample;
        if (s.loop == xmLoopNone) continue;
        uint32_t end = s.loopStart + s.loopLength;
        int largestStep = 0;
        for (uint32_t i = s.loopStart + 1; i < end; ++i)
            largestStep = std::max(largestStep, std::abs(int(s.data[i]) - int(s.data[i - 1])));
        int seam = std::abs(int(s.data[s.loopStart]) - int(s.data[end - 1]));
        EXPECT_LE(seam, largestStep) << ins.name << ": the loop's seam jumps " << seam;
        EXPECT_EQ(end, s.data.size()) << ins.name << ": the loop should run to the sample's end";
    }
}

TEST(Instruments, EveryInstrumentIsUsableAndLoudEnough) {
    ASSERT_EQ(instruments().size(), size_t(insCount));
    for (const XmInstrument& ins : instruments()) {
        int peak = 0;
        for (int16_t v : ins.sample.data) peak = std::max(peak, std::abs(int(v)));
        EXPECT_GT(peak, 20000) << ins.name << " is normalised too low";
        EXPECT_LE(ins.name.size(), 22u);
        EXPECT_GT(ins.sample.volume, 0);
        // One-shot sounds end in silence, so a cut never clicks.
        if (ins.sample.loop == xmLoopNone) {
            EXPECT_EQ(ins.sample.data.back(), 0) << ins.name;
        }
    }
}
