// main.cpp - qz001-tool: inspect what the show builds at start-up, from the command line.
//
//     qz001-tool meshes              one line per mesh program: index, vertices, quads, name
//     qz001-tool mesh K --obj FILE   program K's mesh as a Wavefront OBJ
//     qz001-tool mesh-sheet --out F  every GPU mesh under its name, one PNG (docs/meshes.png)
//     qz001-tool operations --out F  the node operation reference (docs/operations.md)
//     qz001-tool tracks --rocket F   the keyframe tracks as a sync editor's XML document
//     qz001-tool builders --out F    the scene builder reference (docs/builders.md)
//
// Bad arguments get a one-line error and exit status 2; a command that fails exits 1, one stopped by
// SIGINT, SIGTERM or SIGHUP 128 + the signal's number.
#include <CLI/CLI.hpp>

#include "tools/qz001-tool/tool.h"

int main(int argc, char** argv) {
    CLI::App app{"qz001-tool: inspect the meshes, scenes and frames of the qz001 show"};
    app.require_subcommand(1);
    ToolCommands commands = {};
    addMeshCommands(app, commands);
    addSceneCommands(app, commands);
    addTextCommands(app, commands);
    addRenderCommands(app, commands);
    addCaptureCommands(app, commands);
    addContactSheetCommands(app, commands);
    addTracksCommands(app, commands);
    addMeshSheetCommands(app, commands);
    addBuildersCommands(app, commands);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return app.exit(e);
        return toolUsageError("%s (try --help)", e.what());
    }
    return runParsedCommand(commands);
}
