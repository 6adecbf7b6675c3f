// timeline_panel.h - the show's timeline (Dear ImGui): the scenes end to end with the music's loudness,
// bars and beats and the module's orders under them, the loop and the play head; a click or a drag on
// it seeks; a scene's end dragged changes its length. Under it: the scenes whose start moved, "keep
// later scenes in place" and the loop's capture. It draws what it is given and returns what the maker
// asked for; the owner carries it out.
//
//     const TimelineAsk ask = drawTimeline(TimelineInput{&scenes, &state, energy, &lengths, &edits,
//                                                        &capture, &timelineState});
//     if (ask.seek) editSeekFrame(state, ask.frame);
#pragma once

#include <cstdint>

#include "edit/capture/loop_capture.h"
#include "edit/session/scene_length.h"
#include "edit/session/scene_set.h"
#include "edit/session/value_edit.h"
#include "edit/transport/edit_state.h"

// What the timeline keeps from frame to frame.
struct TimelineState {
    bool dragging;   // a scene's end is being dragged
    int32_t scene;   // whose end
    int32_t end;     // the frame it would end at
    char said[2048]; // what the last length change said
};

struct TimelineInput {
    const SceneSet* scenes;
    const EditState* state;
    const float* energy;        // the music's loudness at each show frame; null: not measured
    const LengthEdits* lengths; // null: the lengths are only shown
    const EditSession* edits;   // the session the length edits go through
    const LoopCapture* capture; // null: no capture button
    TimelineState* own;
};

// Each ask is off unless the maker asked for it this frame.
struct TimelineAsk {
    bool seek; // to `frame`
    int32_t frame;
    bool length; // scene `scene` to `frames` long
    int32_t scene;
    int32_t frames;
    bool keepLaterScenes;
    bool captureLoop;
};

TimelineAsk drawTimeline(const TimelineInput& in);
