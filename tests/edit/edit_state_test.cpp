// edit_state_test.cpp - the edit mode's transport without a window: every seek lands on the frame the
// show's own clock gives for the new position, the loop holds the play head over a simulated music
// clock, pause and resume keep the music and the play head together.
#include <gtest/gtest.h>

#include <cstring>

#include "data/scene_data.h"
#include "director/demo_clock.h"
#include "edit/panels/edit_panels.h"
#include "edit/panels/transport_panel.h"
#include "edit/transport/edit_frame.h"
#include "edit/transport/edit_state.h"

namespace {

// The frame the player draws at the play head (the show's own clock, not the edit mode's helper).
int32_t shownFrame(const EditState& s) {
    return demoClockAt(s.positionMs, sceneTable).frame;
}

// Plays `ms` of music in refreshes of `stepMs`, the music following every seek as the edit mode does.
void play(EditState& s, int32_t ms, int32_t stepMs, int32_t& lowest, int32_t& highest) {
    int32_t music = s.positionMs;
    for (int32_t t = 0; t < ms; t += stepMs) {
        music += stepMs;
        editFollowMusic(s, music);
        if (s.seekPending) {
            music = s.positionMs;
            s.seekPending = false;
        }
        lowest = std::min(lowest, shownFrame(s));
        highest = std::max(highest, shownFrame(s));
    }
}

} // namespace

TEST(EditState, EverySeekLandsOnTheFrameAskedForAndStaysInTheShow) {
    EditState s = editStart(0);
    for (int32_t f = 0; f < kShowFrameCount; f += 7) {
        editSeekFrame(s, f);
        ASSERT_EQ(shownFrame(s), f);
        ASSERT_TRUE(s.seekPending);
    }
    editSeekFrame(s, -5);
    EXPECT_EQ(shownFrame(s), 0);
    editSeekFrame(s, kShowFrameCount + 100);
    EXPECT_EQ(shownFrame(s), kShowFrameCount - 1);
    EXPECT_FALSE(demoClockAt(s.positionMs, sceneTable).ended);

    // Frames: one at a time, both ways, held at both ends.
    editSeekFrame(s, 1000);
    editStepFrames(s, 1);
    EXPECT_EQ(shownFrame(s), 1001);
    editStepFrames(s, -2);
    EXPECT_EQ(shownFrame(s), 999);
    editSeekStart(s);
    editStepFrames(s, -1);
    EXPECT_EQ(shownFrame(s), 0);
    editSeekEnd(s);
    EXPECT_EQ(shownFrame(s), kShowFrameCount - 60); // the last second
    editStepFrames(s, 1000);
    EXPECT_EQ(shownFrame(s), kShowFrameCount - 1);
}

TEST(EditState, BeatsAndBarsFollowTheModulesBeat) {
    // A beat is four rows of the module (speed 6 at 125 bpm: 480 ms), 28.8 frames of the scenes' kick clocks.
    EditState s = editStart(0);
    editSeekFrame(s, 2000);
    const int32_t start = s.positionMs;
    editStepBeats(s, 1);
    EXPECT_NEAR(s.positionMs - start, 480, 1);
    editStepBeats(s, 4); // Shift+Right: a bar
    EXPECT_NEAR(s.positionMs - start, 5 * 480, 1);
    for (int i = 0; i < 20; ++i) editStepBeats(s, -1);
    for (int i = 0; i < 15; ++i) editStepBeats(s, 1);
    EXPECT_EQ(s.positionMs, start); // no drift there and back
    int32_t bar = 0, beat = 0;
    editSeekFrame(s, 0);
    editBarBeat(s, bar, beat);
    EXPECT_EQ(bar * 10 + beat, 11);
    editStepBeats(s, 6);
    editBarBeat(s, bar, beat);
    EXPECT_EQ(bar * 10 + beat, 23);
    editStepBeats(s, -100);
    EXPECT_EQ(s.positionMs, 0);
}

