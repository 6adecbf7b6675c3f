// edit_frame.h - which frame the edit mode evaluates before drawing, and from what, so that every frame
// it draws is the one the show draws there: played onward, a frame goes on from the frames before it,
// as the player plays; after any other move (a seek, a loop's wrap, new scene data) its scene starts
// afresh and the renderer forgets the frame before, as a fresh start at that frame (qz001-tool render)
// has it. Nothing a later scene left (its light, its camera, its values) reaches the picture.
//
//     EditFrame f = {};
//     if (editPrepareFrame(f, clock, app.scenes.scenes, dev) == kEditRender) renderFrame(dev, in);
//     else present(dev);                     // the same frame, nothing changed: the same picture
//     editFrameChanged(f);                   // new data or shaders: the next frame is evaluated anew
//
//     SlowFrameGuard guard = {};             // which frames the 2-second guard may judge
//     if (editFrameTooSlow(guard, clock.sceneIndex, drawMs, kEditSlowFrameMs)) stopThePlayHead();
//     editChangeTaken(guard);                // shaders or data reloaded: judged from each scene's second
//     frame
#pragma once

#include "director/show_step.h"
#include "render/device.h"

struct EditFrame {
    ShowCursor cursor; // the frame last evaluated
    bool stale;        // the data or the shaders changed since: evaluate and draw again
};

enum EditFrameWork {
    kEditRender,       // the frame's outputs are evaluated: render them
    kEditPresentAgain, // the frame last drawn, unchanged: present the same picture again
};

EditFrameWork editPrepareFrame(EditFrame& f, const DemoClock& clock, const SceneTable& scenes,
                               RenderDevice& dev);

// The scene data or the shaders changed: the frame at the play head is evaluated afresh and drawn.
void editFrameChanged(EditFrame& f);

// The guard is for a frame slowed by a change the maker saved: it judges frames only once a change
// was taken (a reload, or at start the tree's files where they differ from what was built), and a
// scene's first frame drawn with the programs in use not at all, as that frame also pays for the
// driver's code generation (at start, at the first visit of each scene, after a reload: seconds on a
// loaded machine with a software renderer).
struct SlowFrameGuard {
    uint32_t drawnScenes; // bit s: scene s was drawn with the programs in use
    bool armed;           // a saved change was taken
};

// After a frame of `scene` was drawn in `drawMs`: true when it took over `limitMs`, the guard is
// armed and the frame is not the scene's first with the programs in use.
bool editFrameTooSlow(SlowFrameGuard& g, int32_t scene, double drawMs, double limitMs);

// A saved change was taken (shaders or scene data, or the tree's at start): each scene's next frame
// is a first one again, and the frames after it are judged.
void editChangeTaken(SlowFrameGuard& g);
