// tool.h - shared pieces of qz001-tool: subcommand registration and safe file output.
//
// Each subcommand lives in its own cmd_*.cpp and registers itself from main.cpp through an
// add*Commands function. A subcommand's callback stores its exit status in `toolExitCode`.
// Errors are one line on stderr, prefixed "qz001-tool: ".
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace CLI {
class App;
}

extern int toolExitCode;

// Prints "qz001-tool: <message>" on stderr and returns 1, for `return toolError(...)`.
int toolError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Writes `path` through a temporary file in the same folder and renames it into place only after
// `write` returned true and every byte reached the disk; otherwise removes the temporary, prints
// one error line naming the path, and returns false. Nothing is ever half-written.
bool writeToolFile(const std::string& path, const std::function<bool(FILE*)>& write);

// A progress bar on stderr: "[####      ] 120/7832 frames  4.1 frames/s  31:20 left". Call with
// done = 0 first; the line ends when done reaches total.
struct ToolProgress {
    int total;
    double startSeconds; // steady clock at the first call
};
void drawProgress(ToolProgress& progress, int done);

// The show started headless (hidden offscreen surface, music off) at width x height; on failure prints
// one error line and returns false.
struct RenderDevice;
bool startToolShow(RenderDevice& dev, int width, int height, bool antialias);

// Subcommand families.
void addMeshCommands(CLI::App& app);         // meshes, mesh K --obj FILE
void addSceneCommands(CLI::App& app);        // scene S --frame F [--json]
void addTextCommands(CLI::App& app);         // texts, text K --obj FILE
void addRenderCommands(CLI::App& app);       // render --frame F --out FILE.png, capture --out DIR
void addContactSheetCommands(CLI::App& app); // contact-sheet --out FILE.png [--every N] [--size WxH]