TEST(EditState, ScenesStepToTheirFirstFrames) {
    EditState s = editStart(0);
    for (int scene = 1; scene < kSceneCount; ++scene) {
        editStepScenes(s, sceneTable, 1);
        EXPECT_EQ(shownFrame(s), sceneFirstFrame(scene, sceneTable));
        EXPECT_EQ(demoClockAt(s.positionMs, sceneTable).localFrame, 0);
    }
    editStepScenes(s, sceneTable, 1); // no scene after the last
    EXPECT_EQ(shownFrame(s), sceneFirstFrame(kSceneCount - 1, sceneTable));
    editStepFrames(s, 50);
    editStepScenes(s, sceneTable, -1);
    EXPECT_EQ(shownFrame(s), sceneFirstFrame(kSceneCount - 2, sceneTable));
}

TEST(EditState, LoopsHoldThePlayHeadAndClearAgain) {
    // L loops scene 2 (60 frames): over three of its lengths the play head never leaves it.
    EditState s = editStart(0);
    editSeekFrame(s, sceneFirstFrame(2, sceneTable) + 10);
    editToggleLoop(s, sceneTable);
    const int32_t first = sceneFirstFrame(2, sceneTable), end = sceneFirstFrame(3, sceneTable);
    int32_t lowest = INT32_MAX, highest = 0;
    play(s, 3 * 1000, 16, lowest, highest);
    EXPECT_EQ(lowest, first);
    EXPECT_EQ(highest, end - 1);

    // L again clears it: the play head runs on into scene 3.
    editToggleLoop(s, sceneTable);
    play(s, 2000, 16, lowest, highest);
    EXPECT_GE(highest, end + 60);

    // I and O: a loop between two marks, the out frame included; an out set before the in is
    // swapped (and said), not dropped.
    editSeekFrame(s, 5000);
    editMarkOut(s);
    editSeekFrame(s, 5100);
    editMarkIn(s);
    ASSERT_TRUE(s.looping && s.marksSwapped);
    lowest = INT32_MAX, highest = 0;
    play(s, 3000, 10, lowest, highest);
    EXPECT_EQ(lowest, 5000);
    EXPECT_EQ(highest, 5100);
    editSeekFrame(s, 5150);
    editMarkOut(s);
    ASSERT_TRUE(s.looping && !s.marksSwapped);
    lowest = INT32_MAX, highest = 0;
    play(s, 3000, 10, lowest, highest);
    EXPECT_EQ(lowest, 5100);
    EXPECT_EQ(highest, 5150);
}

namespace {

// A music clock that runs on the wall clock while playing, as the dummy driver's does, and knows
// only what it was told: it is not told about the transport's moves until they are carried out.
struct WallMusic {
    int64_t wallMs, startWall;
    int32_t startMs;
    bool paused;
} wall;
uint32_t wallPosition() {
    return (uint32_t)(wall.startMs + (wall.wallMs - wall.startWall));
}
void wallSeek(int32_t ms) {
    wall.startMs = ms;
    wall.startWall = wall.wallMs;
}
void wallPause(bool paused) {
    wall.paused = paused;
}

} // namespace

TEST(EditState, SeeksWhilePlayingAndPausesHoldAgainstTheMusicsClock) {
    const EditMusic music = {wallPosition, wallSeek, wallPause};
    wall = WallMusic{};
    EditState s = editStart(demoPositionOfFrame(600));
    auto refresh = [&](int32_t ms) {
        wall.wallMs += ms;
        editDriveMusic(s, music);
    };
    refresh(0);
    refresh(1000);
    EXPECT_NEAR(shownFrame(s), 660, 1);
    // Every move while playing lands, and play goes on from there.
    void (*moves[])(EditState&) = {editSeekEnd, editSeekStart};
    for (auto move : moves) {
        move(s);
        const int32_t asked = shownFrame(s);
        refresh(16);
        EXPECT_EQ(shownFrame(s), asked);
        refresh(500);
        EXPECT_NEAR(shownFrame(s), asked + 30, 1);
    }
    editStepScenes(s, sceneTable, 3);
    refresh(16);
    EXPECT_EQ(shownFrame(s), sceneFirstFrame(3, sceneTable));
    // Paused for a minute while the wall clock runs on: play resumes where it stood.
    editTogglePause(s);
    refresh(16);
    const int32_t held = shownFrame(s);
    for (int i = 0; i < 60; ++i) refresh(1000);
    EXPECT_EQ(shownFrame(s), held);
    editTogglePause(s);
    refresh(16);
    EXPECT_FALSE(wall.paused);
    EXPECT_LE(shownFrame(s), held + 1);
}

