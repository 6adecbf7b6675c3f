// cmd_mesh.cpp - `meshes` and `mesh K --obj FILE`: the quad meshes the 40 mesh programs build.
#include <CLI/CLI.hpp>

#include "data/draw_names.h"
#include "data/mesh_programs.h"
#include "mesh/mesh_program.h"
#include "tools/qz001-tool/tool.h"

// Runs program k over a cleared mesh; on a refused operation prints why and returns false.
static bool buildMesh(uint32_t k) {
    clearMesh(quadMesh);
    UnpackResult r = unpacko(meshPrograms[k], quadMesh);
    if (r.error == MeshError::none) return true;
    toolError("mesh program %u, operation %u: %s", k, r.opIndex, meshErrorText(r.error));
    return false;
}

static int runMeshes() {
    constexpr EnumNames kMeshNames = readEnumNames(GpuMeshIdText);
    static_assert(kMeshNames.ok && kMeshNames.last + 1 == kGpuMeshFirstProgram + int(kMeshProgramCount));
    for (uint32_t k = 0; k < kMeshProgramCount; k++) {
        if (!buildMesh(k)) return 1;
        std::printf("%u %u %u %s\n", k, quadMesh.vertexCount, quadMesh.quadCount,
                    enumName(kMeshNames, kGpuMeshFirstProgram + int(k)));
    }
    return 0;
}

static bool writeObj(FILE* f, const QuadMesh& m) {
    for (uint32_t i = 0; i < m.vertexCount; i++) {
        const Vec3& p = m.positions[i];
        std::fprintf(f, "v %.9g %.9g %.9g\n", p.x, p.y, p.z);
    }
    for (uint32_t q = 0; q < m.quadCount; q++) {
        const uint32_t* c = m.quads[q];
        std::fprintf(f, "f %u %u %u %u\n", c[0] + 1, c[1] + 1, c[2] + 1, c[3] + 1);
    }
    return !std::ferror(f);
}

static int runMesh(int k, const std::string& objPath) {
    if (!buildMesh(uint32_t(k))) return 1;
    return writeToolFile(objPath, [](FILE* f) { return writeObj(f, quadMesh); }) ? 0 : 1;
}

void addMeshCommands(CLI::App& app, ToolCommands& commands) {
    CLI::App* meshes =
        app.add_subcommand("meshes", "One line per mesh program: index, vertices, quads, name");
    addToolCommand(commands, meshes, runMeshes);

    static int index = 0;
    static std::string objPath;
    CLI::App* mesh = app.add_subcommand("mesh", "Write the quad mesh of one mesh program as a Wavefront OBJ");
    addIntegerOption(mesh, "K", index, 0, int(kMeshProgramCount) - 1, nullptr, "mesh program index, 0..39",
                     "mesh program")
        ->required();
    mesh->add_option("--obj", objPath, "OBJ file to write")->required();
    addToolCommand(commands, mesh, [] { return runMesh(index, objPath); });
}
