// output_ops_test.cpp - draw records, sprites, lines, camera and frame settings.
#include "tests/director/graph_fixture.h"

TEST(OutputOps, DrawMeshInstancesShareShorterInputs) {
    TestGraph g;
    g.data(10, {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}});
    g.data(11, {{0.5f, 0.5f, 0.5f, 0}});
    g.data(12, {{0.1f, 0.2f, 0.3f, 0}});
    g.data(13, {{1, 0, 0, 1}, {0, 1, 0, 1}});
    g.slot(0, kOpDrawMesh, {10, 11, 12, 13}, {20, 3, 17, 18, 15, 0}, 1);
    g.slot(1, kOpDrawMesh, {11}, {19, 3, 10, 10, 4, 1}, 1); // one position for all three, blended
    g.frame();
    ASSERT_EQ(drawListOpaque.count, 3u);
    ASSERT_EQ(drawListBlended.count, 3u);
    const DrawRecord& r = drawListOpaque.records[2];
    EXPECT_EQ(r.mesh, 20);
    EXPECT_EQ(r.vertexShader, 17);
    EXPECT_EQ(r.pixelShader, 18);
    EXPECT_EQ(r.texture, 15);
    EXPECT_FLOAT_EQ(r.position[0], 7);
    EXPECT_FLOAT_EQ(drawListOpaque.records[1].position[1], 5);
    EXPECT_FLOAT_EQ(r.scale[2], 0.5f);
    EXPECT_FLOAT_EQ(r.rotation[1], 0.2f);
    EXPECT_FLOAT4(r.options[0], 0, 1, 0, 1); // element 2 of a 2-element input: its last
    EXPECT_FLOAT4(drawListOpaque.records[0].options[0], 1, 0, 0, 1);
    EXPECT_FLOAT4(r.options[1], 0, 0, 0, 0);
    for (int i = 0; i < 3; ++i) {
        const DrawRecord& b = drawListBlended.records[i];
        EXPECT_EQ(b.mesh, 19);
        EXPECT_EQ(b.texture, 4);
        EXPECT_FLOAT_EQ(b.position[0], 0.5f);
        EXPECT_FLOAT_EQ(b.scale[0], 1.0f); // in1 empty: unit scale
    }
}

