// Tests of the synthesis maths: accuracy of our own sine and exponential, loop phases, tuning.
#include "synth.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Synth, MathsMatchTheLibraryClosely) {
    for (double x = -2000; x <= 2000; x += 0.37) {
        ASSERT_NEAR(synthSin(x), std::sin(x), 1e-10) << "sin " << x;
    }
    for (double x = -60; x <= 60; x += 0.013) {
        ASSERT_NEAR(synthExp(x) / std::exp(x), 1.0, 1e-12) << "exp " << x;
    }
    EXPECT_EQ(synthExp(-800), 0.0);
    EXPECT_NEAR(synthPow2(10), 1024, 1e-9);
    EXPECT_NEAR(synthSemitones(12), 2, 1e-12);
    EXPECT_NEAR(synthTanh(0.5), std::tanh(0.5), 1e-12);
    EXPECT_EQ(synthTanh(50), 1.0);
    EXPECT_EQ(synthTanh(-50), -1.0);
}

TEST(Synth, LoopPhaseRepeatsExactlyAfterOnePeriod) {
    for (int64_t cycles : {1, 7, 262, 4095}) {
        for (int64_t n : {0, 1, 100, 33451}) {
            EXPECT_EQ(synthLoopPhase(cycles, n, synthRate), synthLoopPhase(cycles, n + synthRate, synthRate));
        }
    }
    EXPECT_NEAR(synthLoopPhase(1, synthRate / 4, synthRate), synthPi / 2, 1e-4);
}

TEST(Synth, NoiseIsRepeatableAndCentred) {
    SynthNoise a{42}, b{42};
    double sum = 0, low = 1, high = -1;
    for (int i = 0; i < 100000; ++i) {
        double v = synthNoise(a);
        ASSERT_EQ(v, synthNoise(b));
        sum += v, low = std::fmin(low, v), high = std::fmax(high, v);
    }
    EXPECT_NEAR(sum / 100000, 0, 0.01);
    EXPECT_GE(low, -1.0);
    EXPECT_LT(high, 1.0);
}

TEST(Synth, TuningReachesTheRootPitch) {
    // Rendered at 4 x 8363 Hz, a sample holding C-4 needs exactly two octaves up.
    SynthTuning c4 = synthTuning(261.6255653);
    EXPECT_EQ(c4.relativeNote, 24);
    EXPECT_EQ(c4.finetune, 0);
    SynthTuning c5 = synthTuning(523.2511306);
    EXPECT_EQ(c5.relativeNote, 12);
    EXPECT_EQ(c5.finetune, 0);
    // 262 Hz is 2.47 cents sharp of C-4: three 128ths of a semitone down.
    SynthTuning sharp = synthTuning(262.0);
    EXPECT_EQ(sharp.relativeNote, 24);
    EXPECT_EQ(sharp.finetune, -3);
    // A root a quarter-tone above A-1 lands between notes: finetune within half a semitone.
    SynthTuning between = synthTuning(56.6);
    EXPECT_GE(between.finetune, -64);
    EXPECT_LE(between.finetune, 63);
    double semis = between.relativeNote + between.finetune / 128.0;
    EXPECT_NEAR(semis, 12 * std::log2(4 * 261.6255653 / 56.6), 1.0 / 256);
}

TEST(Synth, To16ScalesToThePeakAndRounds) {
    std::vector<int16_t> s = synthTo16({0.0, 0.5, -1.0, 0.25}, 0.5);
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[0], 0);
    EXPECT_EQ(s[1], 8192);
    EXPECT_EQ(s[2], -16383); // halves round up
    EXPECT_EQ(s[3], 4096);
    EXPECT_EQ(synthTo16({0.0, 0.0}, 1.0), (std::vector<int16_t>{0, 0}));
}
