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

DemoClock catchUpAndEvaluateFrame(ShowCursor& cursor, int32_t frame, const SceneTable& scenes, float aspect,
                                  ShowFrameHook hook) {
    const DemoClock target = demoClockAtFrame(frame, scenes);
    const int32_t sceneStart = target.frame - target.localFrame;
    int32_t local = 0;
    if (cursor.started && cursor.scene == target.sceneIndex && cursor.localFrame < target.localFrame)
        local = cursor.localFrame + 1;
    for (; local < target.localFrame; ++local) {
        if (hook.beforeFrame) hook.beforeFrame(sceneStart + local, hook.user);
        evaluateFrame(demoClockAtFrame(sceneStart + local, scenes), aspect);
        endFrameOutputs(frameSettings, &lineList);
    }
    if (hook.beforeFrame) hook.beforeFrame(frame, hook.user);
    evaluateFrame(target, aspect);
    cursor = ShowCursor{target.sceneIndex, target.localFrame, true};
    return target;
}
