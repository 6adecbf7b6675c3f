// clock_test.cpp - frame index, scene search and local frame from the music position.
#include <gtest/gtest.h>

#include "data/scene_data.h"
#include "director/demo_clock.h"
#include "director/director_state.h"

TEST(DemoClock, FrameFromMilliseconds) {
    EXPECT_EQ(demoFrameAt(0), 0);
    EXPECT_EQ(demoFrameAt(16), 0);
    EXPECT_EQ(demoFrameAt(17), 1);
    EXPECT_EQ(demoFrameAt(14994), 900);
    EXPECT_EQ(demoFrameAt(130481), 7831);
    EXPECT_EQ(demoFrameAt(130482), 7832);
    EXPECT_EQ(demoFrameAt(INT32_MAX), 128900579); // no 32-bit overflow in the multiply
}

// Milliseconds whose frame is exactly f (the smallest such position).
static int32_t positionOfFrame(int32_t f) {
    return (f * 1666 + 99) / 100;
}

// Each scene's first frame, from the lengths in the show's table; starts[kSceneCount] ends the show.
static void sceneStartsOf(const SceneTable& table, int32_t starts[kSceneCount + 1]) {
    starts[0] = 0;
    for (int s = 0; s < kSceneCount; ++s) starts[s + 1] = starts[s] + table.scenes[s].duration;
}

TEST(DemoClock, ScenesOfTheShow) {
    int32_t starts[kSceneCount + 1];
    sceneStartsOf(sceneTable, starts);
    EXPECT_EQ(starts[kSceneCount], kShowFrameCount);
    EXPECT_EQ(kShowFrameCount, 7832); // the music's length: frame 7832 starts at 130482 ms

    DemoClock c = demoClockAt(0, sceneTable);
    EXPECT_EQ(c.frame, 0);
    EXPECT_EQ(c.sceneIndex, 0);
    EXPECT_EQ(c.localFrame, 0);
    EXPECT_EQ(c.sceneEndFrame, starts[1]);
    EXPECT_FALSE(c.ended);

    c = demoClockAt(130481, sceneTable); // the last frame drawn
    EXPECT_EQ(c.frame, 7831);
    EXPECT_EQ(c.sceneIndex, kSceneCount - 1);
    EXPECT_EQ(c.localFrame, 7831 - starts[kSceneCount - 1]);
    EXPECT_EQ(c.sceneEndFrame, 7832);
    EXPECT_FALSE(c.ended);

    c = demoClockAt(130482, sceneTable);
    EXPECT_EQ(c.frame, 7832);
    EXPECT_TRUE(c.ended);
    EXPECT_TRUE(demoClockAt(INT32_MAX, sceneTable).ended);
}

TEST(DemoClock, SceneBoundaries) {
    int32_t starts[kSceneCount + 1];
    sceneStartsOf(sceneTable, starts);
    for (int s = 0; s < kSceneCount; ++s) {
        DemoClock first = demoClockAt(positionOfFrame(starts[s]), sceneTable);
        ASSERT_EQ(first.frame, starts[s]);
        EXPECT_EQ(first.sceneIndex, s);
        EXPECT_EQ(first.localFrame, 0);
        EXPECT_EQ(first.sceneEndFrame, starts[s + 1]);
        DemoClock last = demoClockAt(positionOfFrame(starts[s + 1] - 1), sceneTable);
        ASSERT_EQ(last.frame, starts[s + 1] - 1);
        EXPECT_EQ(last.sceneIndex, s);
        EXPECT_EQ(last.localFrame, starts[s + 1] - 1 - starts[s]);
    }
    // What the clock publishes for the director: scene 2's first frame.
    const DemoClock c = demoClockAt(positionOfFrame(starts[2]), sceneTable);
    publishDemoClock(c);
    EXPECT_EQ(localFrame, 0);
    EXPECT_EQ(sceneEndFrame, starts[3]);
}
