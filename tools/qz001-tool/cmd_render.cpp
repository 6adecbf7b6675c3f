// cmd_render.cpp - `render`: one show frame rendered headless (offscreen OpenGL, music off, spectrum
// zero) and written as a PNG file; `passes`: the frame's passes and post effects by their names.
//
//     qz001-tool render --frame 1000 --out frame.png [--size 1280x720] [--no-aa]
//     qz001-tool passes
//
// prints one line a pass ("pass 3 dof_blur") and one a post effect ("effect bloom bit 4 op 59 Bloom
// switch isRenderBloom pass bloom shader A_5_bloomHighlightPS"), from render/post_effects.h.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "director/director_types.h"
#include "render/frame_passes.h"
#include "render/png_io.h"
#include "render/post_effects.h"
#include "render/shader_library.h"
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

// Every pass in the order a frame runs them, then every post effect, one line each.
int runPasses() {
    for (int p = 0; p < kFramePassCount; ++p) std::printf("pass %d %s\n", p, framePassName(p));
    for (int k = 0; k < kPostEffectCount; ++k) {
        const PostEffect& e = kPostEffects[k];
        std::printf("effect %s bit %d op %d %s switch %s pass %s shader %s\n", e.name, 1 << k, (int)e.op,
                    enumName(kNodeOpNames, e.op) + 3, e.setting, framePassName(e.pass),
                    pixelShaderNames[e.shader]);
    }
    return 0;
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
    addToolCommand(commands,
                   app.add_subcommand("passes", "List the frame's passes and post effects by their names"),
                   runPasses);
}
