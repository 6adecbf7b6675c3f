// show_data_test.cpp - the embedded scenes and tracks: what every scene holds, read from the show's own
// tables so a new scene needs no line here (the slots its enum names in use, the lengths filling the
// music, the outputs every scene has), every draw and sprite slot the show's summary lists, the shape of
// every track, and the properties any scene data the director can play holds. Facts only: how a scene
// composes its picture from these is free.
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

#include "data/draw_names.h"
#include "data/images.h"
#include "data/mesh_programs.h"
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

// What each scene holds, from the show's own tables, so a scene is added by its file and its line of
// data/scene_list.h alone: the slots its enum names (data/scene_data.h's sceneNames) are exactly the
// slots in use, each input one of them; the lengths fill the music (kShowFrameCount) exactly.
TEST(ShowData, ScenesUseTheSlotsTheyNameAndFillTheMusic) {
    int total = 0;
    for (int s = 0; s < kSceneCount; ++s) {
        SCOPED_TRACE(testing::Message() << "scene " << s << " (" << sceneNames[s].name << ")");
        EXPECT_GE(sceneTable.scenes[s].duration, 1);
        total += sceneTable.scenes[s].duration;
        const int inUse = sceneNames[s].slots->last; // the enum's closing kSlotCount
        ASSERT_GE(inUse, 1);
        ASSERT_LE(inUse, kSlotsPerScene);
        for (int k = 0; k < kSlotsPerScene; ++k) {
            const NodeSource& n = slot(s, k);
            if (k < inUse) {
                EXPECT_NE(n.op, kOpEmpty) << "slot " << k << " should be in use";
                for (int i = 0; i < 8; ++i) { // inputs name used slots of the same scene
                    EXPECT_GE(n.inputs[i], -1) << "slot " << k;
                    EXPECT_LT(n.inputs[i], inUse) << "slot " << k;
                }
            } else {
                const NodeSource zero{};
                EXPECT_EQ(std::memcmp(&n, &zero, sizeof n), 0) << "slot " << k << " should be empty";
            }
        }
    }
    EXPECT_EQ(total, kShowFrameCount)
        << "the scenes' lengths add up to the music's " << kShowFrameCount << " frames";
}

// The outputs every scene has, whatever it draws: one camera (plain or look-at), at most one clear
// colour (scene 1, given slot by slot, has none and keeps the reset colour), transition and light, and
// something drawn; a transition fades from white by a factor that comes from a track.
TEST(ShowData, OutputOperationsPerScene) {
    for (int s = 0; s < kSceneCount; ++s) {
        SCOPED_TRACE(testing::Message() << "scene " << s << " (" << sceneNames[s].name << ")");
        EXPECT_EQ(countOps(s, kOpCamera) + countOps(s, kOpLookAtCamera), 1);
        EXPECT_GE(countOps(s, kOpDrawMesh) + countOps(s, kOpSprite), 1);
        EXPECT_LE(countOps(s, kOpTransition), 1);
        EXPECT_LE(countOps(s, kOpSetLight), 1);
        EXPECT_LE(countOps(s, kOpSetClearColor), 1);
        for (int k = 0; k < kSlotsPerScene; ++k) {
            const NodeSource& n = slot(s, k);
            if (n.op != kOpTransition) continue;
            EXPECT_EQ(nearestInt(n.params[0]), 2) << "fade from white";
            ASSERT_GE(n.inputs[0], 0);
            // The factor comes from a track, or is the stronger (the smaller) of a track's fade and the
            // light a kick washes over the picture.
            const NodeSource& factor = slot(s, n.inputs[0]);
            if (factor.op == kOpMinMax) {
                EXPECT_EQ(nearestInt(factor.params[0]), 0) << "the smaller factor: the stronger wash";
                ASSERT_GE(factor.inputs[0], 0);
                EXPECT_EQ(slot(s, factor.inputs[0]).op, kOpTrackSample) << "a fade from a track";
            } else {
                EXPECT_EQ(factor.op, kOpTrackSample) << "the factor comes from a track";
            }
        }
    }
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

// What any scene data the director can play holds, whatever its scenes draw: every slot runs a known
// operation on a sensible number of elements; every input is a slot in use that runs before it (no
// cycle); every draw names a mesh and an image that exist (its shaders: tests/render); every sprite an
// image and a blend; every track read has keys from frame 0; the lists' capacities hold.
TEST(ShowData, AnySceneDataTheDirectorCanPlayHoldsTheseProperties) {
    for (int s = 0; s < kSceneCount; ++s) {
        int instances = 0, sprites = 0;
        enum Mark { kUnseen, kOnPath, kDone };
        Mark marks[kSlotsPerScene] = {};
        // Depth first through the inputs: meeting a slot on the current path is a cycle.
        auto acyclic = [&](auto&& self, int k) -> bool {
            if (marks[k] == kDone) return true;
            if (marks[k] == kOnPath) return false;
            marks[k] = kOnPath;
            for (int32_t input : slot(s, k).inputs)
                if (input >= 0 && input < kSlotsPerScene && !self(self, input)) return false;
            marks[k] = kDone;
            return true;
        };
        for (int k = 0; k < kSlotsPerScene; ++k) {
            const NodeSource& n = slot(s, k);
            if (n.op == kOpEmpty) continue;
            SCOPED_TRACE(testing::Message() << "scene " << s << " slot " << k);
            EXPECT_GT(n.op, kOpEmpty);
            EXPECT_LT(n.op, kNodeOpCount);
            EXPECT_GE(n.outputCount, 1u);
            EXPECT_LE(n.outputCount, (uint32_t)kDrawListCapacity);
            for (int32_t input : n.inputs) {
                ASSERT_GE(input, -1);
                ASSERT_LT(input, kSlotsPerScene);
                if (input >= 0) {
                    EXPECT_NE(slot(s, input).op, kOpEmpty) << "input " << input << " is empty";
                }
            }
            EXPECT_TRUE(acyclic(acyclic, k)) << "a cycle through the inputs";
            if (n.op == kOpDrawMesh) {
                EXPECT_GE(nearestInt(n.params[0]), 0);
                EXPECT_LT(nearestInt(n.params[0]), kGpuMeshFirstProgram + kMeshProgramCount);
                EXPECT_GE(nearestInt(n.params[1]), 1);
                instances += nearestInt(n.params[1]);
                EXPECT_GE(nearestInt(n.params[4]), 0);
                EXPECT_LT(nearestInt(n.params[4]), kEmbeddedImageCount);
            }
            if (n.op == kOpSprite) {
                ++sprites;
                EXPECT_GE(nearestInt(n.params[0]), 0);
                EXPECT_LT(nearestInt(n.params[0]), kEmbeddedImageCount);
                EXPECT_GE(nearestInt(n.params[2]), 0);
                EXPECT_LE(nearestInt(n.params[2]), 2);
            }
            if (n.op == kOpTrackSample) {
                const int track = nearestInt(n.params[0]);
                ASSERT_GE(track, 0);
                ASSERT_LT(track, kTrackCount);
                EXPECT_GT(embeddedTracks[track].keyCount, 0u) << "track " << track << " has no keys";
                if (embeddedTracks[track].keyCount) {
                    EXPECT_EQ(embeddedTracks[track].keys[0].frame, 0);
                }
                EXPECT_GE(n.inputs[0], 0) << "a track read at no time";
            }
        }
        EXPECT_LE(instances, kDrawListCapacity) << "scene " << s;
        EXPECT_LE(sprites, kSpriteCapacity) << "scene " << s;
    }
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
