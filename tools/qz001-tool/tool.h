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

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/output_target.h"
#include "base/printf_check.h"
#include "director/show_step.h"

struct RenderDevice;

namespace CLI {
class App;
class Option;
} // namespace CLI

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
void addMeshCommands(CLI::App& app, ToolCommands& commands); // meshes, mesh K --obj FILE
void addSceneCommands(CLI::App& app,
                      ToolCommands& commands);               // scenes, scene S --frame F [--json], operations
void addTextCommands(CLI::App& app, ToolCommands& commands); // texts, text K --obj FILE
void addRenderCommands(CLI::App& app, ToolCommands& commands);       // render --frame F --out FILE.png
void addCaptureCommands(CLI::App& app, ToolCommands& commands);      // capture --out FILE.mp4 | DIR
void addContactSheetCommands(CLI::App& app, ToolCommands& commands); // contact-sheet --out FILE.png
void addTracksCommands(CLI::App& app, ToolCommands& commands);       // tracks --rocket FILE
void addBuildersCommands(CLI::App& app, ToolCommands& commands);     // builders --out docs/builders.md
void addMeshSheetCommands(CLI::App& app, ToolCommands& commands);    // mesh-sheet --out FILE.png

//-----------------------------------------------------------------------------
// Errors: one line on stderr, prefixed "qz001-tool: "; status 1 for a failure, 2 for a bad option
//-----------------------------------------------------------------------------

constexpr int kToolUsageStatus = 2;

// Prints "qz001-tool: <message>" on stderr and returns 1, for `return toolError(...)`.
int toolError(const char* format, ...) QZ_PRINTF_CHECK(1, 2);
// The same for a bad option or value; returns kToolUsageStatus.
int toolUsageError(const char* format, ...) QZ_PRINTF_CHECK(1, 2);

//-----------------------------------------------------------------------------
// Options: integers and sizes, read as decimal, whole and in range (base/decimal_text.h)
//-----------------------------------------------------------------------------

// Adds an integer option (or positional, `name` without dashes) read by readDecimal into `value`;
// anything else is refused while parsing, naming the value: "--frame 0x10 is not a whole decimal
// number", "--frame 9000 is outside <range>" (`range` null: "min..max"). A positional's messages call
// it `label` ("mesh program 40 is outside 0..39").
CLI::Option* addIntegerOption(CLI::App* command, const std::string& name, int& value, int min, int max,
                              const char* range, const std::string& description, const char* label = nullptr);
// The range text of a global show frame option: "the show (frames 0..7831)".
const char* showFramesText();

// "WIDTHxHEIGHT" for --size, each between 16 and its maximum; otherwise prints why and returns false.
constexpr int kMaxImageSize = 8192; // render and capture
// The show's size as --size writes it: "1280x720".
std::string showSizeText();
bool parseSizeOption(const std::string& text, int maxWidth, int maxHeight, int& width, int& height);

//-----------------------------------------------------------------------------
// Stop signals: SIGINT, SIGTERM and SIGHUP end a long command cleanly
//-----------------------------------------------------------------------------

// The signal that asked the tool to stop, 0 while none has. Raised by the handlers catchStopSignals
// installs; every long command looks at it between frames (and while it waits on ffmpeg), removes what
// it has not finished and returns toolStoppedStatus().
extern volatile sig_atomic_t toolStopSignal;
// Installs the handlers (without SA_RESTART: a blocked read or write returns) and ignores SIGPIPE.
void catchStopSignals();
// Prints "qz001-tool: stopped by SIGINT: <leftNote>" and returns 128 + the signal's number.
int toolStoppedStatus(const char* leftNote);

//-----------------------------------------------------------------------------
// Files: checked and locked before the first frame, written atomically (base/output_target.h)
//-----------------------------------------------------------------------------

// Writes `path` through a temporary file in the same folder and renames it into place only after
// `write` returned true and every byte reached the disk; otherwise removes the temporary, prints
// one error line naming the path, and returns false. Nothing is ever half-written.
bool writeToolFile(const std::string& path, const std::function<bool(FILE*)>& write);
// openOutputTarget with its error printed: called before the first frame of a command that renders.
bool openToolOutput(const std::string& path, OutputTarget& target);
// Creates the folder `path` and every missing folder above it (as mkdir -p), then opens it as the
// output folder of many files; false with a message when that fails.
bool openToolFolder(const std::string& path, OutputTarget& target);
// RGBA8 pixels (rows top first) as a PNG file into an opened target, written atomically.
bool writePngTarget(const OutputTarget& target, int width, int height, const uint8_t* rgba);

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
// that --gl chose, the images of `firstFrame`'s scene decoded first; on failure prints one error line
// and returns false.
bool startToolShow(RenderDevice& dev, int width, int height, bool antialias, int32_t firstFrame);

// Adds "--gl core|es" to a command that renders: the OpenGL startToolShow asks for.
void addGlOption(CLI::App* command);

//-----------------------------------------------------------------------------
// Frame loop: frames of the show rendered headless, in order, for the commands that write many
//-----------------------------------------------------------------------------

struct ToolFrames {
    int width;
    int height;
    bool antialias;
    int from; // global frames from..to, every `step`; a step past `to` gives `from` alone
    int to;
    int step;
    ShowFrameHook hook; // before every evaluation, caught-up frames too
};

// How many frames from..to every `step` holds, without overflow for any step of 1 or more.
int toolFrameCount(int from, int to, int step);

// Starts the show and hands each frame's pixels (RGBA8, rows top first) to `take`, with a progress
// bar. False when the show cannot start, when `take` returns false or when a stop signal came.
bool renderToolFrames(const ToolFrames& frames,
                      const std::function<bool(int frame, const std::vector<uint8_t>& rgba)>& take);
