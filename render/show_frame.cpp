// show_frame.cpp - headless start-up of the whole show and frame-by-frame rendering without music.
#include "render/show_frame.h"

#include "app/arena.h"
#include "director/demo_clock.h"
#include "director/director_state.h"
#include "director/graph.h"
#include "director/scene_data.h"
#include "mesh/text_mesh.h"

bool showPositionOf(int32_t frame, ShowPosition& out) {
    if (frame < 0) return false;
    int32_t end = 0;
    for (int s = 0; s < kSceneCount; ++s) {
        end += sceneTable.scenes[s].duration;
        if (frame < end) {
            out = ShowPosition{s, frame - (end - sceneTable.scenes[s].duration), end};
            return true;
        }
    }
    return false;
}

bool startHeadlessShow(RenderDevice& dev, int width, int height, bool antialias, StartupTimes* times) {
    arenaInit();
    resetDirectorState();
    TextMeshStatus text = createTextMeshes();
    if (!text.ok) {
        setRenderError("text meshes: %s", text.message);
        return false;
    }
    SDL_Window* window = openHeadlessWindow(width, height);
    if (!window) return false;
    RendererDesc desc = {width, height, false, antialias, false};
    if (!startRenderer(dev, desc, window, times)) return false;
    allocDirectorTables();
    convertSceneData(sceneTable, embeddedTracks);
    return true;
}

void evaluateShowFrame(const ShowPosition& position, float aspect) {
    DemoClock clock = {};
    clock.sceneIndex = position.scene;
    clock.localFrame = position.localFrame;
    clock.sceneEndFrame = position.sceneEndFrame;
    clock.frame = position.sceneEndFrame - sceneTable.scenes[position.scene].duration + position.localFrame;
    publishDemoClock(clock);
    frameArenaReset();
    beginDirectorFrame();
    GraphArgs args = {};
    evaluateScene(nodeBlocks[position.scene], valueBlocks[position.scene], args, directorRenderer(aspect));
}

void renderShowFrame(RenderDevice& dev, ShowCursor& cursor, int32_t frame) {
    ShowPosition target = {};
    if (!showPositionOf(frame, target)) return;
    int32_t first = 0;
    if (cursor.started && cursor.scene == target.scene && cursor.localFrame < target.localFrame)
        first = cursor.localFrame + 1;
    for (int32_t local = first; local < target.localFrame; ++local) {
        evaluateShowFrame(ShowPosition{target.scene, local, target.sceneEndFrame}, dev.aspect);
        directorAfterRender(); // what the renderer resets after each presented frame
    }
    evaluateShowFrame(target, dev.aspect);
    renderFrame(dev, directorFrameInput());
    cursor = ShowCursor{target.scene, target.localFrame, true};
}
