// command_line.h - qz001's options, for people who watch the show often or work on it.
//
//     qz001                      the launcher, then the show
//     qz001 --no-launcher        the launcher's defaults: full screen, vsync, FXAA, music
//     qz001 --windowed --no-vsync --no-aa --no-music   set the options (and skip the launcher)
//     qz001 --scene 4            the music, and so the show, starts at scene 4's first frame
//     qz001 --at 62.5            ... at 62.5 seconds
//     qz001 --gl es              draw through OpenGL ES 3.0 instead of OpenGL 3.3 core
//     qz001 --edit               the edit mode: windowed, a transport and panels beside the frame
//     qz001 --edit --sync        ... driven by a sync editor at 127.0.0.1:1338 (or --sync HOST:PORT)
//     qz001 --version            "qz001 1.0.0": the CMake project's version
//
// Bad values get a one-line error and exit status 2.
#pragma once

#include <cstdint>
#include <string>

#include "app/launch_settings.h"
#include "render/gl_dialect.h"

struct CommandLine {
    bool launcher;           // ask with the launcher (the default); else use `settings`
    LaunchSettings settings; // the launcher's defaults with the flags applied, start 1
    int32_t startMs;         // music position to start at
    bool stats;              // print the time to the first frame and the frame rate at the end
    GlApi api;               // --gl: the OpenGL the show draws with
    bool edit;               // --edit: the edit mode instead of the player (windowed, no launcher)
    bool sync;               // --sync: with --edit, a sync editor at syncHost:syncPort
    std::string syncHost;
    uint16_t syncPort;
};

enum class CommandLineResult {
    run,   // go on with `out`
    done,  // --help or --version was printed: exit 0
    error, // `message` says what was wrong: exit 2
};

CommandLineResult parseCommandLine(int argc, char** argv, CommandLine& out, std::string& message);
