// show.cpp - start-up in its fixed order, and the frame step.
#include "show/show.h"

#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "audio/music.h"
#include "base/arena.h"
#include "data/scene_data.h"
#include "data/text_lines.h"
#include "director/demo_clock.h"
#include "director/director_state.h"
#include "director/graph.h"
#include "render/textures.h"
#include "show/startup_heap.h"

static char showErrorText[1024];
static constexpr uint32_t kShaderPairCapacity = 256;
static constexpr int kShowStartStepCount = 1 + kRendererStepCount + 2;
static double stepSeconds[kShowStartStepCount];

static bool fail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(showErrorText, sizeof showErrorText, format, args);
    va_end(args);
    return false;
}

const char* showError() {
    return showErrorText;
}

void showInit() {
    prepareStartupHeap();
    arenaInit();
    resetDirectorState();
}

// The arena from the scene data's start to its end: a reload reuses exactly this region.
static uint32_t sceneDataStart, sceneDataEnd;

void showStartDirector() {
    allocDirectorTables();
    sceneDataStart = arenaMark();
    convertSceneData(sceneTable, embeddedTracks);
    sceneDataEnd = arenaMark();
}

uint32_t sceneDataBytes(const SceneTable& scenes) {
    uint64_t bytes = 0;
    for (int s = 0; s < kSceneCount; ++s)
        for (int k = 0; k < kSlotsPerScene && scenes.scenes[s].nodes; ++k)
            bytes += (uint64_t)scenes.scenes[s].nodes[k].outputCount * sizeof(Float4) + alignof(Float4);
    return bytes > UINT32_MAX ? UINT32_MAX : (uint32_t)bytes;
}

uint32_t sceneDataRoom() {
    return kArenaWarnBytes > sceneDataStart ? kArenaWarnBytes - sceneDataStart : 0;
}

bool replaceSceneData(const SceneTable& scenes, const Track* tracks) {
    if (arenaMark() != sceneDataEnd) // something was reserved after the scene data: it would be overwritten
        return fail("the scene data is not the last thing in the work arena; it cannot be replaced");
    arenaRewind(sceneDataStart);
    convertSceneData(scenes, tracks);
    sceneDataEnd = arenaMark();
    return true;
}

// The images the draw and sprite nodes of the scene holding `frame` name go to the front of the
// background decoding: the first frames sample them. Every draw without a mesh image samples image 0.
static void wantStartTextures(int32_t frame) {
    const DemoClock clock = demoClockAtFrame(frame, sceneTable);
    const NodeSource* nodes = sceneTable.scenes[clock.ended ? 0 : clock.sceneIndex].nodes;
    bool wanted[kTextureTableSize] = {};
    auto want = [&wanted](float param) {
        const long index = std::lround(param);
        if (index >= 0 && index < kTextureTableSize) wanted[index] = true;
    };
    for (int slot = 0; nodes && slot < kSlotsPerScene; ++slot) {
        const NodeSource& n = nodes[slot];
        if (n.op >= kOpDrawPlain && n.op < kOpDrawMesh) want(0);
        if (n.op == kOpDrawMesh) want(n.params[4]);
        if (n.op == kOpSprite) want(n.params[0]);
    }
    wantTextures(wanted);
}

void startShowImages(int32_t startFrame) {
    prestartEmbeddedTextures();
    wantStartTextures(startFrame);
}

// Step 0 builds the text meshes and opens the surface, then the renderer's steps, then the director's
// tables and scene data, then the music.
int showStartStepCount() {
    return kShowStartStepCount;
}

double showStartStepSeconds(int step) {
    return step >= 0 && step < kShowStartStepCount ? stepSeconds[step] : 0.0;
}

const char* showStartStepName(int step) {
    static const char* const names[kShowStartStepCount] = {
        "text meshes", "device", "shaders", "meshes", "textures", "render resources", "director", "music"};
    return step >= 0 && step < kShowStartStepCount ? names[step] : "?";
}

static bool runStep(RenderDevice& dev, const ShowDesc& desc, int step, StartupTimes* times) {
    static SDL_Window* window;
    static DrawShaderPair pairs[kShaderPairCapacity];
    static RendererDesc renderer;
    static StartupTimes local;
    const int width = desc.width ? desc.width : kShowWidth;
    const int height = desc.height ? desc.height : kShowHeight;
    if (step == 0) {
        TextMeshStatus text = createTextMeshes(textStrings, kTextLineCount);
        if (!text.ok) return fail("cannot build the text meshes: %s", text.message);
        window = desc.window ? desc.window : openHeadlessWindow(width, height, desc.api);
        if (!window) return fail("%s", renderError());
        // A headless render of another size is a smaller (or larger) picture of the kShowWidth x kShowHeight
        // show: its sprites keep their size relative to the picture.
        const uint32_t pairCount = collectShaderPairs(sceneTable, pairs, kShaderPairCapacity);
        renderer = {width,       height,   !desc.noVsync, !desc.noAntialias, desc.fullScreen, kShowWidth,
                    kShowHeight, desc.api, pairs,         pairCount};
        return true;
    }
    if (step <= kRendererStepCount) {
        if (!runRendererStep(dev, renderer, window, step - 1, times ? *times : local))
            return fail("%s", renderError());
        if (step - 1 == kTexturesStep) {
            // The images decoded while the window opened become textures now, and their buffers go
            // before the render targets take their memory.
            wantStartTextures(desc.startFrame);
            uploadWantedTextures();
        }
        return true;
    }
    if (step == kRendererStepCount + 1) {
        showStartDirector();
        return true;
    }
    if (desc.music && !startMusic()) return fail("%s", musicError());
    return true;
}

bool runShowStartStep(RenderDevice& dev, const ShowDesc& desc, int step, StartupTimes* times) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = runStep(dev, desc, step, times);
    if (step >= 0 && step < kShowStartStepCount)
        stepSeconds[step] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return ok;
}

bool showStart(RenderDevice& dev, const ShowDesc& desc, StartupTimes* times) {
    for (int step = 0; step < showStartStepCount(); ++step)
        if (!runShowStartStep(dev, desc, step, times)) return false;
    return true;
}

void evaluateAndRenderFrame(RenderDevice& dev, const DemoClock& clock) {
    evaluateFrame(clock, dev.aspect);
    renderFrame(dev, directorFrameInput());
}

DemoClock catchUpAndRenderFrame(RenderDevice& dev, ShowCursor& cursor, int32_t frame, ShowFrameHook hook) {
    DemoClock clock = catchUpAndEvaluateFrame(cursor, frame, sceneTable, dev.aspect, hook);
    if (cursor.restarted) forgetPreviousFrame(dev);
    renderFrame(dev, directorFrameInput());
    return clock;
}
