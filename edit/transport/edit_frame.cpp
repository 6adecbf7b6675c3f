// edit_frame.cpp - onward play, a fresh start after a jump, and the same frame presented again.
#include "edit/transport/edit_frame.h"

#include "director/demo_clock.h"
#include "render/frame.h"

EditFrameWork editPrepareFrame(EditFrame& f, const DemoClock& clock, const SceneTable& scenes,
                               RenderDevice& dev) {
    const bool same =
        f.cursor.started && f.cursor.scene == clock.sceneIndex && f.cursor.localFrame == clock.localFrame;
    if (same && !f.stale) return kEditPresentAgain;
    if (f.stale) f.cursor.started = false; // new tables: nothing evaluated before counts
    f.stale = false;
    catchUpAndEvaluateFrame(f.cursor, clock.frame, scenes, dev.aspect);
    if (f.cursor.restarted) forgetPreviousFrame(dev);
    return kEditRender;
}

void editFrameChanged(EditFrame& f) {
    f.stale = true;
}

bool editFrameTooSlow(SlowFrameGuard& g, int32_t scene, double drawMs, double limitMs) {
    const uint32_t bit = scene >= 0 && scene < 32 ? 1u << scene : 0;
    const bool first = (g.drawnScenes & bit) == 0;
    g.drawnScenes |= bit;
    return g.armed && !first && drawMs > limitMs;
}

void editChangeTaken(SlowFrameGuard& g) {
    g.drawnScenes = 0;
    g.armed = true;
}
