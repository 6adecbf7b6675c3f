// show_data_test.cpp - the embedded scenes and tracks against the show's summary: durations, slots
// in use, output operations per scene, every listed draw and sprite slot, the op codes, clock modes,
// track readers, element counts and the shape of every track. Facts only: how a scene composes its
// picture from these is free.
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <set>

#include "data/scene_data.h"

namespace {

const NodeSource& slot(int scene, int k) {
    return sceneTable.scenes[scene].nodes[k];
}

int countOps(int scene, NodeOp op) {
    int n = 0;
    for (int k = 0; k < kSlotsPerScene; ++k) n += slot(scene, k).op == op;
    return n;
}

int nearestInt(float p) {
    return static_cast<int>(std::lrintf(p));
}

struct DrawFact {
    int scene, slot, mesh, instances, vs, ps, texture, list;
};
// The listed draw slots: mesh, instances, vertex and pixel shader, texture, list (1 = blended).
const DrawFact drawFacts[] = {
    {0, 18, 20, 1, 10, 10, 0, 0},     {1, 16, 20, 64, 10, 10, 0, 0},     {3, 19, 20, 1024, 17, 18, 15, 0},
    {4, 12, 20, 1, 17, 18, 3, 1},     {4, 14, 20, 1, 17, 18, 3, 1},      {4, 26, 19, 1, 17, 18, 1, 1},
    {5, 20, 20, 1, 17, 18, 15, 0},    {5, 22, 20, 1, 17, 18, 17, 0},     {5, 24, 20, 1, 17, 18, 18, 0},
    {5, 25, 20, 1, 17, 18, 16, 0},    {5, 26, 20, 500, 17, 18, 28, 1},   {5, 28, 20, 1, 17, 18, 12, 1},
    {6, 13, 20, 1, 10, 10, 0, 0},     {6, 19, 20, 3, 10, 10, 0, 0},      {6, 24, 20, 1, 10, 10, 0, 0},
    {7, 14, 20, 1, 10, 10, 0, 0},     {7, 16, 20, 1, 10, 10, 0, 0},      {7, 20, 20, 1, 10, 10, 0, 0},
    {7, 28, 20, 1, 10, 10, 0, 0},     {7, 30, 20, 1, 10, 10, 0, 0},      {7, 32, 20, 20, 10, 10, 0, 0},
    {7, 50, 20, 1, 10, 10, 0, 0},     {7, 52, 20, 1, 10, 10, 0, 0},      {7, 54, 20, 1, 10, 10, 0, 0},
    {7, 66, 20, 20, 10, 10, 0, 0},    {7, 67, 20, 15, 10, 10, 0, 0},     {7, 68, 20, 15, 10, 10, 0, 0},
    {7, 69, 20, 8, 10, 10, 0, 0},     {7, 70, 20, 8, 10, 10, 0, 0},      {8, 22, 20, 1, 10, 10, 0, 0},
    {9, 20, 20, 1024, 17, 18, 15, 0}, {10, 18, 20, 1024, 17, 18, 25, 1},
};

struct SpriteFact {
    int scene, slot, texture, blend;
    float key;
};
const SpriteFact spriteFacts[] = {
    {0, 20, 4, 1, 0},           {0, 27, 5, 1, 0},  {0, 29, 6, 1, 0},  {0, 31, 7, 1, 0},
    {0, 34, 8, 1, 0},           {0, 36, 10, 1, 0}, {0, 38, 11, 1, 0}, {0, 82, 9, 1, 0},
    {2, 12, 28, 1, -0.009949f}, {2, 28, 30, 1, 0}, {2, 29, 29, 1, 0}, {4, 20, 20, 1, 0},
    {6, 26, 22, 1, 0},          {7, 58, 27, 1, 0}, {8, 18, 19, 1, 0}, {10, 34, 14, 1, 0},
};

} // namespace

