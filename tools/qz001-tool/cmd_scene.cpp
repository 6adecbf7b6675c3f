// cmd_scene.cpp - `scene S --frame F [--json]`: the frame outputs of one scene's graph.
//
// Evaluates scene S for local frames 0, 1, .., F in order, as the show does (so the previous
// transforms are those of frame F - 1), with the music spectrum at zero and the show's aspect, and
// prints what the graph handed to the renderer at frame F: camera, settings, both draw lists and the
// sprites. Text by default; with --json one JSON object.
//
// Each record's fields are listed once, in a field table (text label, JSON key, type, place); the
// text and the JSON writer walk the same tables.
#include <CLI/CLI.hpp>

#include <climits>
#include <cmath>
#include <cstddef>

#include "data/scene_data.h"
#include "director/director_state.h"
#include "director/node_info.h"
#include "show/show.h"
#include "tools/qz001-tool/tool.h"

//-----------------------------------------------------------------------------
// Evaluation
//-----------------------------------------------------------------------------

static void evaluateSceneTo(int scene, int32_t frame) {
    showInit();
    showStartDirector();
    ShowCursor cursor = {};
    catchUpAndEvaluateFrame(cursor, sceneFirstFrame(scene, sceneTable) + frame, sceneTable, kShowAspect);
}

//-----------------------------------------------------------------------------
// Field tables
//-----------------------------------------------------------------------------

enum class FieldType : uint8_t {
    int32,   // int32_t
    flag,    // uint8_t
    floats,  // `count` floats: one prints as a number, more as a list
    float4s, // `count` Float4s: text "opt0 (..) opt1 (..)", JSON one list of lists
};

struct Field {
    const char* label; // text
    const char* key;   // JSON
    FieldType type;
    size_t offset;
    int count;
};

