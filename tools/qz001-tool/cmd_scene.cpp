// cmd_scene.cpp - `scene S --frame F [--json]`: the frame outputs of one scene's graph.
//
// Evaluates scene S for local frames 0, 1, .., F in order, as the show does (so the previous
// transforms are those of frame F - 1), with the music spectrum at zero and a 1280x720 aspect, and
// prints what the graph handed to the renderer at frame F: camera, settings, both draw lists and the
// sprites. Text by default; with --json one JSON object.
#include <CLI/CLI.hpp>

#include <cmath>

#include "director/director_state.h"
#include "director/scene_data.h"
#include "show/show.h"
#include "tools/qz001-tool/tool.h"

//-----------------------------------------------------------------------------
// Evaluation
//-----------------------------------------------------------------------------

static void evaluateSceneTo(int scene, int32_t frame) {
    showInit();
    showStartDirector();
    ShowCursor cursor = {};
    catchUpAndEvaluateFrame(cursor, sceneFirstFrame(scene, sceneTable) + frame, sceneTable, 1280.0f / 720.0f);
}

//-----------------------------------------------------------------------------
// Text
//-----------------------------------------------------------------------------

static void printVec(const char* name, const float* v, int n) {
    std::printf(" %s (", name);
    for (int i = 0; i < n; ++i) std::printf(i ? " %.9g" : "%.9g", v[i]);
    std::printf(")");
}

static void printDrawText(const char* name, const DrawList& list) {
    std::printf("%s %u\n", name, list.count);
    for (uint32_t i = 0; i < list.count; ++i) {
        const DrawRecord& r = list.records[i];
        std::printf("  %u mesh %d vs %d ps %d tex %d", i, r.mesh, r.vertexShader, r.pixelShader, r.texture);
        printVec("pos", r.position, 3);
        printVec("scale", r.scale, 3);
        printVec("rot", r.rotation, 3);
        printVec("prevPos", r.prevPosition, 3);
        printVec("prevScale", r.prevScale, 3);
        printVec("prevRot", r.prevRotation, 3);
        for (int k = 0; k < 5; ++k) {
            char label[8];
            std::snprintf(label, sizeof(label), "opt%d", k);
            printVec(label, &r.options[k].x, 4);
        }
        std::printf("\n");
    }
}

static void printText(int scene, int32_t frame) {
    const CameraState& c = cameraState;
    const FrameSettings& s = frameSettings;
    std::printf("scene %d local frame %d\n", scene, frame);
    std::printf("camera");
    printVec("eye", c.eye, 3);
    printVec("at", c.at, 3);
    printVec("up", c.up, 3);
    std::printf(" fovy %.9g aspect %.9g near %.9g far %.9g\n", c.fovy, c.aspect, c.near, c.far);
    std::printf("settings");
    printVec("clearColor", &s.clearColor.x, 4);
    printVec("lightDirVS", &s.lightDirVS.x, 4);
    std::printf(" isBlur %d blurJumpThreshold %.9g isRenderDof %d dofFocus %.9g", s.isBlur,
                s.blurJumpThreshold, s.isRenderDof, s.dofFocus);
    std::printf(" isRenderBloom %d bloomThrethold %.9g bloomColor %.9g bloomDispersion %.9g", s.isRenderBloom,
                s.bloomThrethold, s.bloomColor, s.bloomDispersion);
    std::printf(" transitionType %d transitionFactor %.9g\n", s.transitionType, s.transitionFactor);
    printDrawText("opaque", drawListOpaque);
    printDrawText("blended", drawListBlended);
    std::printf("sprites %u\n", spriteList.count);
    for (uint32_t i = 0; i < spriteList.count; ++i) {
        const SpriteRecord& r = spriteList.records[i];
        std::printf("  %u tex %d blend %d", i, r.texture, r.blend);
        printVec("srcRect", r.srcRect, 4);
        printVec("centre", r.centre, 2);
        printVec("scale", r.scale, 2);
        std::printf(" rotation %.9g alpha %.9g key %.9g\n", r.rotation, r.alpha, r.key);
    }
}

//-----------------------------------------------------------------------------
// JSON
//-----------------------------------------------------------------------------

// JSON has no NaN or infinity: those print as null.
static void jsonNumber(float v) {
    if (std::isfinite(v))
        std::printf("%.9g", v);
    else
        std::printf("null");
}

static void jsonArray(const char* key, const float* v, int n) {
    std::printf("\"%s\":[", key);
    for (int i = 0; i < n; ++i) {
        if (i) std::printf(",");
        jsonNumber(v[i]);
    }
    std::printf("]");
}

static void jsonFloat(const char* key, float v) {
    std::printf("\"%s\":", key);
    jsonNumber(v);
}

