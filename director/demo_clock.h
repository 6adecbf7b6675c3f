// demo_clock.h - the show's position, computed afresh every frame from the music position.
//
//     DemoClock clock = demoClockAt(musicPositionMs(), sceneTable);
//     if (clock.ended) quit();           // frame 7832 or later: nothing more is drawn
//     publishDemoClock(clock);           // localFrame and sceneEndFrame for the director
//
// Pure: nothing accumulates between frames, so a slow frame rate skips frames and never slows the show.
#pragma once

#include "director/director_types.h"

struct DemoClock {
    int32_t frame;         // 60 Hz frame index: milliseconds * 100 / 1666, truncated
    int32_t sceneIndex;    // the scene that contains frame
    int32_t sceneEndFrame; // first frame after the current scene
    int32_t localFrame;    // frame minus the first frame of the current scene
    bool ended;            // frame reached kShowFrameCount: the show is over
};

// The frame index for a music position in milliseconds.
int32_t demoFrameAt(int32_t positionMs);

// The clock for a music position: the scene is the first whose cumulative end lies beyond the frame.
DemoClock demoClockAt(int32_t positionMs, const SceneTable& scenes);

// The same for a frame index (the tool and the capture step through frames, not milliseconds).
DemoClock demoClockAtFrame(int32_t frame, const SceneTable& scenes);

// The first frame of scene `scene` on the show's timeline (the sum of the durations before it).
int32_t sceneFirstFrame(int scene, const SceneTable& scenes);

// The music position in milliseconds at which `frame` begins: the smallest position whose frame is it.
int32_t demoPositionOfFrame(int32_t frame);

// Publishes localFrame and sceneEndFrame for the director.
void publishDemoClock(const DemoClock& clock);