#define QZ_FIELD(record, label, member, type, count)                                                         \
    { label, #member, type, offsetof(record, member), count }

static const Field cameraFields[] = {
    QZ_FIELD(CameraState, "eye", eye, FieldType::floats, 3),
    QZ_FIELD(CameraState, "at", at, FieldType::floats, 3),
    QZ_FIELD(CameraState, "up", up, FieldType::floats, 3),
    QZ_FIELD(CameraState, "fovy", fovy, FieldType::floats, 1),
    QZ_FIELD(CameraState, "aspect", aspect, FieldType::floats, 1),
    QZ_FIELD(CameraState, "near", near, FieldType::floats, 1),
    QZ_FIELD(CameraState, "far", far, FieldType::floats, 1),
};

static const Field settingsFields[] = {
    QZ_FIELD(FrameSettings, "clearColor", clearColor, FieldType::floats, 4),
    QZ_FIELD(FrameSettings, "lightDirVS", lightDirVS, FieldType::floats, 4),
    QZ_FIELD(FrameSettings, "isBlur", isBlur, FieldType::flag, 1),
    QZ_FIELD(FrameSettings, "blurJumpThreshold", blurJumpThreshold, FieldType::floats, 1),
    QZ_FIELD(FrameSettings, "isRenderDof", isRenderDof, FieldType::flag, 1),
    QZ_FIELD(FrameSettings, "dofFocus", dofFocus, FieldType::floats, 1),
    QZ_FIELD(FrameSettings, "isRenderBloom", isRenderBloom, FieldType::flag, 1),
    QZ_FIELD(FrameSettings, "bloomThrethold", bloomThrethold, FieldType::floats, 1),
    QZ_FIELD(FrameSettings, "bloomColor", bloomColor, FieldType::floats, 1),
    QZ_FIELD(FrameSettings, "bloomDispersion", bloomDispersion, FieldType::floats, 1),
    QZ_FIELD(FrameSettings, "transitionType", transitionType, FieldType::int32, 1),
    QZ_FIELD(FrameSettings, "transitionFactor", transitionFactor, FieldType::floats, 1),
};

static const Field drawFields[] = {
    QZ_FIELD(DrawRecord, "mesh", mesh, FieldType::int32, 1),
    QZ_FIELD(DrawRecord, "vs", vertexShader, FieldType::int32, 1),
    QZ_FIELD(DrawRecord, "ps", pixelShader, FieldType::int32, 1),
    QZ_FIELD(DrawRecord, "tex", texture, FieldType::int32, 1),
    QZ_FIELD(DrawRecord, "pos", position, FieldType::floats, 3),
    QZ_FIELD(DrawRecord, "scale", scale, FieldType::floats, 3),
    QZ_FIELD(DrawRecord, "rot", rotation, FieldType::floats, 3),
    QZ_FIELD(DrawRecord, "prevPos", prevPosition, FieldType::floats, 3),
    QZ_FIELD(DrawRecord, "prevScale", prevScale, FieldType::floats, 3),
    QZ_FIELD(DrawRecord, "prevRot", prevRotation, FieldType::floats, 3),
    QZ_FIELD(DrawRecord, "opt", options, FieldType::float4s, 5),
};

static const Field spriteFields[] = {
    QZ_FIELD(SpriteRecord, "tex", texture, FieldType::int32, 1),
    QZ_FIELD(SpriteRecord, "blend", blend, FieldType::int32, 1),
    QZ_FIELD(SpriteRecord, "srcRect", srcRect, FieldType::floats, 4),
    QZ_FIELD(SpriteRecord, "centre", centre, FieldType::floats, 2),
    QZ_FIELD(SpriteRecord, "scale", scale, FieldType::floats, 2),
    QZ_FIELD(SpriteRecord, "rotation", rotation, FieldType::floats, 1),
    QZ_FIELD(SpriteRecord, "alpha", alpha, FieldType::floats, 1),
    QZ_FIELD(SpriteRecord, "key", key, FieldType::floats, 1),
};

#undef QZ_FIELD

//-----------------------------------------------------------------------------
// Text: " label value" per field, lists in parentheses
//-----------------------------------------------------------------------------

static void printFloatsText(const float* v, int n) {
    std::printf("(");
    for (int i = 0; i < n; ++i) std::printf(i ? " %.9g" : "%.9g", v[i]);
    std::printf(")");
}

static void printRecordText(const Field* fields, size_t count, const void* record) {
    for (size_t i = 0; i < count; ++i) {
        const Field& f = fields[i];
        const uint8_t* at = static_cast<const uint8_t*>(record) + f.offset;
        switch (f.type) {
        case FieldType::int32:
            std::printf(" %s %d", f.label, *reinterpret_cast<const int32_t*>(at));
            break;
        case FieldType::flag:
            std::printf(" %s %d", f.label, *at);
            break;
        case FieldType::floats:
            std::printf(" %s ", f.label);
            if (f.count == 1)
                std::printf("%.9g", *reinterpret_cast<const float*>(at));
            else
                printFloatsText(reinterpret_cast<const float*>(at), f.count);
            break;
        case FieldType::float4s:
            for (int k = 0; k < f.count; ++k) {
                std::printf(" %s%d ", f.label, k);
                printFloatsText(&reinterpret_cast<const Float4*>(at)[k].x, 4);
            }
            break;
        }
    }
}

//-----------------------------------------------------------------------------
// JSON: one object per record; JSON has no NaN or infinity, those print as null
//-----------------------------------------------------------------------------

static void printNumberJson(float v) {
    if (std::isfinite(v))
        std::printf("%.9g", v);
    else
        std::printf("null");
}

static void printFloatsJson(const float* v, int n) {
    std::printf("[");
    for (int i = 0; i < n; ++i) {
        if (i) std::printf(",");
        printNumberJson(v[i]);
    }
    std::printf("]");
}

static void printRecordJson(const Field* fields, size_t count, const void* record) {
    std::printf("{");
    for (size_t i = 0; i < count; ++i) {
        const Field& f = fields[i];
        const uint8_t* at = static_cast<const uint8_t*>(record) + f.offset;
        std::printf(i ? ",\"%s\":" : "\"%s\":", f.key);
        switch (f.type) {
        case FieldType::int32:
            std::printf("%d", *reinterpret_cast<const int32_t*>(at));
            break;
        case FieldType::flag:
            std::printf("%d", *at);
            break;
        case FieldType::floats:
            if (f.count == 1)
                printNumberJson(*reinterpret_cast<const float*>(at));
            else
                printFloatsJson(reinterpret_cast<const float*>(at), f.count);
            break;
        case FieldType::float4s:
            std::printf("[");
            for (int k = 0; k < f.count; ++k) {
                if (k) std::printf(",");
                printFloatsJson(&reinterpret_cast<const Float4*>(at)[k].x, 4);
            }
            std::printf("]");
            break;
        }
    }
    std::printf("}");
}

//-----------------------------------------------------------------------------
// The frame outputs, in either form
//-----------------------------------------------------------------------------

template <size_t N> static void printText(const char* name, const Field (&fields)[N], const void* record) {
    std::printf("%s", name);
    printRecordText(fields, N, record);
    std::printf("\n");
}

template <size_t N, typename Record>
static void printListText(const char* name, const Field (&fields)[N], const Record* records, uint32_t count) {
    std::printf("%s %u\n", name, count);
    for (uint32_t i = 0; i < count; ++i) {
        std::printf("  %u", i);
        printRecordText(fields, N, &records[i]);
        std::printf("\n");
    }
}

template <size_t N> static void printJson(const char* key, const Field (&fields)[N], const void* record) {
    std::printf(",\"%s\":", key);
    printRecordJson(fields, N, record);
}

template <size_t N, typename Record>
static void printListJson(const char* key, const Field (&fields)[N], const Record* records, uint32_t count) {
    std::printf(",\"%s\":[", key);
    for (uint32_t i = 0; i < count; ++i) {
        if (i) std::printf(",");
        printRecordJson(fields, N, &records[i]);
    }
    std::printf("]");
}

static void printOutputsText(int scene, int32_t frame) {
    std::printf("scene %d local frame %d\n", scene, frame);
    printText("camera", cameraFields, &cameraState);
    printText("settings", settingsFields, &frameSettings);
    printListText("opaque", drawFields, drawListOpaque.records, drawListOpaque.count);
    printListText("blended", drawFields, drawListBlended.records, drawListBlended.count);
    printListText("sprites", spriteFields, spriteList.records, spriteList.count);
}

static void printOutputsJson(int scene, int32_t frame) {
    std::printf("{\"scene\":%d,\"localFrame\":%d", scene, frame);
    printJson("camera", cameraFields, &cameraState);
    printJson("settings", settingsFields, &frameSettings);
    printListJson("opaque", drawFields, drawListOpaque.records, drawListOpaque.count);
    printListJson("blended", drawFields, drawListBlended.records, drawListBlended.count);
    printListJson("sprites", spriteFields, spriteList.records, spriteList.count);
    std::printf("}\n");
}

//-----------------------------------------------------------------------------
// Command
//-----------------------------------------------------------------------------

static int runScene(int scene, int frame, bool json) {
    int32_t duration = sceneTable.scenes[scene].duration;
    if (frame >= duration)
        return toolUsageError("frame %d is outside scene %d (its local frames are 0..%d)", frame, scene,
                              duration - 1);
    evaluateSceneTo(scene, frame);
    if (json)
        printOutputsJson(scene, frame);
    else
        printOutputsText(scene, frame);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) return toolError("cannot write the scene to stdout");
    return 0;
}

