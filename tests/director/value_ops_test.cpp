// value_ops_test.cpp - the value operations on hand-built graphs.
#include <cmath>
#include <cstring>

#include "director/music_levels.h"
#include "tests/director/graph_fixture.h"

TEST(ValueOps, ShorterInputsRepeatTheirLastElement) {
    TestGraph g;
    g.data(10, {{1, 2, 3, 4}});
    g.data(11, {{0, 0, 0, 0}, {10, 10, 10, 10}, {20, 20, 20, 20}});
    g.slot(0, kOpAdd, {10, 11}, {}, 64);
    g.slot(1, kOpSub, {11, 10}, {}, 2);
    g.slot(2, kOpMul, {10, 11}, {}, 3);
    g.slot(3, kOpDiv, {11, 10}, {}, 3);
    g.slot(4, kOpMinMax, {10, 11}, {1}, 2);
    g.slot(5, kOpMinMax, {10, 11}, {0}, 2);
    g.evaluate();
    EXPECT_FLOAT4(g.at(0, 0), 1, 2, 3, 4);
    EXPECT_FLOAT4(g.at(0, 1), 11, 12, 13, 14);
    EXPECT_FLOAT4(g.at(0, 63), 21, 22, 23, 24);
    EXPECT_FLOAT4(g.at(1, 1), 9, 8, 7, 6);
    EXPECT_FLOAT4(g.at(2, 2), 20, 40, 60, 80);
    EXPECT_FLOAT4(g.at(3, 1), 10, 5, 10.0f / 3, 2.5f);
    EXPECT_FLOAT4(g.at(4, 1), 10, 10, 10, 10);
    EXPECT_FLOAT4(g.at(5, 0), 0, 0, 0, 0);
    EXPECT_FLOAT4(g.at(5, 1), 1, 2, 3, 4);
}

TEST(ValueOps, ShiftAndDifferenceWrapBelowZeroToTheLastElement) {
    TestGraph g;
    g.data(10, {{1, 0, 0, 0}, {2, 0, 0, 0}, {4, 0, 0, 0}});
    g.slot(0, kOpShift, {10}, {1}, 3);
    g.slot(1, kOpShift, {10}, {-1}, 3);
    g.slot(2, kOpDifference, {10}, {1}, 3);
    g.slot(3, kOpRepeat, {10}, {}, 5);
    g.evaluate();
    EXPECT_EQ(g.at(0, 0).x, 2);
    EXPECT_EQ(g.at(0, 2).x, 4);
    EXPECT_EQ(g.at(1, 0).x, 4); // e - 1 went below 0: reads the last element
    EXPECT_EQ(g.at(1, 1).x, 1);
    EXPECT_EQ(g.at(2, 0).x, 1);
    EXPECT_EQ(g.at(2, 1).x, 2);
    EXPECT_EQ(g.at(2, 2).x, 0);
    EXPECT_EQ(g.at(3, 3).x, 1); // repeat cycles instead of clamping
    EXPECT_EQ(g.at(3, 4).x, 2);
}

TEST(ValueOps, PerComponentOperationsReadIn0) {
    TestGraph g;
    g.data(10, {{-3, 0.5f, 7, 25}});
    g.slot(0, kOpClamp, {10}, {0, 5}, 1);
    g.slot(1, kOpModulo, {10}, {2}, 1);
    g.slot(2, kOpRangePower, {10}, {0, 10, 2}, 1);
    g.slot(3, kOpFold, {10}, {0, 5, 0}, 1);
    g.slot(4, kOpFold, {10}, {1, 5, 1}, 1);
    g.slot(5, kOpFold, {10}, {1, 5, 2}, 1);
    g.evaluate();
    EXPECT_FLOAT4(g.at(0, 0), 0, 0.5f, 5, 5);
    EXPECT_FLOAT4(g.at(1, 0), -1, 0.5f, 1, 1); // truncating remainder keeps the sign
    EXPECT_NEAR(g.at(2, 0).x, 0.0f, 1e-6f);
    EXPECT_NEAR(g.at(2, 0).y, 0.0025f, 1e-6f);
    EXPECT_NEAR(g.at(2, 0).z, 0.49f, 1e-5f);
    EXPECT_NEAR(g.at(2, 0).w, 1.0f, 1e-6f);
    EXPECT_FLOAT4(g.at(3, 0), 0, 0.5f, 5, 5);
    EXPECT_FLOAT4(g.at(4, 0), 1, 0.5f, 3, 1);  // 1 + fmod(c - 1, 4)
    EXPECT_FLOAT4(g.at(5, 0), 5, 1.5f, 7, 25); // 1 + |c - 1|
}