TEST(ShowData, ScenesHaveTheirDurationsAndSlotCounts) {
    const int duration[kSceneCount] = {900, 240, 60, 180, 922, 922, 922, 922, 922, 920, 922};
    const int inUse[kSceneCount] = {88, 17, 30, 28, 29, 34, 32, 73, 27, 24, 36};
    int total = 0;
    for (int s = 0; s < kSceneCount; ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(sceneTable.scenes[s].duration, duration[s]);
        total += sceneTable.scenes[s].duration;
        for (int k = 0; k < kSlotsPerScene; ++k) {
            const NodeSource& n = slot(s, k);
            if (k < inUse[s]) {
                EXPECT_NE(n.op, kOpEmpty) << "slot " << k << " should be in use";
                for (int i = 0; i < 8; ++i) { // inputs name used slots of the same scene
                    EXPECT_GE(n.inputs[i], -1) << "slot " << k;
                    EXPECT_LT(n.inputs[i], inUse[s]) << "slot " << k;
                    if (n.inputs[i] >= 0) {
                        EXPECT_NE(slot(s, n.inputs[i]).op, kOpEmpty) << "slot " << k;
                    }
                }
            } else {
                const NodeSource zero{};
                EXPECT_EQ(std::memcmp(&n, &zero, sizeof n), 0) << "slot " << k << " should be empty";
            }
        }
    }
    EXPECT_EQ(total, kShowFrameCount);
}

TEST(ShowData, OutputOperationsPerScene) {
    struct Outputs {
        int draws, sprites, camera, lookAt, transitions, lights;
    };
    const Outputs expected[kSceneCount] = {
        {1, 8, 1, 0, 0, 0}, {1, 0, 1, 0, 0, 0}, {0, 3, 1, 0, 0, 0}, {1, 0, 1, 0, 1, 0},
        {3, 1, 1, 0, 1, 0}, {6, 0, 1, 0, 1, 0}, {3, 1, 1, 0, 1, 1}, {14, 1, 0, 1, 1, 1},
        {1, 1, 1, 0, 1, 1}, {1, 0, 1, 0, 1, 0}, {1, 1, 1, 0, 1, 1},
    };
    int draws = 0, blendedDraws = 0;
    for (int s = 0; s < kSceneCount; ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(countOps(s, kOpDrawMesh), expected[s].draws);
        EXPECT_EQ(countOps(s, kOpSprite), expected[s].sprites);
        EXPECT_EQ(countOps(s, kOpCamera), expected[s].camera);
        EXPECT_EQ(countOps(s, kOpLookAtCamera), expected[s].lookAt);
        EXPECT_EQ(countOps(s, kOpTransition), expected[s].transitions);
        EXPECT_EQ(countOps(s, kOpSetLight), expected[s].lights);
        // one clear colour per scene; scene 1, given slot by slot, has none and keeps the reset colour
        EXPECT_EQ(countOps(s, kOpSetClearColor), s == 1 ? 0 : 1);
        draws += countOps(s, kOpDrawMesh);
        for (int k = 0; k < kSlotsPerScene; ++k) {
            const NodeSource& n = slot(s, k);
            if (n.op == kOpDrawMesh) blendedDraws += nearestInt(n.params[5]) != 0;
            if (n.op != kOpTransition) continue;
            EXPECT_EQ(nearestInt(n.params[0]), 2) << "fade from white";
            ASSERT_GE(n.inputs[0], 0);
            EXPECT_EQ(slot(s, n.inputs[0]).op, kOpTrackSample) << "the factor comes from a track";
        }
    }
    EXPECT_EQ(draws, 32);
    EXPECT_EQ(blendedDraws, 6);
}

