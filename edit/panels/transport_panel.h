// transport_panel.h - the transport window's lines (Dear ImGui): the buttons that move the play head,
// where it is (time, frame, scene, the module's order and row, bar and beat, the frame rate), the cost
// of each pass, the sync editor's state and the live reloads' outcomes. Each line draws what it is
// given and returns what the maker asked for; the owner carries it out.
//
//     editMove(state, scenes.scenes, transportBar(state));
//     positionLine(state, scenes, FrameRate{fps, drawMs});
//     if (passCosts(costs)) costs.gpuTimed = !costs.gpuTimed;
#pragma once

#include <cstddef>
#include <cstdint>

#include "edit/reload/data_reload.h"
#include "edit/reload/live_reload.h"
#include "edit/session/scene_set.h"
#include "edit/sync/edit_sync.h"
#include "edit/transport/edit_state.h"
#include "render/frame.h"

struct FrameRate {
    double fps;    // frames drawn a second, playing
    double drawMs; // the last frame's evaluation and drawing; 0: none yet
};

// The cost of each pass of the last frame measured.
struct PassCosts {
    bool gpuTimed;       // timer queries; else glFinish after each pass
    bool timerAvailable; // the driver has timer queries: the panel can switch between the two
    double passMs[kFramePassCount];
};

// What the live reloads and the slow-frame guard last said.
struct ReloadLines {
    const ShaderWatch* shaders;
    const DataWatch* data;
    const char* slowFrame; // a frame that took too long, and the file saved before it; "" for none
};

EditMove transportBar(const EditState& state);
void positionLine(const EditState& state, const SceneSet& scenes, FrameRate rate);
bool passCosts(const PassCosts& costs); // true: the maker switched how the passes are measured
void syncLines(const EditSync& sync);   // nothing without a sync editor
void reloadLines(const ReloadLines& lines);

// The status line's frame rate: played, the frames drawn a second and the last one's time; paused,
// the picture is only presented again, so only the time of the frame shown says anything.
void editFrameRateText(char* text, size_t size, bool paused, double fps, double drawMs);

// A live reload's line: its outcome, the saves taken since the start and, when the last one's time of
// saving is known, how long after it its change was on screen.
void editReloadText(char* text, size_t size, const char* message, uint32_t reloads, const SaveClock& clock);