TEST(ValueOps, ScalarFunctions) {
    TestGraph g;
    g.data(10, {{0.5f, 9, 9, 9}});
    g.data(11, {{3, 4, 0, 0}});
    g.data(12, {{0, 0, 0, 0}});
    g.slot(0, kOpSine, {10}, {2}, 1);
    g.slot(1, kOpCosine, {10}, {2}, 1);
    g.slot(2, kOpCircle, {10}, {2}, 1);
    g.slot(3, kOpArcTangent, {10}, {}, 1);
    g.slot(4, kOpTangent, {10}, {3}, 1);
    g.slot(5, kOpExponential, {10}, {2, 3}, 1);
    g.slot(6, kOpFalloff, {10}, {2, 2}, 1);
    g.slot(7, kOpFalloff, {12}, {2, 2}, 1);
    g.slot(8, kOpLength, {11}, {}, 1);
    g.slot(9, kOpDistance, {11}, {3, 0, 0, 0}, 1);
    g.slot(13, kOpNormalize, {11}, {10}, 1);
    g.slot(14, kOpNormalize, {12}, {10}, 1);
    g.slot(15, kOpSmoothStep, {10}, {0, 2}, 1);
    g.slot(16, kOpStep, {10}, {0.4f}, 1);
    g.slot(17, kOpStep, {10}, {0.5f}, 1);
    g.evaluate();
    EXPECT_FLOAT4(g.at(0, 0), 2 * std::sin(0.5f), 0, 0, 0);
    EXPECT_FLOAT4(g.at(1, 0), 2 * std::cos(0.5f), 0, 0, 0);
    EXPECT_FLOAT4(g.at(2, 0), 2 * std::cos(0.5f), 2 * std::sin(0.5f), 0, 0);
    EXPECT_FLOAT4(g.at(3, 0), std::atan(0.5f), 0, 0, 0);
    EXPECT_FLOAT4(g.at(4, 0), 3 * std::tan(0.5f), 0, 0, 0);
    EXPECT_NEAR(g.at(5, 0).x, 3 * std::exp(1.0f), 1e-5f);
    EXPECT_NEAR(g.at(6, 0).x, std::exp(-0.5f), 1e-6f);
    EXPECT_FLOAT4(g.at(7, 0), 1, 0, 0, 0); // at 0 the falloff is exactly 1
    EXPECT_FLOAT4(g.at(8, 0), 5, 0, 0, 0);
    EXPECT_FLOAT4(g.at(9, 0), 4, 0, 0, 0);
    EXPECT_FLOAT4(g.at(13, 0), 6, 8, 0, 0);
    EXPECT_FLOAT4(g.at(14, 0), 0, 0, 0, 0); // the zero vector stays zero, no NaN
    EXPECT_NEAR(g.at(15, 0).x, 0.15625f, 1e-6f);
    EXPECT_FLOAT4(g.at(16, 0), 1, 1, 1, 1);
    EXPECT_FLOAT4(g.at(17, 0), 0, 0, 0, 0);
}

