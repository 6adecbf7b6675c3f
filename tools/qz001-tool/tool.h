// tool.h - shared pieces of qz001-tool, one section per concern: commands, errors, files, progress,
// start-up and the frame loop.
//
// Each family of subcommands lives in its own cmd_*.cpp and adds itself from main.cpp through an
// add*Commands function, which records each subcommand with the function that runs it; main runs the
// one that was parsed and exits with its return value.
//
//     static int runMeshes() { ...; return 0; }
//     void addMeshCommands(CLI::App& app, ToolCommands& commands) {
//         addToolCommand(commands, app.add_subcommand("meshes", "..."), runMeshes);
//     }
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/printf_check.h"
#include "director/show_step.h"

struct RenderDevice;

namespace CLI {
class App;
}

//-----------------------------------------------------------------------------
// Commands: each subcommand with the function that runs it (0 = success)
//-----------------------------------------------------------------------------

constexpr int kToolCommandCapacity = 16;
struct ToolCommand {
    CLI::App* command;
    int (*run)(); // reads the options the command's parsing stored
};
struct ToolCommands {
    ToolCommand items[kToolCommandCapacity];
    int count;
};
void addToolCommand(ToolCommands& commands, CLI::App* command, int (*run)());
// Runs the command that was parsed and returns its exit status.
int runParsedCommand(const ToolCommands& commands);

// Subcommand families.
void addMeshCommands(CLI::App& app, ToolCommands& commands);         // meshes, mesh K --obj FILE
void addSceneCommands(CLI::App& app, ToolCommands& commands);        // scene S --frame F [--json]
void addTextCommands(CLI::App& app, ToolCommands& commands);         // texts, text K --obj FILE
void addRenderCommands(CLI::App& app, ToolCommands& commands);       // render --frame F --out FILE.png
void addCaptureCommands(CLI::App& app, ToolCommands& commands);      // capture --out FILE.mp4 | DIR
void addContactSheetCommands(CLI::App& app, ToolCommands& commands); // contact-sheet --out FILE.png

//-----------------------------------------------------------------------------
// Errors: one line on stderr, prefixed "qz001-tool: "
//-----------------------------------------------------------------------------

// Prints "qz001-tool: <message>" on stderr and returns 1, for `return toolError(...)`.
int toolError(const char* format, ...) QZ_PRINTF_CHECK(1, 2);

// "WIDTHxHEIGHT" for --size, each between 16 and its maximum; otherwise prints why and returns false.
constexpr int kMaxImageSize = 8192; // render and capture
// The show's size as --size writes it: "1280x720".
std::string showSizeText();
bool parseSizeOption(const std::string& text, int maxWidth, int maxHeight, int& width, int& height);
// True for a frame of the show (0..7831); otherwise prints "<what> F is outside the show ...".
bool checkFrame(int frame, const char* what);

//-----------------------------------------------------------------------------
// Files: checked before the first frame, written atomically
//-----------------------------------------------------------------------------

// Writes `path` through a temporary file in the same folder and renames it into place only after
// `write` returned true and every byte reached the disk; otherwise removes the temporary, prints
// one error line naming the path, and returns false. Nothing is ever half-written.
bool writeToolFile(const std::string& path, const std::function<bool(FILE*)>& write);
std::string folderOf(const std::string& path);
// True when `folder` exists and can be written; otherwise prints why `forPath` cannot be written.
bool checkWritableFolder(const std::string& folder, const std::string& forPath);
// True when a file can be written at `path`: its folder exists and is writable and `path` is not a
// folder; otherwise prints why. Called before the first frame is rendered.
bool checkOutputFile(const std::string& path);
// Creates the folder `path` and every missing folder above it (as mkdir -p); false with a message
// when that fails or `path` is not a writable folder.
bool makeFolders(const std::string& path);
// RGBA8 pixels (rows top first) as a PNG file, written atomically.
bool writePngFile(const std::string& path, int width, int height, const uint8_t* rgba);

//-----------------------------------------------------------------------------
// Progress: a bar on stderr while frames render
//-----------------------------------------------------------------------------

// "[####      ] 120/7832 frames  4.1 frames/s  31:20 left". Call with done = 0 first; the line ends
// when done reaches total. When stderr is not a terminal, plain lines instead, one every
// kProgressLineSeconds.
constexpr double kProgressLineSeconds = 5.0;
struct ToolProgress {
    int total;
    double startSeconds;    // steady clock at the first call
    double lastLineSeconds; // since startSeconds, when the last line was printed
};
void drawProgress(ToolProgress& progress, int done);

//-----------------------------------------------------------------------------
// Start-up: the show headless, on the OpenGL --gl chose
//-----------------------------------------------------------------------------

// The show started headless (hidden offscreen surface, music off) at width x height, on the OpenGL
// that --gl chose; on failure prints one error line and returns false.
bool startToolShow(RenderDevice& dev, int width, int height, bool antialias);

// Adds "--gl core|es" to a command that renders: the OpenGL startToolShow asks for.
void addGlOption(CLI::App* command);

//-----------------------------------------------------------------------------
// Frame loop: frames of the show rendered headless, in order, for the commands that write many
//-----------------------------------------------------------------------------

struct ToolFrames {
    int width;
    int height;
    bool antialias;
    int from; // global frames from..to, every `step`
    int to;
    int step;
    ShowFrameHook hook;       // before every evaluation, caught-up frames too
    const volatile int* stop; // when it turns non-zero the loop ends (false); may be null
};

// Starts the show and hands each frame's pixels (RGBA8, rows top first) to `take`, with a progress
// bar. False when the show cannot start, when `take` returns false or when `stop` was raised.
bool renderToolFrames(const ToolFrames& frames,
                      const std::function<bool(int frame, const std::vector<uint8_t>& rgba)>& take);
