// cmd_render.cpp - `render`: one show frame rendered headless (offscreen OpenGL, music off, spectrum
// zero) and written as a PNG file.
//
//     qz001-tool render --frame 1000 --out frame.png [--size 1280x720] [--no-aa]
#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "director/director_types.h"
#include "render/png_io.h"
#include "show/show.h"
#include "tools/qz001-tool/tool.h"

namespace {

struct RenderOptions {
    int frame = 0;
    std::string out;
    std::string size = showSizeText();
    bool noAa = false;
};

// The frame into an opened target; a stop signal is looked at between the steps.
int renderInto(const RenderOptions& o, const OutputTarget& target, int width, int height) {
    RenderDevice dev = {};
    if (!startToolShow(dev, width, height, !o.noAa, o.frame)) return 1;
    if (toolStopSignal) return toolStoppedStatus("nothing was written");
    ShowCursor cursor = {};
    catchUpAndRenderFrame(dev, cursor, o.frame);
    std::vector<uint8_t> pixels((size_t)width * height * 4);
    readBackBuffer(dev, pixels.data());
    if (toolStopSignal) return toolStoppedStatus("nothing was written");
    return writePngTarget(target, width, height, pixels.data()) ? 0 : 1;
}

int runRender(const RenderOptions& o) {
    int width = 0, height = 0;
    if (!parseSizeOption(o.size, kMaxImageSize, kMaxImageSize, width, height)) return kToolUsageStatus;
    catchStopSignals();
    OutputTarget target;
    if (!openToolOutput(o.out, target)) return 1;
    const int status = renderInto(o, target, width, height);
    closeOutputTarget(target);
    return status;
}

} // namespace

void addRenderCommands(CLI::App& app, ToolCommands& commands) {
    static RenderOptions o;
    CLI::App* render = app.add_subcommand("render", "Render one frame of the show headless into a PNG file");
    addIntegerOption(render, "--frame", o.frame, 0, kShowFrameCount - 1, showFramesText(),
                     "global show frame, 0..7831")
        ->required();
    render->add_option("--out", o.out, "PNG file to write")->required();
    render->add_option("--size", o.size, "image size WIDTHxHEIGHT (default " + showSizeText() + ")");
    addGlOption(render);
    render->add_flag("--no-aa", o.noAa, "skip the FXAA pass");
    addToolCommand(commands, render, [] { return runRender(o); });
}
