// show_motion_test.cpp - the show's motion, frame by frame through every scene: nothing pops for a
// single frame and back, and the camera moves in one piece except where the music has a bar line.
#include <cmath>
#include <gtest/gtest.h>

#include "data/scene_data.h"
#include "director/demo_clock.h"
#include "director/show_step.h"
#include "tests/director/graph_fixture.h"

namespace {

constexpr float kBar = 115.2f; // frames per bar of the music
constexpr uint32_t kMaxRecords = 2 * 4096;

// A record's size as one number: its largest scale component.
float size(const DrawRecord& r) {
    return std::fmax(std::fabs(r.scale[0]), std::fmax(std::fabs(r.scale[1]), std::fabs(r.scale[2])));
}

// Sizes of every draw record of the current frame, opaque list first.
uint32_t sizes(float* out) {
    uint32_t n = 0;
    for (uint32_t i = 0; i < drawListOpaque.count; ++i) out[n++] = size(drawListOpaque.records[i]);
    for (uint32_t i = 0; i < drawListBlended.count; ++i) out[n++] = size(drawListBlended.records[i]);
    return n;
}

// From two frames before a bar line to the end of its 12-frame move (the sections of the music start
// on a bar line up to two frames before their scene).
bool onBarLine(int32_t localFrame) {
    float into = std::fmod(static_cast<float>(localFrame) + 2.0f, kBar);
    return into < 16.0f;
}

float distance3(const float* a, const float* b) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                     (a[2] - b[2]) * (a[2] - b[2]));
}

} // namespace

// A size that jumps by more than a tenth on one frame and is back the next is a glitch, not a swell:
// swells jump on the beat and settle over many frames. Over every frame of every scene.
TEST(ShowMotion, NoSizePopsForASingleFrame) {
    resetDirectorForTest();
    allocDirectorTables();
    convertSceneData(sceneTable, embeddedTracks);
    static float before[kMaxRecords], now[kMaxRecords], after[kMaxRecords];
    int32_t start = 0;
    for (int s = 0; s < kSceneCount; ++s) {
        const int32_t duration = sceneTable.scenes[s].duration;
        uint32_t n = 0;
        for (int32_t f = 0; f < duration; ++f) {
            evaluateFrame(demoClockAtFrame(start + f, sceneTable), 1280.0f / 720.0f);
            n = sizes(after);
            endFrameOutputs(frameSettings, &lineList);
            if (f >= 2) {
                for (uint32_t i = 0; i < n; ++i) {
                    float jump = std::fabs(now[i] - before[i]), back = std::fabs(after[i] - before[i]);
                    ASSERT_FALSE(jump > 0.1f * before[i] + 1e-3f && back < 0.5f * jump)
                        << "scene " << s << " frame " << f - 1 << " record " << i << ": " << before[i]
                        << " -> " << now[i] << " -> " << after[i];
                }
            }
            std::swap(before, now);
            std::swap(now, after);
        }
        start += duration;
    }
}

// The camera glides; where it jumps or swings (a cut or a move within a scene) it does so on a bar line.
// Scenes 2 and 3 are shorter than a bar and cut on their own accents.
TEST(ShowMotion, CameraJumpsOnlyOnBarLines) {
    resetDirectorForTest();
    allocDirectorTables();
    convertSceneData(sceneTable, embeddedTracks);
    int32_t start = 0;
    for (int s = 0; s < kSceneCount; ++s) {
        const int32_t duration = sceneTable.scenes[s].duration;
        float eye[3] = {}, at[3] = {}, fovy = 0;
        for (int32_t f = 0; f < duration; ++f) {
            evaluateFrame(demoClockAtFrame(start + f, sceneTable), 1280.0f / 720.0f);
            endFrameOutputs(frameSettings, &lineList);
            float reach = std::fmax(1.0f, std::sqrt(cameraState.eye[0] * cameraState.eye[0] +
                                                    cameraState.eye[1] * cameraState.eye[1] +
                                                    cameraState.eye[2] * cameraState.eye[2]));
            if (f > 0 && s != 2 && s != 3 && !onBarLine(f)) {
                EXPECT_LT(distance3(eye, cameraState.eye), 0.08f * reach) << "scene " << s << " frame " << f;
                EXPECT_LT(distance3(at, cameraState.at), 0.08f * reach) << "scene " << s << " frame " << f;
                EXPECT_LT(std::fabs(fovy - cameraState.fovy), 0.15f) << "scene " << s << " frame " << f;
            }
            for (int k = 0; k < 3; ++k) eye[k] = cameraState.eye[k], at[k] = cameraState.at[k];
            fovy = cameraState.fovy;
        }
        start += duration;
    }
}
