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