TEST(ValueOps, RoutingOperations) {
    TestGraph g;
    g.data(10, {{1, 2, 3, 4}});
    g.data(11, {{5, 6, 7, 8}});
    g.data(12, {{0.25f, 0, 0, 0}});
    g.data(13, {{9, 0, 0, 0}});
    g.slot(0, kOpSwizzle4, {10}, {2, 4, 4, 4}, 1);
    g.slot(1, kOpSwizzle4, {10}, {4, 4, 0, 4}, 1);
    g.slot(2, kOpSwizzle3, {10}, {3, 0, -1}, 1); // -1 as unsigned is above 3: reads 0
    g.slot(3, kOpCompose, {10, 11, 12, 13}, {}, 1);
    g.slot(4, kOpMix, {10, 11, 12}, {}, 1);
    g.slot(5, kOpOffset3, {10}, {1, 1, 1, 1}, 1);
    g.slot(6, kOpOffset4, {10}, {1, 1, 1, 1}, 1);
    g.slot(7, kOpScale, {10}, {-2}, 1);
    g.slot(8, kOpConstant, {}, {1, 2, 3, 4}, 3);
    g.slot(9, kOpCopy, {8}, {}, 2);
    g.evaluate();
    EXPECT_FLOAT4(g.at(0, 0), 3, 0, 0, 0);
    EXPECT_FLOAT4(g.at(1, 0), 0, 0, 1, 0);
    EXPECT_FLOAT4(g.at(2, 0), 4, 1, 0, 0);
    EXPECT_FLOAT4(g.at(3, 0), 1, 5, 0.25f, 9);
    EXPECT_FLOAT4(g.at(4, 0), 4, 5, 6, 7); // a * 0.25 + b * 0.75
    EXPECT_FLOAT4(g.at(5, 0), 2, 3, 4, 4);
    EXPECT_FLOAT4(g.at(6, 0), 2, 3, 4, 5);
    EXPECT_FLOAT4(g.at(7, 0), -2, -4, -6, -8);
    EXPECT_FLOAT4(g.at(8, 2), 1, 2, 3, 4);
    EXPECT_FLOAT4(g.at(9, 1), 1, 2, 3, 4);
}

TEST(ValueOps, Rotations) {
    TestGraph g;
    const float half = 1.5707964f;
    g.data(10, {{1, 0, 0, 7}, {0, 1, 0, 7}});
    g.data(11, {{half, 0, 0, 0}, {0, half, 0, 0}});
    g.slot(0, kOpRotateByInput, {10, 11}, {}, 2);
    g.slot(1, kOpRotateFixed, {10}, {half, 0, 0}, 2); // yaw: x turns to -z
    g.slot(2, kOpRotateFixed, {10}, {0.3f, 0.7f, -1.1f}, 2);
    g.data(12, {{0.3f, 0.7f, -1.1f, 0}});
    g.slot(3, kOpRotateByInput, {10, 12}, {}, 2);
    g.evaluate();
    EXPECT_NEAR(g.at(0, 0).x, 0, 1e-6f);
    EXPECT_NEAR(g.at(0, 0).z, -1, 1e-6f);
    EXPECT_EQ(g.at(0, 0).w, 0.0f);
    EXPECT_NEAR(g.at(0, 1).z, 1, 1e-6f); // pitch: y turns to +z
    EXPECT_NEAR(g.at(1, 0).z, -1, 1e-6f);
    EXPECT_NEAR(g.at(1, 1).y, 1, 1e-6f);
    for (uint32_t e = 0; e < 2; ++e) { // the quaternion and the matrix turn alike
        EXPECT_NEAR(g.at(2, e).x, g.at(3, e).x, 1e-6f);
        EXPECT_NEAR(g.at(2, e).y, g.at(3, e).y, 1e-6f);
        EXPECT_NEAR(g.at(2, e).z, g.at(3, e).z, 1e-6f);
    }
}

TEST(ValueOps, ClockOperations) {
    TestGraph g;
    localFrame = 37;
    sceneEndFrame = 240;
    g.slot(0, kOpFrameTime, {}, {1, 0, 0}, 2);
    g.slot(1, kOpFrameTime, {}, {2, 3, 1}, 1);
    g.slot(2, kOpFrameCounter, {}, {0.5f, 0}, 1);
    g.slot(3, kOpFrameCounter, {}, {0.5f, 1}, 1);
    g.slot(4, kOpFrameCounter, {}, {0.5f, 2}, 1); // unknown mode: zero
    g.evaluate();
    EXPECT_FLOAT4(g.at(0, 1), 37, 37, 37, 37);
    EXPECT_FLOAT4(g.at(1, 0), 412, 412, 412, 412); // (203 + 3) * 2
    EXPECT_FLOAT4(g.at(2, 0), 18.5f, 18.5f, 18.5f, 18.5f);
    EXPECT_FLOAT4(g.at(3, 0), 101.5f, 101.5f, 101.5f, 101.5f);
    EXPECT_FLOAT4(g.at(4, 0), 0, 0, 0, 0);
    localFrame = 300; // past the scene end: the frames left wrap as unsigned
    g.evaluate();
    EXPECT_FLOAT_EQ(g.at(3, 0).x, 0.5f * 4294967236.0f);
    localFrame = sceneEndFrame = 0;
}