TEST(OutputOps, DrawVariantsScaleAndOptions) {
    TestGraph g;
    g.data(10, {{0.5f, 1, 2, 0}});
    g.data(11, {{3, 3, 3, 3}});
    g.slot(0, kOpDrawPlain, {-1, 10, -1, 11}, {5, 1, 1, 2, 9, 1}, 1);
    g.slot(1, kOpDrawThreeOptions, {-1, 10, -1, 11, 11, 11, 11, 11}, {5, 1, 1, 2, 9, 1}, 1);
    g.slot(2, kOpDrawFiveOptions, {-1, -1, -1, 11, 11, 11, 11, 11}, {5, 1, 1, 2, 9, 1}, 1);
    g.slot(3, kOpDrawMesh, {}, {5, 0}, 1); // zero instances: nothing
    g.frame();
    ASSERT_EQ(drawListOpaque.count, 3u); // the first three ignore p4 and p5
    EXPECT_EQ(drawListBlended.count, 0u);
    const DrawRecord* r = drawListOpaque.records;
    EXPECT_FLOAT_EQ(r[0].scale[0], 1.5f);
    EXPECT_FLOAT_EQ(r[0].scale[2], 3.0f);
    EXPECT_EQ(r[0].texture, 0);
    EXPECT_FLOAT4(r[0].options[0], 0, 0, 0, 0);
    EXPECT_FLOAT4(r[1].options[2], 3, 3, 3, 3);
    EXPECT_FLOAT4(r[1].options[3], 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(r[2].scale[1], 1.0f);
    EXPECT_FLOAT4(r[2].options[4], 3, 3, 3, 3);
}

TEST(OutputOps, PreviousTransformComesFromTheListSlot) {
    TestGraph g;
    g.slot(0, kOpFrameTime, {}, {1}, 1);
    g.slot(1, kOpDrawMesh, {0, 0, 0}, {20, 2, 10, 10}, 1);
    localFrame = 5;
    g.frame();
    EXPECT_FLOAT_EQ(drawListOpaque.records[1].prevPosition[0], 0.0f); // first use: zeros
    localFrame = 6;
    g.frame();
    const DrawRecord& r = drawListOpaque.records[1];
    EXPECT_FLOAT_EQ(r.position[0], 6);
    EXPECT_FLOAT_EQ(r.prevPosition[0], 5);
    EXPECT_FLOAT_EQ(r.prevScale[1], 5);
    EXPECT_FLOAT_EQ(r.prevRotation[2], 5);
    // A record that moves to another list place takes that place's previous transform.
    g.slot(2, kOpDrawMesh, {}, {20, 1, 10, 10}, 1);
    g.nodes[1].inputs[3] = 2; // slot 2 now runs first, as slot 1's input
    localFrame = 7;
    g.frame();
    EXPECT_FLOAT_EQ(drawListOpaque.records[0].prevPosition[0], 6); // slot 2's record, place 0
    EXPECT_FLOAT_EQ(drawListOpaque.records[0].position[0], 0);
    EXPECT_FLOAT_EQ(drawListOpaque.records[2].prevPosition[0], 0); // place 2 was never used
    localFrame = 0;
}

TEST(OutputOps, ListCapacityIsRespected) {
    TestGraph g;
    g.slot(0, kOpDrawMesh, {}, {20, 5000, 10, 10}, 1);
    g.slot(1, kOpSprite, {}, {1, 100}, 1);
    g.data(10, {{0, 0, 0, 0}, {1, 1, 1, 1}});
    g.slot(2, kOpLineStrip, {10}, {}, 1);
    g.slot(3, kOpRepeat, {10}, {}, 2000);
    g.slot(4, kOpLineStrip, {3}, {}, 1);
    g.frame();
    EXPECT_EQ(drawListOpaque.count, 4096u);
    EXPECT_EQ(spriteList.count, 64u);
    EXPECT_EQ(lineList.count, 1024u);
    EXPECT_FLOAT_EQ(lineList.vertices[1].position[0], 1.0f);
    EXPECT_FLOAT_EQ(lineList.vertices[1].position[3], 1.0f);
    EXPECT_EQ(lineList.vertices[1].colour, 0xFFFFFFFFu);
    endFrameOutputs(frameSettings, &lineList);
    EXPECT_EQ(lineList.count, 0u);
}

TEST(OutputOps, SpriteDefaultsAndInputs) {
    TestGraph g;
    g.data(10, {{0.1f, 0.2f, 0.3f, 0.4f}});
    g.data(11, {{100, 200, 0, 0}, {300, 400, 0, 0}});
    g.data(12, {{0.25f, 0, 0, 0}});
    g.slot(0, kOpSprite, {}, {7, 1, 1, -0.009949f}, 1);
    g.slot(1, kOpSprite, {10, 11, 11, 12, 12}, {8, 2, 2, 0.5f}, 1);
    g.frame();
    ASSERT_EQ(spriteList.count, 3u);
    const SpriteRecord& a = spriteList.records[0];
    EXPECT_FLOAT_EQ(a.srcRect[2], 1.0f); // whole texture
    EXPECT_FLOAT_EQ(a.srcRect[0], 0.0f);
    EXPECT_FLOAT_EQ(a.centre[0], 0.0f);
    EXPECT_FLOAT_EQ(a.scale[0], 1.0f);
    EXPECT_FLOAT_EQ(a.scale[1], 1.0f);
    EXPECT_FLOAT_EQ(a.alpha, 1.0f);
    EXPECT_EQ(a.texture, 7);
    EXPECT_EQ(a.blend, 1);
    EXPECT_FLOAT_EQ(a.key, -0.009949f);
    const SpriteRecord& c = spriteList.records[2];
    EXPECT_FLOAT_EQ(c.srcRect[3], 0.4f);
    EXPECT_FLOAT_EQ(c.centre[1], 400);
    EXPECT_FLOAT_EQ(c.scale[0], 300);
    EXPECT_FLOAT_EQ(c.rotation, 0.25f);
    EXPECT_FLOAT_EQ(c.alpha, 0.25f);
    EXPECT_EQ(c.blend, 2);
}

TEST(OutputOps, CameraDefaults) {
    TestGraph g;
    g.data(10, {{4, 5, 6, 0}});
    g.slot(0, kOpCamera, {-1, 10}, {}, 1);
    g.frame();
    EXPECT_FLOAT_EQ(cameraState.eye[0], 1);
    EXPECT_FLOAT_EQ(cameraState.eye[2], 1);
    EXPECT_FLOAT_EQ(cameraState.at[1], 5);
    EXPECT_FLOAT_EQ(cameraState.up[1], 1);
    EXPECT_FLOAT_EQ(cameraState.up[0], 0);
    EXPECT_FLOAT_EQ(cameraState.fovy, 1.5707964f);
    EXPECT_FLOAT_EQ(cameraState.aspect, 1280.0f / 720.0f);
    EXPECT_FLOAT_EQ(cameraState.near, 0.05f);
    EXPECT_FLOAT_EQ(cameraState.far, 1000.0f);

    g.data(11, {{0.8f, 0, 0, 0}});
    g.data(12, {{0.5f, 50, 0, 0}});
    g.slot(0, kOpCamera, {10, 10, 10, 11, 12}, {}, 1);
    g.slot(1, kOpLookAtCamera, {10, 11}, {}, 1); // the later camera wins
    g.frame();
    EXPECT_FLOAT_EQ(cameraState.eye[0], 4);
    EXPECT_FLOAT_EQ(cameraState.at[0], 0.8f);
    EXPECT_FLOAT_EQ(cameraState.up[1], 1);
    EXPECT_FLOAT_EQ(cameraState.fovy, 1.5707964f);

    g.slot(1, kOpEmpty, {}, {}, 0);
    g.frame();
    EXPECT_FLOAT_EQ(cameraState.up[1], 5);
    EXPECT_FLOAT_EQ(cameraState.fovy, 0.8f);
    EXPECT_FLOAT_EQ(cameraState.near, 0.5f);
    EXPECT_FLOAT_EQ(cameraState.far, 50.0f);
    g.slot(0, kOpEmpty, {}, {}, 0);
    g.frame();
    EXPECT_FLOAT_EQ(cameraState.far, 50.0f); // no camera this frame: the last one stays
}

TEST(OutputOps, FrameSettings) {
    TestGraph g;
    g.data(10, {{1.0f, 0, 0, 0}});
    g.data(11, {{1.01f, 0, 0, 0}});
    g.data(12, {{0.2f, 0.3f, 0.4f, 0.5f}});
    g.slot(0, kOpTransition, {10}, {2}, 1);
    g.frame();
    EXPECT_EQ(frameSettings.transitionType, 2);
    EXPECT_FLOAT_EQ(frameSettings.transitionFactor, 1.0f);
    g.slot(0, kOpTransition, {11}, {2}, 1);
    g.frame();
    EXPECT_EQ(frameSettings.transitionType, 0); // reset before the evaluation, and not set
    EXPECT_FLOAT_EQ(frameSettings.transitionFactor, 0.0f);

    g.slot(0, kOpSetLight, {12}, {}, 1);
    g.slot(1, kOpSetClearColor, {12}, {}, 1);
    g.slot(2, kOpDepthOfField, {12}, {}, 1);
    g.slot(3, kOpMotionBlur, {}, {0.7f}, 1);
    g.slot(4, kOpBloom, {12, 12, 10}, {}, 1);
    g.frame();
    EXPECT_FLOAT4(frameSettings.lightDirVS, 1, 1, 1, 1); // input 0 has no effect, in1 empty
    EXPECT_FLOAT4(frameSettings.clearColor, 0.2f, 0.3f, 0.4f, 0.5f);
    EXPECT_FLOAT_EQ(frameSettings.dofFocus, 0.2f);
    EXPECT_EQ(frameSettings.isRenderDof, 1);
    EXPECT_FLOAT_EQ(frameSettings.blurJumpThreshold, 0.7f);
    EXPECT_EQ(frameSettings.isBlur, 1);
    EXPECT_FLOAT_EQ(frameSettings.bloomThrethold, 0.2f);
    EXPECT_FLOAT_EQ(frameSettings.bloomDispersion, 0.02f);
    EXPECT_FLOAT_EQ(frameSettings.bloomColor, 1.0f);
    EXPECT_EQ(frameSettings.isRenderBloom, 1);

    endFrameOutputs(frameSettings, &lineList);
    EXPECT_FLOAT4(frameSettings.clearColor, 0.11764706f, 0.25490198f, 0.3529412f, 1.0f);
    EXPECT_EQ(frameSettings.isBlur + frameSettings.isRenderDof + frameSettings.isRenderBloom, 0);
    EXPECT_FLOAT_EQ(frameSettings.dofFocus, 0.2f); // kept
    g.slot(0, kOpSetLight, {-1, 12}, {}, 1);
    g.frame();
    EXPECT_FLOAT4(frameSettings.lightDirVS, 0.2f, 0.3f, 0.4f, 0.5f);
}