// One line per scene: index, first frame, frames, name (what scripts place the show's frames by).
static int runScenes() {
    for (int s = 0; s < kSceneCount; ++s)
        std::printf("%d %d %d %s\n", s, sceneFirstFrame(s, sceneTable), sceneTable.scenes[s].duration,
                    sceneNames[s].name);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return toolError("cannot write the scenes to stdout");
    return 0;
}

void addSceneCommands(CLI::App& app, ToolCommands& commands) {
    addToolCommand(commands,
                   app.add_subcommand("scenes", "One line per scene: index, first frame, frames, name"),
                   runScenes);
    static int scene = 0, frame = 0;
    static bool json = false;
    CLI::App* cmd =
        app.add_subcommand("scene", "Evaluate scene S up to local frame F and print its frame outputs");
    addIntegerOption(cmd, "S", scene, 0, kSceneCount - 1, nullptr,
                     ("scene index, 0.." + std::to_string(kSceneCount - 1)).c_str(), "scene")
        ->required();
    addIntegerOption(cmd, "--frame", frame, 0, INT_MAX, nullptr, "local frame within the scene")->required();
    cmd->add_flag("--json", json, "print one JSON object instead of text");
    addToolCommand(commands, cmd, [] { return runScene(scene, frame, json); });

    // The operation reference (docs/operations.md), from the director's table of what each operation does.
    static std::string docPath;
    CLI::App* ops = app.add_subcommand("operations", "Write the node operation reference (Markdown)");
    ops->add_option("--out", docPath, "Markdown file to write (docs/operations.md)")->required();
    addToolCommand(commands, ops, [] { return writeToolFile(docPath, writeOperationsDoc) ? 0 : 1; });
}