TEST(ValueOps, GridLattice) {
    TestGraph g;
    g.slot(0, kOpGrid, {}, {25, 25, 1, 2, 4}, 1024);
    g.slot(1, kOpGrid, {}, {0, 0, 1, 1, 1}, 3); // 0 means 1: a column along z
    g.evaluate();
    EXPECT_FLOAT4(g.at(0, 0), -12, -24, -2, 0); // nz = nearest(1024 / 625) = 2
    EXPECT_FLOAT4(g.at(0, 24), 12, -24, -2, 0);
    EXPECT_FLOAT4(g.at(0, 25), -12, -22, -2, 0);
    EXPECT_FLOAT4(g.at(0, 625), -12, -24, 2, 0);
    EXPECT_FLOAT4(g.at(0, 1023), 11, 6, 2, 0); // ix 23, iy 15, iz 1
    EXPECT_FLOAT4(g.at(1, 0), 0, 0, -1, 0);
    EXPECT_FLOAT4(g.at(1, 2), 0, 0, 1, 0);
}

TEST(ValueOps, RandomIsRepeatableAndInRange) {
    TestGraph g;
    g.slot(0, kOpRandom, {}, {0.25f, -15, 15}, 200);
    g.slot(1, kOpRandom, {}, {0, 0, 1}, 1);
    g.evaluate();
    std::vector<Float4> first(g.storage[0]);
    for (const Float4& v : first)
        for (float c : {v.x, v.y, v.z, v.w}) {
            EXPECT_GE(c, -15.0f);
            EXPECT_LE(c, 15.0f);
        }
    g.evaluate();
    for (size_t e = 0; e < first.size(); ++e) EXPECT_EQ(std::memcmp(&first[e], &g.storage[0][e], 16), 0);
    // Seed 0: s = 12345, then s * 1103515245 + 12345, ... ; x = ((s >> 16) & 32767) / 32767.
    uint32_t s = 0;
    float expect[4];
    for (float& c : expect) {
        s = s * 1103515245u + 12345u;
        c = static_cast<float>((s >> 16) & 32767u) / 32767.0f;
    }
    EXPECT_FLOAT4(g.at(1, 0), expect[0], expect[1], expect[2], expect[3]);
}

static bool fakeSpectrum(void*, float* out, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) out[i] = static_cast<float>(i) + 0.5f + static_cast<float>(count);
    return true;
}

TEST(ValueOps, SpectrumThroughItsSource) {
    TestGraph g;
    g.slot(0, kOpSpectrum, {}, {512, 0}, 1);
    g.slot(1, kOpSpectrumScaled, {}, {100, 3, 2}, 2);
    g.slot(2, kOpSpectrum, {}, {64, 62}, 4); // bins past the end read 0
    g.evaluate();
    EXPECT_FLOAT4(g.at(0, 0), 0, 0, 0, 0); // no music: zeros
    setSpectrumSource(SpectrumSource{fakeSpectrum, nullptr});
    g.evaluate();
    EXPECT_FLOAT4(g.at(0, 0), 512.5f, 512.5f, 512.5f, 512.5f); // lowest bin of 512
    EXPECT_FLOAT_EQ(g.at(1, 0).x, 2 * (128 + 3.5f));           // 100 asks for 128 bins
    EXPECT_FLOAT_EQ(g.at(1, 1).w, 2 * (128 + 4.5f));
    EXPECT_FLOAT_EQ(g.at(2, 1).x, 64 + 63.5f);
    EXPECT_FLOAT_EQ(g.at(2, 2).x, 0.0f);
    setSpectrumSource(SpectrumSource{});
    g.evaluate();
    EXPECT_FLOAT_EQ(g.at(1, 0).x, 0.0f);
}
