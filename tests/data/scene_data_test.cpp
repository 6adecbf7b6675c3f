// scene_data_test.cpp - start-up conversion of the embedded scenes and tracks, and scene 1 against
// values worked out by hand from its node table.
#include <cmath>
#include <cstring>

#include "data/scene_data.h"
#include "director/show_step.h"
#include "tests/director/graph_fixture.h"

// The show's start-up for the director, on the process arena.
static void startDirector() {
    resetDirectorForTest();
    allocDirectorTables();
    convertSceneData(sceneTable, embeddedTracks);
}

TEST(SceneData, ConversionFillsBlocksInOrder) {
    resetDirectorForTest();
    uint32_t before = workArena.mainCursor;
    allocDirectorTables();
    // The tables come in the fixed order: pointer array, node blocks, pointer array, value blocks.
    EXPECT_LT(reinterpret_cast<uintptr_t>(nodeBlocks), reinterpret_cast<uintptr_t>(nodeBlocks[0]));
    EXPECT_LT(reinterpret_cast<uintptr_t>(nodeBlocks[31]), reinterpret_cast<uintptr_t>(valueBlocks));
    EXPECT_LT(reinterpret_cast<uintptr_t>(valueBlocks), reinterpret_cast<uintptr_t>(valueBlocks[0]));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(nodeBlocks[1]) - reinterpret_cast<uintptr_t>(nodeBlocks[0]),
              17408u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(valueBlocks) % alignof(NodeValue*), 0u);
    EXPECT_GE(workArena.mainCursor - before, 32u * 17408u + 32u * 256u * sizeof(NodeValue));
    convertSceneData(sceneTable, embeddedTracks);

    const NodeSource* s1 = sceneTable.scenes[1].nodes;
    EXPECT_EQ(std::memcmp(&nodeBlocks[1][16], &s1[16], sizeof(GraphNode)), 0);
    EXPECT_EQ(valueBlocks[1][15].count, 128u);
    EXPECT_EQ(valueBlocks[1][3].count, 64u);
    EXPECT_EQ(valueBlocks[1][17].count, 0u); // past the 17 slots in use: empty
    EXPECT_EQ(nodeBlocks[1][17].op, 0);
    EXPECT_EQ(nodeBlocks[1][7].inputs[2], -1);
    EXPECT_EQ(valueBlocks[1][3].evaluated, 0);
    for (uint32_t e = 0; e < 128; ++e) EXPECT_FLOAT4(valueBlocks[1][15].data[e], 0, 0, 0, 0);
    // Value arrays follow each other in slot order.
    EXPECT_EQ(reinterpret_cast<uintptr_t>(valueBlocks[1][1].data) -
                  reinterpret_cast<uintptr_t>(valueBlocks[1][0].data),
              16u);
    EXPECT_EQ(std::memcmp(trackTable, embeddedTracks, sizeof(trackTable)), 0);
}

TEST(SceneData, EmptyGraphsEvaluateToNothing) {
    startDirector();
    DirectorRenderer renderer = directorRenderer(1280.0f / 720.0f);
    GraphArgs args = {};
    cameraState.fovy = 0.25f;
    for (int s = kSceneCount; s < kSceneBlockCount; ++s) { // the blocks past the show's scenes
        beginDirectorFrame();
        evaluateScene(nodeBlocks[s], valueBlocks[s], args, renderer);
        EXPECT_EQ(drawListOpaque.count + drawListBlended.count + spriteList.count, 0u) << s;
    }
    EXPECT_FLOAT_EQ(cameraState.fovy, 0.25f); // nothing set the camera
}

// Every scene of the show hands the renderer what its draw and sprite slots promise, every frame.
TEST(SceneData, EveryScenesOutputsAtEveryFrame) {
    startDirector();
    int32_t sceneStart = 0;
    for (int s = 0; s < kSceneCount; ++s) {
        uint32_t opaque = 0, blended = 0, sprites = 0;
        for (int k = 0; k < kSlotsPerScene; ++k) {
            const NodeSource& n = sceneTable.scenes[s].nodes[k];
            uint32_t instances = static_cast<uint32_t>(std::lrintf(n.params[1]));
            if (n.op == kOpDrawMesh) (std::lrintf(n.params[5]) ? blended : opaque) += instances;
            if (n.op == kOpSprite) sprites += instances;
        }
        for (int32_t f = 0; f < sceneTable.scenes[s].duration; ++f) {
            evaluateFrame(demoClockAtFrame(sceneStart + f, sceneTable), 1280.0f / 720.0f);
            ASSERT_EQ(drawListOpaque.count, opaque) << "scene " << s << " frame " << f;
            ASSERT_EQ(drawListBlended.count, blended) << "scene " << s << " frame " << f;
            ASSERT_EQ(spriteList.count, sprites) << "scene " << s << " frame " << f;
            for (uint32_t i = 0; i < opaque; ++i)
                ASSERT_TRUE(std::isfinite(drawListOpaque.records[i].position[0]));
            endFrameOutputs(frameSettings, &lineList);
        }
        sceneStart += sceneTable.scenes[s].duration;
    }
}