static void printDrawJson(const char* key, const DrawList& list) {
    std::printf("\"%s\":[", key);
    for (uint32_t i = 0; i < list.count; ++i) {
        const DrawRecord& r = list.records[i];
        std::printf("%s{\"mesh\":%d,\"vertexShader\":%d,\"pixelShader\":%d,\"texture\":%d,", i ? "," : "",
                    r.mesh, r.vertexShader, r.pixelShader, r.texture);
        jsonArray("position", r.position, 3), std::printf(",");
        jsonArray("scale", r.scale, 3), std::printf(",");
        jsonArray("rotation", r.rotation, 3), std::printf(",");
        jsonArray("prevPosition", r.prevPosition, 3), std::printf(",");
        jsonArray("prevScale", r.prevScale, 3), std::printf(",");
        jsonArray("prevRotation", r.prevRotation, 3);
        std::printf(",\"options\":[");
        for (int k = 0; k < 5; ++k) {
            std::printf(k ? ",[" : "[");
            const float* o = &r.options[k].x;
            for (int c = 0; c < 4; ++c) {
                if (c) std::printf(",");
                jsonNumber(o[c]);
            }
            std::printf("]");
        }
        std::printf("]}");
    }
    std::printf("]");
}

static void printJson(int scene, int32_t frame) {
    const CameraState& c = cameraState;
    const FrameSettings& s = frameSettings;
    std::printf("{\"scene\":%d,\"localFrame\":%d,\"camera\":{", scene, frame);
    jsonArray("eye", c.eye, 3), std::printf(",");
    jsonArray("at", c.at, 3), std::printf(",");
    jsonArray("up", c.up, 3), std::printf(",");
    jsonFloat("fovy", c.fovy), std::printf(",");
    jsonFloat("aspect", c.aspect), std::printf(",");
    jsonFloat("near", c.near), std::printf(",");
    jsonFloat("far", c.far);
    std::printf("},");
    printDrawJson("opaque", drawListOpaque);
    std::printf(",");
    printDrawJson("blended", drawListBlended);
    std::printf(",\"sprites\":[");
    for (uint32_t i = 0; i < spriteList.count; ++i) {
        const SpriteRecord& r = spriteList.records[i];
        std::printf(i ? ",{" : "{");
        jsonArray("srcRect", r.srcRect, 4), std::printf(",");
        jsonArray("centre", r.centre, 2), std::printf(",");
        jsonArray("scale", r.scale, 2), std::printf(",");
        jsonFloat("rotation", r.rotation);
        std::printf(",\"texture\":%d,\"blend\":%d,", r.texture, r.blend);
        jsonFloat("alpha", r.alpha), std::printf(",");
        jsonFloat("key", r.key);
        std::printf("}");
    }
    std::printf("],\"settings\":{");
    jsonArray("clearColor", &s.clearColor.x, 4), std::printf(",");
    jsonArray("lightDirVS", &s.lightDirVS.x, 4);
    std::printf(",\"isBlur\":%d,", s.isBlur);
    jsonFloat("blurJumpThreshold", s.blurJumpThreshold);
    std::printf(",\"isRenderDof\":%d,", s.isRenderDof);
    jsonFloat("dofFocus", s.dofFocus);
    std::printf(",\"isRenderBloom\":%d,", s.isRenderBloom);
    jsonFloat("bloomThrethold", s.bloomThrethold), std::printf(",");
    jsonFloat("bloomColor", s.bloomColor), std::printf(",");
    jsonFloat("bloomDispersion", s.bloomDispersion);
    std::printf(",\"transitionType\":%d,", s.transitionType);
    jsonFloat("transitionFactor", s.transitionFactor);
    std::printf("}}\n");
}

//-----------------------------------------------------------------------------
// Command
//-----------------------------------------------------------------------------

static int runScene(int scene, int frame, bool json) {
    if (scene < 0 || scene >= kSceneCount)
        return toolError("scene %d does not exist (there are %d: 0..%d)", scene, kSceneCount,
                         kSceneCount - 1);
    int32_t duration = sceneTable.scenes[scene].duration;
    if (frame < 0 || frame >= duration)
        return toolError("frame %d is outside scene %d (its local frames are 0..%d)", frame, scene,
                         duration - 1);
    evaluateSceneTo(scene, frame);
    if (json)
        printJson(scene, frame);
    else
        printText(scene, frame);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) return toolError("cannot write the scene to stdout");
    return 0;
}

void addSceneCommands(CLI::App& app) {
    static int scene = 0, frame = 0;
    static bool json = false;
    CLI::App* cmd =
        app.add_subcommand("scene", "Evaluate scene S up to local frame F and print its frame outputs");
    cmd->add_option("S", scene, "scene index, 0..10")->required();
    cmd->add_option("--frame", frame, "local frame within the scene")->required();
    cmd->add_flag("--json", json, "print one JSON object instead of text");
    cmd->callback([] { toolExitCode = runScene(scene, frame, json); });
}
