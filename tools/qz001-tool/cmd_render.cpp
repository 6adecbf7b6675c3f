// cmd_render.cpp - `render` and `capture`: show frames rendered headless (offscreen OpenGL, music
// off, spectrum zero) and written as PNG files.
//
//     qz001-tool render --frame 1000 --out frame.png [--size 1280x720] [--no-aa]
//     qz001-tool capture --out frames/ --from 900 --to 1139 [--step 2] [--size WxH] [--no-aa]
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
    std::string size = "1280x720";
    bool noAa = false;
    int from = 0;
    int to = 0;
    int step = 1;
};

bool parseSize(const std::string& text, int& width, int& height) {
    char tail = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &tail) != 2) return false;
    return width >= 16 && height >= 16 && width <= 8192 && height <= 8192;
}

bool checkFrame(int frame, const char* what) {
    if (frame >= 0 && frame < kShowFrameCount) return true;
    toolError("%s %d is outside the show (frames 0..%d)", what, frame, kShowFrameCount - 1);
    return false;
}

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool checkWritableFolder(const std::string& folder, const std::string& forPath) {
    struct stat st;
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        toolError("cannot write %s: folder %s does not exist", forPath.c_str(), folder.c_str());
        return false;
    }
    if (access(folder.c_str(), W_OK) != 0) {
        toolError("cannot write %s: %s", forPath.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

bool writeFrame(RenderDevice& dev, std::vector<uint8_t>& pixels, const std::string& path) {
    readBackBuffer(dev, pixels.data());
    return writeToolFile(
        path, [&](FILE* f) { return writePng(f, (uint32_t)dev.width, (uint32_t)dev.height, pixels.data()); });
}

int runRender(const RenderOptions& o) {
    int width = 0, height = 0;
    if (!parseSize(o.size, width, height))
        return toolError("--size %s is not WIDTHxHEIGHT with both between 16 and 8192", o.size.c_str());
    if (!checkFrame(o.frame, "frame")) return 1;
    if (!checkWritableFolder(folderOf(o.out), o.out)) return 1;
    RenderDevice dev = {};
    if (!startToolShow(dev, width, height, !o.noAa)) return 1;
    ShowCursor cursor = {};
    showRenderAt(dev, cursor, o.frame);
    std::vector<uint8_t> pixels((size_t)width * height * 4);
    return writeFrame(dev, pixels, o.out) ? 0 : 1;
}

int runCapture(const RenderOptions& o) {
    int width = 0, height = 0;
    if (!parseSize(o.size, width, height))
        return toolError("--size %s is not WIDTHxHEIGHT with both between 16 and 8192", o.size.c_str());
    if (!checkFrame(o.from, "--from frame") || !checkFrame(o.to, "--to frame")) return 1;
    if (o.from > o.to) return toolError("--from %d lies after --to %d", o.from, o.to);
    if (o.step < 1) return toolError("--step %d must be 1 or more", o.step);
    if (mkdir(o.out.c_str(), 0777) != 0 && errno != EEXIST)
        return toolError("cannot create folder %s: %s", o.out.c_str(), std::strerror(errno));
    if (!checkWritableFolder(o.out, o.out + "/")) return 1;

    RenderDevice dev = {};
    if (!startToolShow(dev, width, height, !o.noAa)) return 1;
    std::vector<uint8_t> pixels((size_t)width * height * 4);
    ShowCursor cursor = {};
    const int total = (o.to - o.from) / o.step + 1;
    int done = 0;
    ToolProgress progress = {total, 0};
    drawProgress(progress, done);
    for (int frame = o.from; frame <= o.to; frame += o.step) {
        showRenderAt(dev, cursor, frame);
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%05d.png", frame);
        if (!writeFrame(dev, pixels, o.out + name)) {
            std::fputc('\n', stderr);
            return 1;
        }
        drawProgress(progress, ++done);
    }
    return 0;
}

} // namespace

void addRenderCommands(CLI::App& app) {
    static RenderOptions o;
    CLI::App* render = app.add_subcommand("render", "Render one frame of the show headless into a PNG file");
    render->add_option("--frame", o.frame, "global show frame, 0..7831")->required();
    render->add_option("--out", o.out, "PNG file to write")->required();
    render->add_option("--size", o.size, "image size WIDTHxHEIGHT (default 1280x720)");
    render->add_flag("--no-aa", o.noAa, "skip the FXAA pass");
    render->callback([] { toolExitCode = runRender(o); });

    CLI::App* capture =
        app.add_subcommand("capture", "Render a range of show frames into numbered PNG files");
    capture->add_option("--out", o.out, "folder for frame_NNNNN.png (created if missing)")->required();
    capture->add_option("--from", o.from, "first global frame")->required();
    capture->add_option("--to", o.to, "last global frame (inclusive)")->required();
    capture->add_option("--step", o.step, "frames between two captures (default 1)");
    capture->add_option("--size", o.size, "image size WIDTHxHEIGHT (default 1280x720)");
    capture->add_flag("--no-aa", o.noAa, "skip the FXAA pass");
    capture->callback([] { toolExitCode = runCapture(o); });
}