TEST(EditState, PauseHoldsThePlayHeadAndPlayResumesTheMusicThere) {
    EditState s = editStart(demoPositionOfFrame(3000));
    editFollowMusic(s, s.positionMs + 500);
    const int32_t held = s.positionMs;
    editTogglePause(s);
    EXPECT_TRUE(s.paused && s.pausePending);
    editFollowMusic(s, held + 5000); // the music clock says nothing while paused
    EXPECT_EQ(s.positionMs, held);
    s.seekPending = s.pausePending = false;
    editTogglePause(s);
    EXPECT_FALSE(s.paused);
    EXPECT_TRUE(s.seekPending && s.pausePending);
    EXPECT_EQ(s.positionMs, held); // the music resumes from the same position

    // Playing through the show's end stops on its last frame, paused.
    editSeekEnd(s);
    s.seekPending = false;
    editFollowMusic(s, demoPositionOfFrame(kShowFrameCount) + 5);
    EXPECT_TRUE(s.paused);
    EXPECT_EQ(shownFrame(s), kShowFrameCount - 1);
}

// The 2-second guard judges a frame only once a saved change was taken, and then not a scene's first
// frame with the programs in use (the driver's code generation at start, at a scene's first visit,
// after a reload); the status line's numbers are shown only with what they are: paused, no
// presenting rate beside the last frame's time; no latency before a save was taken or when its time
// of saving is not known.
TEST(EditStatus, TheSlowFrameGuardAndTheStatusLinesSayOnlyWhatTheirNumbersMean) {
    SlowFrameGuard guard = {};
    EXPECT_FALSE(editFrameTooSlow(guard, 4, 2400, kEditSlowFrameMs)) << "start-up's first frame";
    EXPECT_FALSE(editFrameTooSlow(guard, 4, 3400, kEditSlowFrameMs)) << "a loaded machine, nothing saved";
    editChangeTaken(guard);
    EXPECT_FALSE(editFrameTooSlow(guard, 4, 5000, kEditSlowFrameMs)) << "the first frame after a reload";
    EXPECT_FALSE(editFrameTooSlow(guard, 4, 300, kEditSlowFrameMs));
    EXPECT_TRUE(editFrameTooSlow(guard, 4, 2400, kEditSlowFrameMs)) << "a saved change that is slow";
    EXPECT_FALSE(editFrameTooSlow(guard, 5, 2400, kEditSlowFrameMs)) << "scene 5's first frame";
    EXPECT_TRUE(editFrameTooSlow(guard, 5, 2001, kEditSlowFrameMs));
    editChangeTaken(guard);
    EXPECT_FALSE(editFrameTooSlow(guard, 5, 5000, kEditSlowFrameMs)) << "the first frame after another";

    char text[256];
    editFrameRateText(text, sizeof text, true, 19.8, 359);
    EXPECT_EQ(std::strstr(text, "fps"), nullptr) << text;
    EXPECT_NE(std::strstr(text, "paused (the frame shown took 359 ms to draw)"), nullptr) << text;
    editFrameRateText(text, sizeof text, false, 19.8, 52);
    EXPECT_NE(std::strstr(text, "playing at 19.8 fps (the last frame took 52 ms to draw)"), nullptr) << text;

    SaveClock clock = {};
    editReloadText(text, sizeof text, "as built", 0, clock);
    EXPECT_STREQ(text, "as built (no save taken since the start)");
    clock.latencyMs = 219001486039.0; // a file's time years old
    editReloadText(text, sizeof text, "swapped in", 1, clock);
    EXPECT_EQ(std::strstr(text, "219001486039"), nullptr) << text;
    EXPECT_NE(std::strstr(text, "not known"), nullptr) << text;
    clock.latencyKnown = true;
    clock.latencyMs = 412;
    editReloadText(text, sizeof text, "swapped in", 2, clock);
    EXPECT_STREQ(text, "swapped in (2 saves taken; the last on screen 412 ms after its save)");
}
