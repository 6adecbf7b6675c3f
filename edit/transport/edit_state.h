// edit_state.h - the edit mode's transport: where the play head is, whether it plays, the loop, what
// the inspector has selected. A plain record with free functions that step it; no window, no GL, no
// sound, so every move is tested on its own. The edit mode turns keys and clicks into these calls and
// carries out what they ask of the music (a seek, a pause) after each.
//
//     EditState s = editStart(startMs);
//     editStepBeats(s, +1);                 // Right: one beat on
//     if (s.seekPending) { seekMusic(s.positionMs); s.seekPending = false; }
//     ...
//     editFollowMusic(s, musicPositionMs()); // playing, once a refresh: wraps the loop, stops at the end
//     DemoClock clock = demoClockAt(s.positionMs, sceneTable);
//
// The play head is a music position in milliseconds; a seek lands on the first millisecond of the
// frame asked for, so the frame drawn is that frame, as --at starts the player.
#pragma once

#include <cstdint>

#include "director/director_types.h"

inline constexpr int32_t kEditLastFrame = kShowFrameCount - 1;
inline constexpr int32_t kEditEndSecondFrames = 60; // End: the show's last second

struct EditState {
    int32_t positionMs; // the play head
    bool paused;
    bool seekPending;     // the music must move to positionMs (a seek, a loop's wrap, a resume)
    bool pausePending;    // the music must stop (paused) or go on (playing) to match `paused`
    bool looping;         // the play head wraps from loopEnd back to loopStart
    int32_t loopStart;    // first frame of the loop
    int32_t loopEnd;      // first frame after it
    int32_t markIn;       // I: the loop's next start, -1 = none yet
    int32_t markOut;      // O: the loop's next end (exclusive), -1 = none yet
    int32_t selectedSlot; // the inspector's slot in the current scene, -1 = none
    bool panelsHidden;    // F1
    bool marksSwapped;    // the last I/O pair came out before in: the loop runs between them anyway
};

// The music as the transport drives it (musicPositionMs, seekMusic, pauseMusic; a fake in the tests).
struct EditMusic {
    uint32_t (*position)();
    void (*seek)(int32_t positionMs);
    void (*pause)(bool paused);
};

EditState editStart(int32_t startMs);

// The global frame at the play head (0..kEditLastFrame).
int32_t editFrame(const EditState& s);

// Space: pause or play. Playing again resumes the music at the play head.
void editTogglePause(EditState& s);

// Every seek below clamps to the show (frame 0..kEditLastFrame) and asks the music to follow.
void editSeekFrame(EditState& s, int32_t frame);
void editStepFrames(EditState& s, int32_t frames); // Ctrl+Left/Right, or , and . while paused
void editStepBeats(EditState& s, int32_t beats);   // Left/Right (a beat of the module); Shift: bars
void editStepScenes(EditState& s, const SceneTable& scenes, int32_t count); // Page Up/Down
void editSeekStart(EditState& s);                                           // Home
void editSeekEnd(EditState& s);                                             // End: the last second

// L: loop the scene at the play head, or, with a loop set, clear it. I and O set the loop's ends at
// the play head; the loop runs once both are set, between the two frames whichever was set first
// (an out before the in is swapped, and marksSwapped says so).
void editToggleLoop(EditState& s, const SceneTable& scenes);
void editMarkIn(EditState& s);
void editMarkOut(EditState& s);

// A move a transport button asks for, carried out by editMove (the keys call the functions above).
enum class EditMove : uint8_t {
    none,
    toStart,
    sceneBack,
    barBack,
    beatBack,
    frameBack,
    playPause,
    frameOn,
    beatOn,
    barOn,
    sceneOn,
    toEnd,
    loop,
    markIn,
    markOut,
};
void editMove(EditState& s, const SceneTable& scenes, EditMove move);

// Once per refresh: carries out what the transport asked of the music (a seek, a pause, a resume at
// the play head) before anything the music says can override it; then, playing, follows the music.
void editDriveMusic(EditState& s, const EditMusic& music);

// While playing: the play head follows the music; where it crosses the loop's end it wraps to the
// loop's start; past the show's last frame it stops there (paused).
void editFollowMusic(EditState& s, int32_t musicMs);

// The bar and beat (from 1) the play head lies in, counted from the start of the music.
void editBarBeat(const EditState& s, int32_t& bar, int32_t& beat);
