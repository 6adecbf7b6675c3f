// edit_state.cpp - the transport's moves, in music milliseconds and show frames.
#include "edit/transport/edit_state.h"

#include <cmath>

#include "data/scene_build.h"
#include "director/demo_clock.h"

namespace {

// The module's beat as the scenes' kick clocks count it, in milliseconds (28.8 frames).
constexpr double kBeatMs = kBeatFrames * kFramePeriodCentiMs / 100.0;
// A step of one beat, whole milliseconds (480: four rows of 120 ms), the same every step so that steps
// there and back meet.
constexpr int32_t kBeatStepMs = (int32_t)(kBeatMs + 0.5);

int32_t clampFrame(int32_t frame) {
    return frame < 0 ? 0 : frame > kEditLastFrame ? kEditLastFrame : frame;
}

void moveTo(EditState& s, int32_t positionMs) {
    const int32_t last = demoPositionOfFrame(kEditLastFrame);
    s.positionMs = positionMs < 0 ? 0 : positionMs > last ? last : positionMs;
    s.seekPending = true;
}

} // namespace

EditState editStart(int32_t startMs) {
    EditState s = {};
    s.positionMs = startMs;
    s.seekPending = true; // the music starts exactly at the play head
    s.markIn = s.markOut = -1;
    s.selectedSlot = -1;
    return s;
}

int32_t editFrame(const EditState& s) {
    return clampFrame(demoFrameAt(s.positionMs));
}

void editTogglePause(EditState& s) {
    s.paused = !s.paused;
    s.pausePending = true;
    if (!s.paused) s.seekPending = true; // the music resumes where the play head stands
}

void editSeekFrame(EditState& s, int32_t frame) {
    moveTo(s, demoPositionOfFrame(clampFrame(frame)));
}

void editStepFrames(EditState& s, int32_t frames) {
    // Whole frames from the frame shown, so a step never lands inside the same frame.
    const int64_t target = (int64_t)editFrame(s) + frames;
    editSeekFrame(s, target < 0 ? 0 : target > kEditLastFrame ? kEditLastFrame : (int32_t)target);
}

void editStepBeats(EditState& s, int32_t beats) {
    moveTo(s, s.positionMs + beats * kBeatStepMs);
}

void editStepScenes(EditState& s, const SceneTable& scenes, int32_t count) {
    int32_t scene = demoClockAtFrame(editFrame(s), scenes).sceneIndex + count;
    scene = scene < 0 ? 0 : scene >= kSceneCount ? kSceneCount - 1 : scene;
    editSeekFrame(s, sceneFirstFrame(scene, scenes));
}

void editSeekStart(EditState& s) {
    editSeekFrame(s, 0);
}

void editSeekEnd(EditState& s) {
    editSeekFrame(s, kShowFrameCount - kEditEndSecondFrames);
}

void editToggleLoop(EditState& s, const SceneTable& scenes) {
    if (s.looping) {
        s.looping = false;
        s.markIn = s.markOut = -1;
        return;
    }
    const DemoClock clock = demoClockAtFrame(editFrame(s), scenes);
    s.loopStart = clock.frame - clock.localFrame;
    s.loopEnd = clock.sceneEndFrame;
    s.looping = true;
}

// A loop from I to O once both are set; an O before the I makes the loop from O to I.
static void loopMarks(EditState& s) {
    if (s.markIn < 0 || s.markOut < 0) return;
    s.marksSwapped = s.markOut <= s.markIn;
    s.loopStart = s.marksSwapped ? s.markOut - 1 : s.markIn;
    s.loopEnd = s.marksSwapped ? s.markIn + 1 : s.markOut;
    s.looping = true;
}

void editMarkIn(EditState& s) {
    s.markIn = editFrame(s);
    loopMarks(s);
}

void editMarkOut(EditState& s) {
    s.markOut = editFrame(s) + 1; // the frame shown is the loop's last
    loopMarks(s);
}

void editDriveMusic(EditState& s, const EditMusic& music) {
    // A move asked for since the last refresh wins over the music's clock, which knows nothing of it.
    if (!s.paused && !s.seekPending) editFollowMusic(s, (int32_t)music.position());
    if (s.seekPending) music.seek(s.positionMs);
    if (s.pausePending) music.pause(s.paused);
    s.seekPending = s.pausePending = false;
}

void editFollowMusic(EditState& s, int32_t musicMs) {
    if (s.paused) return;
    const int32_t before = editFrame(s);
    s.positionMs = musicMs;
    const int32_t frame = demoFrameAt(musicMs);
    if (s.looping && before < s.loopEnd && frame >= s.loopEnd) {
        editSeekFrame(s, s.loopStart);
    } else if (frame > kEditLastFrame) {
        editSeekFrame(s, kEditLastFrame);
        s.paused = true;
        s.pausePending = true;
    }
}

void editBarBeat(const EditState& s, int32_t& bar, int32_t& beat) {
    const int64_t beats = (int64_t)std::floor(s.positionMs / kBeatMs);
    bar = (int32_t)(beats / 4) + 1;
    beat = (int32_t)(beats % 4) + 1;
}

void editMove(EditState& s, const SceneTable& scenes, EditMove move) {
    switch (move) {
    case EditMove::none:
        break;
    case EditMove::toStart:
        return editSeekStart(s);
    case EditMove::sceneBack:
        return editStepScenes(s, scenes, -1);
    case EditMove::barBack:
        return editStepBeats(s, -4);
    case EditMove::beatBack:
        return editStepBeats(s, -1);
    case EditMove::frameBack:
        return editStepFrames(s, -1);
    case EditMove::playPause:
        return editTogglePause(s);
    case EditMove::frameOn:
        return editStepFrames(s, 1);
    case EditMove::beatOn:
        return editStepBeats(s, 1);
    case EditMove::barOn:
        return editStepBeats(s, 4);
    case EditMove::sceneOn:
        return editStepScenes(s, scenes, 1);
    case EditMove::toEnd:
        return editSeekEnd(s);
    case EditMove::loop:
        return editToggleLoop(s, scenes);
    case EditMove::markIn:
        return editMarkIn(s);
    case EditMove::markOut:
        return editMarkOut(s);
    }
}
