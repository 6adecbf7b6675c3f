// director_state.h - the director's process-wide tables and frame outputs, and their start-up.
//
// Start-up, in this order (the shell calls these):
//
//     resetDirectorState();               // localFrame = sceneEndFrame = 0, reserves emptyValue
//     ...                                 // meshes, device, shaders, textures
//     allocDirectorTables();              // nodeBlocks, 32 node blocks, valueBlocks, 32 value blocks
//     convertSceneData(sceneTable, embeddedTracks); // graph slots, value arrays, trackTable
//
// Per frame: `evaluateFrame` (show_step.h) publishes the clock, empties the outputs and evaluates
// the scene; the renderer draws from the lists, camera and settings below, then `endFrameOutputs`.
// Every table is reserved from the work arena once and never given back.
#pragma once

#include "director/director_types.h"

//-----------------------------------------------------------------------------
// Tables
//-----------------------------------------------------------------------------

extern int32_t localFrame;    // frame within the current scene, published by the main loop
extern int32_t sceneEndFrame; // first frame after the current scene on the show's timeline

extern GraphNode** nodeBlocks;        // kSceneBlockCount blocks of kSlotsPerScene nodes
extern NodeValue** valueBlocks;       // kSceneBlockCount blocks of kSlotsPerScene values
extern NodeValue* emptyValue;         // what every missing input reads: count 0, no data
extern Track trackTable[kTrackCount]; // the keyframe tracks, copied at start-up

//-----------------------------------------------------------------------------
// Frame outputs (read by the renderer after evaluateScene)
//-----------------------------------------------------------------------------

extern DrawList drawListOpaque;  // drawn first, in list order
extern DrawList drawListBlended; // drawn last, from the last record to the first
extern SpriteList spriteList;    // sorted by key before drawing
extern LineList lineList;        // filled by lineStrip; no pass draws it
extern uint32_t pointFrameCount; // the list of pointFrame; nothing fills or reads it
extern CameraState cameraState;  // kept until a camera operation sets it again
extern FrameSettings frameSettings;

inline constexpr Float4 kDefaultClearColor = {0.11764706f, 0.25490198f, 0.3529412f, 1.0f};
inline constexpr Float4 kDefaultLightDirVS = {1.0f, 1.0f, 1.0f, 0.0f};

//-----------------------------------------------------------------------------
// Start-up
//-----------------------------------------------------------------------------

// Sets localFrame and sceneEndFrame to 0, puts every frame output in its start-up state and reserves
// emptyValue from the work arena.
void resetDirectorState();

// Puts every frame output in its start-up state: empty lists whose slots hand on no previous
// transform, the camera and the frame settings as before the first frame.
void resetFrameOutputs();

// What a fresh start has before its first frame of `scene`, put back: the frame outputs and every
// value of that scene (zero, as converted). A jump in the show (a seek, a loop) starts from here, so
// nothing a later scene left (its light, its camera, its values) reaches the frame drawn.
void restartDirectorState(int32_t scene);

// Reserves nodeBlocks, the 32 node blocks, valueBlocks and the 32 value blocks from the work arena,
// in that order, with every `evaluated` flag clear.
void allocDirectorTables();

// Copies scene s's nodes into nodeBlocks[s] for every scene, gives every slot its zero-filled value
// array of outputCount elements (reserved in scene and slot order), then copies the 64 tracks.
void convertSceneData(const SceneTable& scenes, const Track* tracks);

//-----------------------------------------------------------------------------
// Per frame
//-----------------------------------------------------------------------------

// Before an evaluation: empties both draw lists, the point list and the sprite list and sets the
// transition type and factor to 0.
void beginDirectorFrame();

// The settings before the first frame: clear colour (30, 65, 90)/255, effects off, light (1, 1, 1, 0).
FrameSettings defaultFrameSettings();

// What happens after every frame, drawn or only evaluated: clear colour back to its default, the three
// effect switches off, the line list (when given) emptied. The renderer calls it after present.
void endFrameOutputs(FrameSettings& settings, LineList* lines);

// The renderer hand-off of the process: the aspect ratio and trackTable.
DirectorRenderer directorRenderer(float aspect);
