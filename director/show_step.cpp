// show_step.cpp - publish, reset, evaluate; and the catch-up evaluation of a scene's earlier frames.
#include "director/show_step.h"

#include "base/arena.h"
#include "director/director_state.h"
#include "director/graph.h"

void evaluateFrame(const DemoClock& clock, float aspect) {
    publishDemoClock(clock);
    frameArenaReset();
    beginDirectorFrame();
    GraphArgs args = {};
    evaluateScene(nodeBlocks[clock.sceneIndex], valueBlocks[clock.sceneIndex], args,
                  directorRenderer(aspect));
}

// Onward is how the show plays: a later frame of the same scene, or one of the scene after it. Any
// other move (back, the same frame again, over a scene) starts the scene afresh.
static bool movesOnward(const ShowCursor& cursor, const DemoClock& target, const SceneTable& scenes) {
    if (!cursor.started) return false;
    const int32_t at = sceneFirstFrame(cursor.scene, scenes) + cursor.localFrame;
    return at < target.frame && (cursor.scene == target.sceneIndex || cursor.scene + 1 == target.sceneIndex);
}

DemoClock catchUpAndEvaluateFrame(ShowCursor& cursor, int32_t frame, const SceneTable& scenes, float aspect,
                                  ShowFrameHook hook) {
    const DemoClock target = demoClockAtFrame(frame, scenes);
    const int32_t sceneStart = target.frame - target.localFrame;
    const bool onward = movesOnward(cursor, target, scenes);
    if (!onward) restartDirectorState(target.sceneIndex);
    int32_t local = onward && cursor.scene == target.sceneIndex ? cursor.localFrame + 1 : 0;
    for (; local < target.localFrame; ++local) {
        if (hook.beforeFrame) hook.beforeFrame(sceneStart + local, hook.user);
        evaluateFrame(demoClockAtFrame(sceneStart + local, scenes), aspect);
        endFrameOutputs(frameSettings, &lineList);
    }
    if (hook.beforeFrame) hook.beforeFrame(frame, hook.user);
    evaluateFrame(target, aspect);
    cursor = ShowCursor{target.sceneIndex, target.localFrame, true, !onward};
    return target;
}
