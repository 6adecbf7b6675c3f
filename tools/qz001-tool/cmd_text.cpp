// cmd_text.cpp - `texts` and `text K --obj FILE`: the extruded meshes of the 18 text lines.
#include <CLI/CLI.hpp>

#include "base/arena.h"
#include "data/draw_names.h"
#include "data/text_lines.h"
#include "tools/qz001-tool/tool.h"

// Builds every text mesh once; on failure prints why and returns false.
static bool buildTexts() {
    static bool built = false;
    if (built) return true;
    arenaInit();
    TextMeshStatus s = createTextMeshes(textStrings, kTextLineCount);
    if (!s.ok) {
        toolError("%s", s.message);
        return false;
    }
    built = true;
    return true;
}

static int runTexts() {
    constexpr EnumNames kMeshNames = readEnumNames(GpuMeshIdText);
    static_assert(kMeshNames.ok && kGpuMeshFirstProgram == kTextLineCount);
    if (!buildTexts()) return 1;
    for (int k = 0; k < kTextLineCount; k++)
        std::printf("%d %u %u %s \"%s\"\n", k, textMeshes[k].vertexCount, textMeshes[k].indexCount,
                    enumName(kMeshNames, k), textStrings[k]);
    return 0;
}

static bool writeObj(FILE* f, int k) {
    const TextMesh& m = textMeshes[k];
    std::fprintf(f, "# text line %d: \"%s\"\n", k, textStrings[k]);
    for (uint32_t i = 0; i < m.vertexCount; i++) {
        const TextVertex& v = m.vertices[i];
        std::fprintf(f, "v %.9g %.9g %.9g\n", v.px, v.py, v.pz);
    }
    for (uint32_t i = 0; i < m.vertexCount; i++) {
        const TextVertex& v = m.vertices[i];
        std::fprintf(f, "vn %.9g %.9g %.9g\n", v.nx, v.ny, v.nz);
    }
    for (uint32_t t = 0; t + 2 < m.indexCount; t += 3) {
        unsigned a = m.indices[t] + 1u, b = m.indices[t + 1] + 1u, c = m.indices[t + 2] + 1u;
        std::fprintf(f, "f %u//%u %u//%u %u//%u\n", a, a, b, b, c, c);
    }
    return !std::ferror(f);
}

static int runText(int k, const std::string& objPath) {
    if (!buildTexts()) return 1;
    return writeToolFile(objPath, [k](FILE* f) { return writeObj(f, k); }) ? 0 : 1;
}

void addTextCommands(CLI::App& app, ToolCommands& commands) {
    CLI::App* texts =
        app.add_subcommand("texts", "One line per text mesh: index, vertices, indices, name, text");
    addToolCommand(commands, texts, runTexts);

    static int index = 0;
    static std::string objPath;
    CLI::App* text =
        app.add_subcommand("text", "Write the extruded mesh of one text line as a Wavefront OBJ");
    addIntegerOption(text, "K", index, 0, kTextLineCount - 1, nullptr, "text line index, 0..17", "text line")
        ->required();
    text->add_option("--obj", objPath, "OBJ file to write")->required();
    addToolCommand(commands, text, [] { return runText(index, objPath); });
}
