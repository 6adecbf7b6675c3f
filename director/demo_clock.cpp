// demo_clock.cpp - frame index, scene search and local frame from the music position.
#include "director/demo_clock.h"

#include "director/director_state.h"

int32_t demoFrameAt(int32_t positionMs) {
    // Done in 64 bits so that a position past 2^31 / 100 ms cannot overflow; it then ends the show.
    int64_t frame = static_cast<int64_t>(positionMs) * 100 / kFramePeriodCentiMs;
    if (frame > INT32_MAX) return INT32_MAX;
    return static_cast<int32_t>(frame);
}

int32_t demoPositionOfFrame(int32_t frame) {
    // frame * kFramePeriodCentiMs / 100 rounded up: the first whole millisecond whose frame index reaches
    // `frame`.
    return static_cast<int32_t>((static_cast<int64_t>(frame) * kFramePeriodCentiMs + 99) / 100);
}

DemoClock demoClockAt(int32_t positionMs, const SceneTable& scenes) {
    return demoClockAtFrame(demoFrameAt(positionMs), scenes);
}

DemoClock demoClockAtFrame(int32_t frame, const SceneTable& scenes) {
    DemoClock clock = {};
    clock.frame = frame;
    int32_t sum = 0;
    int index = 0;
    for (; index < kSceneCount; ++index) {
        sum += scenes.scenes[index].duration;
        if (clock.frame < sum) break;
    }
    clock.ended = clock.frame >= kShowFrameCount || index == kSceneCount;
    if (index == kSceneCount) index = kSceneCount - 1;
    clock.sceneIndex = index;
    clock.sceneEndFrame = sum;
    clock.localFrame = clock.frame - (sum - scenes.scenes[index].duration);
    return clock;
}

int32_t sceneFirstFrame(int scene, const SceneTable& scenes) {
    int32_t first = 0;
    for (int s = 0; s < scene && s < kSceneCount; ++s) first += scenes.scenes[s].duration;
    return first;
}

void publishDemoClock(const DemoClock& clock) {
    localFrame = clock.localFrame;
    sceneEndFrame = clock.sceneEndFrame;
}
