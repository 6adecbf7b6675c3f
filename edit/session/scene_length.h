// scene_length.h - a scene's length changed in the edit mode, snapped to the music's bars: the running
// clock takes it at once, the `SceneEntry` literal at the end of the scene's file is written back (only
// that literal changes) and the change joins the value edits' undo list. The show's end stays where it
// is: what one scene gains the last scene gives. "Keep later scenes in place" then takes the difference
// from the scene after the one changed instead, so every later scene starts where it did. No window: the
// timeline and the tests call these.
//
//     static LengthEdits lengths;
//     startLengthEdits(lengths, scenes.scenes);            // with startEditSession
//     editSceneLength(edits, lengths, scenes, 3, 230);    // scene 3 is now 230 frames (edits.message: how)
//     if (sceneShift(lengths, edits.table, 5)) ...         // scene 5 starts elsewhere than it did: mark it
//     keepLaterScenesInPlace(edits, lengths, scenes);     // the next scene absorbs the change
//     takeEditedLengths(edits, playing);                  // before each clock: the lengths as edited
#pragma once

#include <cstddef>
#include <cstdint>

#include "edit/session/value_edit.h"

inline constexpr int32_t kSceneLengthSlot = -1; // a history step's slot when it changed a scene's length
inline constexpr int kLastScene = kSceneCount - 1;

struct LengthEdits {
    int32_t startsBefore[kSceneCount + 1]; // each scene's first frame when the edit mode started
    int32_t lastScene;                     // the scene whose length changed last; -1 = none yet
};

// The frame bar `bar` starts on (bar 0 at the show's start), to the nearest frame.
int32_t barFrame(int32_t bar);
// The bar line nearest to `frame`.
int32_t snapToBar(int32_t frame);
// Each scene's first frame; starts[kSceneCount] is the end of the last.
void sceneStarts(const SceneTable& table, int32_t starts[kSceneCount + 1]);

// The file of scene `scene` in `folder` (data/scene_NN_*.cpp): its name into `name`.
bool findSceneFile(const char* folder, int scene, char* name, size_t size, char* error, size_t errorSize);

void startLengthEdits(LengthEdits& l, const SceneTable& table);

// Scene `scene` (not the last) becomes `frames` long; the last scene gives or takes the difference so
// the show still ends on its last frame. Refused, changing nothing, when a length would leave
// 1..kShowFrameCount or a literal cannot be written (computed, not found). False when nothing changed.
bool editSceneLength(EditSession& e, LengthEdits& l, const SceneSet& scenes, int scene, int32_t frames);

// After editSceneLength: the scene after the changed one takes the difference instead of the last, so
// the scenes after it start where they did before. False when there is nothing to keep or it cannot be.
bool keepLaterScenesInPlace(EditSession& e, LengthEdits& l, const SceneSet& scenes);

// How many frames later (negative: earlier) scene `scene` starts now than when the edit mode started.
int32_t sceneShift(const LengthEdits& l, const SceneTable& table, int scene);
// The shift keepLaterScenesInPlace would take back: that of the scene two after the one changed last.
int32_t laterScenesShift(const LengthEdits& l, const SceneTable& table);

// The scenes whose start moved, in runs of the same shift: "scenes 5..10 start +232 frames off where
// they started", "scene 5 starts +232 frames off where it started, scenes 6..10 +0"... Empty when none.
void describeSceneShifts(const LengthEdits& l, const SceneTable& table, char* out, size_t size);

// The playing scene set takes the lengths as edited (after an edit, an undo, a rebuild).
void takeEditedLengths(const EditSession& e, SceneSet& playing);