// Scene 1 at local frame f, evaluated frame by frame from 0 as the show does.
static void runScene1To(int32_t f) {
    ShowCursor cursor = {};
    DemoClock clock = catchUpAndEvaluateFrame(cursor, 900 + f, sceneTable, 1280.0f / 720.0f);
    ASSERT_EQ(clock.sceneIndex, 1);
    ASSERT_EQ(localFrame, f);
    ASSERT_EQ(sceneEndFrame, 1140);
}

// Slot 4 and 5 by hand: seed 0, four LCG steps per element.
static void scene1Randoms(float* colour, float* size) {
    uint32_t s = 0;
    auto next = [&s](float lo, float hi) {
        s = s * 1103515245u + 12345u;
        return static_cast<float>((s >> 16) & 32767u) / 32767.0f * (hi - lo) + lo;
    };
    for (int i = 0; i < 32 * 4; ++i) colour[i] = next(0, 1);
    s = 0;
    for (int i = 0; i < 64 * 4; ++i) size[i] = next(0.07959f, 0.15918f);
}

TEST(SceneData, SceneOneByHand) {
    startDirector();
    static float colour[32 * 4], size[64 * 4];
    scene1Randoms(colour, size);
    for (int32_t f : {0, 1, 57, 239}) {
        runScene1To(f);
        SCOPED_TRACE(f);
        EXPECT_FLOAT_EQ(cameraState.eye[0], 0);
        EXPECT_FLOAT_EQ(cameraState.eye[1], 10);
        EXPECT_FLOAT_EQ(cameraState.eye[2], 0);
        EXPECT_FLOAT_EQ(cameraState.at[0], 0.000999f);
        EXPECT_FLOAT_EQ(cameraState.at[1], 1);
        EXPECT_FLOAT_EQ(cameraState.up[1], 1);
        EXPECT_FLOAT_EQ(cameraState.fovy, 1.5707964f);
        EXPECT_FLOAT_EQ(cameraState.near, 0.05f);
        EXPECT_FLOAT_EQ(cameraState.far, 1000.0f);
        ASSERT_EQ(drawListOpaque.count, 64u);
        EXPECT_EQ(drawListBlended.count, 0u);
        EXPECT_EQ(spriteList.count, 0u);

        float sway = std::fmod(9.0f * std::sin(static_cast<float>(f) * 1.296875f) + 20.0f, 20.0f);
        for (int i = 0; i < 64; ++i) {
            const DrawRecord& r = drawListOpaque.records[i];
            SCOPED_TRACE(i);
            EXPECT_EQ(r.mesh, 20);
            EXPECT_EQ(r.vertexShader, 10);
            EXPECT_EQ(r.pixelShader, 10);
            EXPECT_EQ(r.texture, 0);
            float rowX = static_cast<float>(2 * i - 63) * 0.597656f * 0.5f + 18.0f;
            float x = std::fmod(sway + rowX, 20.0f) - 10.3125f;
            EXPECT_NEAR(r.position[0], x, 2e-5f);
            EXPECT_GE(r.position[0], -20.0f - 10.3125f);
            EXPECT_LT(r.position[0], 20.0f - 10.3125f);
            EXPECT_FLOAT_EQ(r.position[1], 0.0f);
            EXPECT_FLOAT_EQ(r.position[2], 0.0f);
            int e = i < 32 ? i : 31; // records 32..63 share element 31 of slots 8 and 4
            EXPECT_FLOAT_EQ(r.scale[0], size[e * 4 + 0] + 0.328125f);
            EXPECT_FLOAT_EQ(r.scale[1], size[e * 4 + 1] + 0.099609f);
            EXPECT_FLOAT_EQ(r.scale[2], size[e * 4 + 2] + 20.0f);
            EXPECT_FLOAT4(r.options[0], colour[e * 4], colour[e * 4 + 1], colour[e * 4 + 2],
                          colour[e * 4 + 3]);
            EXPECT_FLOAT4(r.options[1], 0, 0, 0, 0);
            EXPECT_FLOAT_EQ(r.rotation[0], 0.0f);
        }
        if (f > 0) { // the previous transform is frame f - 1's
            float prevSway = std::fmod(9.0f * std::sin(static_cast<float>(f - 1) * 1.296875f) + 20.0f, 20.0f);
            float rowX = -63 * 0.597656f * 0.5f + 18.0f;
            EXPECT_NEAR(drawListOpaque.records[0].prevPosition[0],
                        std::fmod(prevSway + rowX, 20.0f) - 10.3125f, 2e-5f);
        }
        // Slot 15 wrote all 128 elements; elements 64..127 repeat element 63 of slot 14.
        EXPECT_FLOAT4(valueBlocks[1][15].data[127], valueBlocks[1][15].data[63].x, 0, 0, 0);
    }
}