TEST(ShowData, ListedDrawAndSpriteSlots) {
    for (const DrawFact& d : drawFacts) {
        SCOPED_TRACE(testing::Message() << "scene " << d.scene << " slot " << d.slot);
        const NodeSource& n = slot(d.scene, d.slot);
        ASSERT_EQ(n.op, kOpDrawMesh);
        EXPECT_EQ(nearestInt(n.params[0]), d.mesh);
        EXPECT_EQ(nearestInt(n.params[1]), d.instances);
        EXPECT_EQ(nearestInt(n.params[2]), d.vs);
        EXPECT_EQ(nearestInt(n.params[3]), d.ps);
        EXPECT_EQ(nearestInt(n.params[4]), d.texture);
        EXPECT_EQ(nearestInt(n.params[5]) != 0, d.list == 1);
    }
    for (const SpriteFact& f : spriteFacts) {
        SCOPED_TRACE(testing::Message() << "scene " << f.scene << " slot " << f.slot);
        const NodeSource& n = slot(f.scene, f.slot);
        ASSERT_EQ(n.op, kOpSprite);
        EXPECT_EQ(nearestInt(n.params[0]), f.texture);
        EXPECT_EQ(nearestInt(n.params[1]), 1);
        EXPECT_EQ(nearestInt(n.params[2]), f.blend);
        EXPECT_FLOAT_EQ(n.params[3], f.key);
    }
}

TEST(ShowData, OpCodesClocksTrackReadersAndCounts) {
    const std::set<int> usedOps = {2,  10, 11, 12, 14, 16, 23, 28, 30, 31, 34, 35,
                                   36, 39, 40, 42, 43, 48, 50, 51, 52, 53, 57};
    const std::set<uint32_t> counts = {1, 3, 7, 8, 15, 20, 32, 64, 128, 500, 1024};
    int trackReaders = 0, scaledTen = 0;
    std::set<int> tracksRead;
    for (int s = 0; s < kSceneCount; ++s) {
        for (int k = 0; k < kSlotsPerScene; ++k) {
            const NodeSource& n = slot(s, k);
            if (n.op == kOpEmpty) continue;
            SCOPED_TRACE(testing::Message() << "scene " << s << " slot " << k);
            EXPECT_TRUE(usedOps.count(n.op)) << "op " << n.op;
            EXPECT_TRUE(counts.count(n.outputCount)) << "count " << n.outputCount;
            if (n.op == kOpFrameCounter) {
                EXPECT_EQ(nearestInt(n.params[1]), 0);
            }
            if (n.op == kOpFrameTime) {
                EXPECT_EQ(nearestInt(n.params[2]), 0);
            }
            if (n.op != kOpTrackSample) continue;
            ++trackReaders;
            int track = nearestInt(n.params[0]);
            EXPECT_GE(track, 0);
            EXPECT_LT(track, 18);
            tracksRead.insert(track);
            EXPECT_EQ(nearestInt(n.params[2]), 0) << "limiting, not wrapping";
            EXPECT_EQ(nearestInt(n.params[3]), 0) << "no summing";
            if (n.params[1] == 10.0f) {
                ++scaledTen;
            } else {
                EXPECT_EQ(n.params[1], 1.0f);
            }
            ASSERT_GE(n.inputs[0], 0);
            const NodeSource& time = slot(s, n.inputs[0]);
            EXPECT_EQ(time.op, kOpFrameTime);
            EXPECT_EQ(time.params[0], 1.0f);
            EXPECT_EQ(time.params[1], 0.0f);
        }
    }
    EXPECT_EQ(trackReaders, 24);
    EXPECT_EQ(scaledTen, 1);
    for (int t = 1; t <= 17; ++t) EXPECT_TRUE(tracksRead.count(t)) << "track " << t << " is read by no scene";
}

TEST(ShowData, TracksAreLinearAndStartAtFrameZero) {
    for (int t = 0; t < kTrackCount; ++t) {
        SCOPED_TRACE(t);
        const Track& track = embeddedTracks[t];
        if (t >= 18) {
            EXPECT_EQ(track.keyCount, 0u);
            continue;
        }
        EXPECT_EQ(track.interpolation, 0u);
        EXPECT_GE(track.keyCount, 4u);
        EXPECT_LE(track.keyCount, 43u);
        EXPECT_EQ(track.keys[0].frame, 0);
        for (uint32_t k = 1; k < track.keyCount; ++k) {
            EXPECT_GE(track.keys[k].frame, track.keys[k - 1].frame) << "key " << k;
            // a jump is two keys at the same frame or at neighbouring frames; never three at one frame
            if (k >= 2) {
                EXPECT_NE(track.keys[k].frame, track.keys[k - 2].frame) << "key " << k;
            }
        }
    }
}
