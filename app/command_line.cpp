// command_line.cpp - CLI11 parsing into a CommandLine.
#include "app/command_line.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdlib>

#include "app/launcher_logic.h"
#include "base/decimal_text.h"
#include "data/scene_data.h"
#include "director/demo_clock.h"
#include "edit/sync/sync_client.h"

CommandLineResult parseCommandLine(int argc, char** argv, CommandLine& out, std::string& message) {
    CLI::App app{"qz001: a real-time show of procedural 3D scenes in time with its music.\n"
                 "Without options the launcher asks for the display options first.",
                 "qz001"};
    bool noLauncher = false, windowed = false, noVsync = false, noAa = false, noMusic = false, stats = false,
         edit = false, version = false;
    int scene = -1;
    std::string sceneText;
    std::string gl = "core";
    std::string atText;
    app.add_flag("--no-launcher", noLauncher, "start at once with the launcher's defaults");
    app.add_flag("--windowed", windowed, "a 1280x720 window instead of full screen (skips the launcher)");
    app.add_flag("--no-vsync", noVsync, "do not wait for vertical sync (skips the launcher)");
    app.add_flag("--no-aa", noAa, "no antialiasing pass (skips the launcher)");
    app.add_flag("--no-music", noMusic, "no music: the show stands at its first frame (skips the launcher)");
    auto* sceneOption =
        app.add_option("--scene", sceneText,
                       "start at the first frame of scene S (0.." + std::to_string(kSceneCount - 1) + ")")
            ->type_name("INT");
    app.add_option("--at", atText, "start at SECONDS into the show")
        ->type_name("FLOAT")
        ->excludes(sceneOption);
    app.add_option("--gl", gl,
                   "the OpenGL to draw with: core (OpenGL 3.3 core, the default) or es (OpenGL ES 3.0)");
    app.add_flag(
        "--edit", edit,
        "the edit mode: pause, step, seek and loop the show, with panels beside the frame (windowed)");
    std::string syncText;
    app.add_option(
           "--sync", syncText,
           "with --edit: a sync editor at HOST:PORT (default 127.0.0.1:1338) drives the play head and "
           "the tracks")
        ->expected(0, 1)
        ->type_name("[HOST:PORT]");
    app.add_flag("--stats", stats, "print the time to the first frame and the frame rate at the end");
    app.add_flag("--version", version, "print the version (qz001 " QZ_VERSION ") and end");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::printf("%s", app.help().c_str());
        return CommandLineResult::done;
    } catch (const CLI::ParseError& e) {
        message = std::string(e.what()) + " (try --help)";
        return CommandLineResult::error;
    }
    if (version) {
        std::printf("qz001 %s\n", QZ_VERSION);
        return CommandLineResult::done;
    }
    GlApi api = kGlCore;
    if (!parseGlApi(gl.c_str(), api)) {
        message = "--gl " + gl + " is not an OpenGL the show draws with (core or es)";
        return CommandLineResult::error;
    }
    if (app.count("--scene")) { // whole decimal only: "010" is scene 10, "0x1" no scene
        int64_t number = 0;
        const DecimalFault fault = readDecimal(sceneText.c_str(), 0, kSceneCount - 1, number);
        if (fault != DecimalFault::none) {
            const std::string range = "the show's scenes (0.." + std::to_string(kSceneCount - 1) + ")";
            message =
                decimalFaultText("--scene", sceneText.c_str(), fault, 0, kSceneCount - 1, range.c_str());
            return CommandLineResult::error;
        }
        scene = (int)number;
    }
    // The last millisecond of the show's last frame is the last start there is: the bound the message
    // quotes is the one applied, to the millisecond the show starts at.
    const int32_t endMs = demoPositionOfFrame(kShowFrameCount);
    // A number and nothing else: an empty value is no time, not 0.
    double at = -1;
    if (app.count("--at")) {
        char* end = nullptr;
        at = std::strtod(atText.c_str(), &end);
        if (atText.empty() || end == atText.c_str() || *end != 0) {
            message = "--at '" + atText + "' is not a number of seconds (0 to the show's end)";
            return CommandLineResult::error;
        }
    }
    const long atMs = at >= 0 && at < 1e6 ? std::lround(at * 1000.0) : -1;
    if (app.count("--at") && !(atMs >= 0 && atMs < endMs)) {
        char bound[64];
        std::snprintf(bound, sizeof bound, " lies outside the show (0 to %.3f seconds)",
                      (endMs - 1) / 1000.0);
        message = "--at " + atText + bound;
        return CommandLineResult::error;
    }

    std::string syncHost;
    uint16_t syncPort = kSyncDefaultPort;
    if (app.count("--sync")) {
        if (!edit) {
            message = "--sync works with --edit only (the player is not driven from outside)";
            return CommandLineResult::error;
        }
        char why[512];
        if (!parseSyncAddress(syncText.c_str(), syncHost, syncPort, why, sizeof why)) {
            message = why;
            return CommandLineResult::error;
        }
    }

    out = CommandLine{};
    out.sync = app.count("--sync") > 0;
    out.syncHost = syncHost;
    out.syncPort = syncPort;
    out.settings = launcherCreated();
    out.settings.fullScreen = !windowed && !edit;
    out.settings.vsync = !noVsync;
    out.settings.antialias = !noAa;
    out.settings.music = !noMusic;
    out.settings.start = 1;
    launcherDestroyed(out.settings);
    out.launcher = !(noLauncher || windowed || noVsync || noAa || noMusic || edit);
    out.edit = edit;
    out.stats = stats;
    out.api = api;
    if (scene >= 0) {
        out.startMs = demoPositionOfFrame(sceneFirstFrame(scene, sceneTable));
    } else if (at >= 0) {
        out.startMs = (int32_t)atMs;
    }
    return CommandLineResult::run;
}
