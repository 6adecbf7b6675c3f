// edit_panels.h - the edit mode's panels, drawn with Dear ImGui over the window after the frame: the
// transport bar and position, the timeline, the frame's cost per pass, the inspector (node slots of
// the scene at the play head, with a plot of the selected one), the frame's outputs and the tracks the
// scene reads. The panels only show EditState and turn clicks into its functions; they read the
// director's tables as the frame left them.
//
//     EditView view = {};
//     recordEditFrame(view, state);               // after each evaluation: the selected slot's value
//     drawEditPanels(state, view, layout);        // between ImGui::NewFrame and ImGui::Render
#pragma once

#include <SDL.h>
#include <cstdint>

#include "director/director_types.h"
#include "edit/reload/data_reload.h"
#include "edit/reload/live_reload.h"
#include "edit/sync/sync_client.h"
#include "edit/transport/edit_state.h"
#include "render/frame.h"

struct ValueEdits;
struct LengthEdits;
struct LoopCapture;

inline constexpr int kEditHistoryFrames = 300; // the selected slot's plot: the last 5 s at 60 frames a second
inline constexpr int kEditSidePanelWidth = 480;
inline constexpr int kEditBottomPanelHeight = 330;

struct EditLayout {
    int width; // the window
    int height;
    SDL_Rect frame; // where the picture lies
    bool overFrame; // the screen is too small for panels beside the frame: they lie over it
};

struct EditView {
    // The selected slot's first element over the last frames drawn.
    int32_t historyScene;
    int32_t historySlot;
    Float4 history[kEditHistoryFrames];
    int historyCount;
    int historyNext;
    bool showAllElements;
    // The frame rate and the cost of each pass.
    double fps;
    bool gpuTimed;       // timer queries; else glFinish after each pass
    bool timerAvailable; // the driver has timer queries: the panel can switch between the two
    double passMs[kFramePassCount];
    int32_t sceneShown;         // the scene the inspector last showed (a new scene clears the selection)
    const ShaderWatch* shaders; // the live reloads' last outcomes
    const DataWatch* data;
    const SceneSet* scenes; // the scene data playing (the reload replaces it)
    ValueEdits* edits;      // the inspector's changes in place; null: it only shows values
    double drawMs;          // the last frame's evaluation and drawing
    char slowFrame[768];    // a frame that took over kEditSlowFrameMs, and the file saved before it
    // The sync editor, with --sync (else null).
    const SyncClient* syncClient;
    const SyncTracks* syncTracks;
    const SyncSave* syncSave; // the last save, when syncSaves > 0
    uint32_t syncSaves;
    float syncReloadedDifference; // live against the saved tracks once reloaded; -1 = not yet
    // Scene lengths on the timeline and the loop's capture (null: the timeline only shows them).
    LengthEdits* lengths;
    const float* energy; // the music's loudness at each show frame; null = not measured
    LoopCapture* capture;
    const char* buildDir; // where the capture builds the tool and writes the video
};

inline constexpr double kEditSlowFrameMs = 2000; // a frame that takes longer pauses the play head

// The panels beside and below the frame where the screen has room, else over it.
EditLayout editLayoutFor(int screenWidth, int screenHeight);

void recordEditFrame(EditView& view, EditState& state);
void drawEditPanels(EditState& state, EditView& view, const EditLayout& layout);

// A name as the panels show it: "kTrackGiven" less "kTrack" is "Given". `prefix` is stripped when the
// name starts with it; nullptr reads as "?".
const char* shortName(const char* name, const char* prefix);

// The status line's frame rate: played, the frames drawn a second and the last one's time; paused,
// the picture is only presented again, so only the time of the frame shown says anything.
void editFrameRateText(char* text, size_t size, bool paused, double fps, double drawMs);

// A live reload's line: its outcome, the saves taken since the start and, when the last one's time of
// saving is known, how long after it its change was on screen.
void editReloadText(char* text, size_t size, const char* message, uint32_t reloads, const SaveClock& clock);
