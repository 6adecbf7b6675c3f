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

TEST(DemoClock, ScenesOfTheShow) {
    int32_t total = 0;
    for (const SceneEntry& s : sceneTable.scenes) total += s.duration;
    EXPECT_EQ(total, kShowFrameCount);

    DemoClock c = demoClockAt(0, sceneTable);
    EXPECT_EQ(c.frame, 0);
    EXPECT_EQ(c.sceneIndex, 0);
    EXPECT_EQ(c.localFrame, 0);
    EXPECT_EQ(c.sceneEndFrame, 900);
    EXPECT_FALSE(c.ended);

    c = demoClockAt(14994, sceneTable); // frame 900: first frame of scene 1
    EXPECT_EQ(c.sceneIndex, 1);
    EXPECT_EQ(c.localFrame, 0);
    EXPECT_EQ(c.sceneEndFrame, 1140);

    c = demoClockAt(130481, sceneTable); // the last frame drawn
    EXPECT_EQ(c.frame, 7831);
    EXPECT_EQ(c.sceneIndex, 10);
    EXPECT_EQ(c.localFrame, 921);
    EXPECT_EQ(c.sceneEndFrame, 7832);
    EXPECT_FALSE(c.ended);

    c = demoClockAt(130482, sceneTable);
    EXPECT_EQ(c.frame, 7832);
    EXPECT_TRUE(c.ended);
    EXPECT_TRUE(demoClockAt(INT32_MAX, sceneTable).ended);
}

// Milliseconds whose frame is exactly f (the smallest such position).
static int32_t positionOfFrame(int32_t f) {
    return (f * 1666 + 99) / 100;
}

TEST(DemoClock, SceneBoundaries) {
    const int32_t starts[kSceneCount + 1] = {0,    900,  1140, 1200, 1380, 2302,
                                             3224, 4146, 5068, 5990, 6910, 7832};
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
    DemoClock c = demoClockAt(positionOfFrame(899), sceneTable);
    EXPECT_EQ(c.sceneIndex, 0);
    EXPECT_EQ(c.localFrame, 899);
    EXPECT_EQ(c.sceneEndFrame, 900);
    c = demoClockAt(positionOfFrame(1140), sceneTable);
    EXPECT_EQ(c.sceneIndex, 2);
    EXPECT_EQ(c.localFrame, 0);
    EXPECT_EQ(c.sceneEndFrame, 1200);

    publishDemoClock(c);
    EXPECT_EQ(localFrame, 0);
    EXPECT_EQ(sceneEndFrame, 1200);
}

// Where the tool, the command line and the capture start a scene, and the first millisecond of a frame.
TEST(DemoClock, SceneStartsAndFramePositionsRoundTrip) {
    EXPECT_EQ(sceneFirstFrame(0, sceneTable), 0);
    EXPECT_EQ(sceneFirstFrame(2, sceneTable), 1140);
    EXPECT_EQ(sceneFirstFrame(10, sceneTable), 6910);
    EXPECT_EQ(sceneFirstFrame(11, sceneTable), kShowFrameCount);
    for (int32_t frame = 0; frame <= kShowFrameCount; ++frame) {
        const int32_t ms = demoPositionOfFrame(frame);
        ASSERT_EQ(demoFrameAt(ms), frame) << frame;                   // the position is in the frame
        ASSERT_EQ(demoFrameAt(ms - 1), frame - (frame > 0)) << frame; // and is its first millisecond
        const DemoClock c = demoClockAtFrame(frame, sceneTable);
        if (frame < kShowFrameCount) {
            ASSERT_EQ(sceneFirstFrame(c.sceneIndex, sceneTable) + c.localFrame, frame);
        }
    }
}
