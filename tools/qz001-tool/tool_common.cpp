// tool_common.cpp - the command table, error reporting, file checks and atomic output, the progress
// bar, the headless start-up and the frame loop of qz001-tool.
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/qz001-tool/tool.h"

#include <CLI/CLI.hpp>

#include "base/atomic_file.h"
#include "render/png_io.h"
#include "show/show.h"

void addToolCommand(ToolCommands& commands, CLI::App* command, int (*run)()) {
    if (commands.count < kToolCommandCapacity) commands.items[commands.count++] = {command, run};
}

int runParsedCommand(const ToolCommands& commands) {
    for (int i = 0; i < commands.count; ++i)
        if (commands.items[i].command->parsed()) return commands.items[i].run();
    return 0;
}

int toolError(const char* format, ...) {
    std::fputs("qz001-tool: ", stderr);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    return 1;
}

bool writeToolFile(const std::string& path, const std::function<bool(FILE*)>& write) {
    std::string error;
    if (writeFileAtomically(path, write, error)) return true;
    toolError("%s", error.c_str());
    return false;
}

static double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void drawProgress(ToolProgress& p, int done) {
    if (done == 0) p.startSeconds = steadySeconds();
    const int barWidth = 30;
    const int filled = p.total ? done * barWidth / p.total : barWidth;
    const double elapsed = steadySeconds() - p.startSeconds;
    const double rate = elapsed > 0 ? done / elapsed : 0;
    const int left = rate > 0 ? (int)((p.total - done) / rate + 0.5) : 0;
    // Into a log (stderr not a terminal): a plain line at the start, every few seconds and at the end.
    const bool terminal = isatty(STDERR_FILENO);
    if (!terminal && done != 0 && done != p.total && elapsed - p.lastLineSeconds < kProgressLineSeconds)
        return;
    p.lastLineSeconds = elapsed;
    std::fprintf(stderr, "%s[%.*s%*s] %d/%d frames  %.1f frames/s  %d:%02d left%s", terminal ? "\r" : "",
                 filled, "##############################", barWidth - filled, "", done, p.total, rate,
                 left / 60, left % 60, terminal ? " " : "\n");
    if (terminal && done == p.total) std::fputc('\n', stderr);
    std::fflush(stderr);
}

namespace {
GlApi toolGlApi = kGlCore;
} // namespace

void addGlOption(CLI::App* command) {
    command
        ->add_option_function<std::string>(
            "--gl",
            [](const std::string& text) {
                if (!parseGlApi(text.c_str(), toolGlApi))
                    throw CLI::ValidationError("--gl",
                                               text + " is not an OpenGL the show draws with (core or es)");
            },
            "the OpenGL to draw with: core (OpenGL 3.3 core, the default) or es (OpenGL ES 3.0)")
        ->type_name("core|es");
}

bool startToolShow(RenderDevice& dev, int width, int height, bool antialias) {
    showInit();
    ShowDesc desc = {};
    desc.api = toolGlApi;
    desc.width = width;
    desc.height = height;
    desc.antialias = antialias;
    if (showStart(dev, desc)) return true;
    toolError("cannot start the show: %s", showError());
    return false;
}

std::string showSizeText() {
    return std::to_string(kShowWidth) + "x" + std::to_string(kShowHeight);
}

bool parseSizeOption(const std::string& text, int maxWidth, int maxHeight, int& width, int& height) {
    char tail = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &tail) == 2 && width >= 16 && height >= 16 &&
        width <= maxWidth && height <= maxHeight)
        return true;
    toolError("--size %s is not WIDTHxHEIGHT between 16x16 and %dx%d", text.c_str(), maxWidth, maxHeight);
    return false;
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

bool checkOutputFile(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        toolError("cannot write %s: it is a folder", path.c_str());
        return false;
    }
    return checkWritableFolder(folderOf(path), path);
}

bool makeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        struct stat st;
        if (stat(part.c_str(), &st) != 0 && mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
            toolError("cannot create folder %s: %s", part.c_str(), std::strerror(errno));
            return false;
        }
        if (slash == std::string::npos) break;
    }
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        toolError("cannot write frames into %s: it is not a folder", path.c_str());
        return false;
    }
    return checkWritableFolder(path, path + "/");
}

bool writePngFile(const std::string& path, int width, int height, const uint8_t* rgba) {
    return writeToolFile(path, [&](FILE* f) { return writePng(f, (uint32_t)width, (uint32_t)height, rgba); });
}

bool renderToolFrames(const ToolFrames& f,
                      const std::function<bool(int frame, const std::vector<uint8_t>& rgba)>& take) {
    RenderDevice dev = {};
    if (!startToolShow(dev, f.width, f.height, f.antialias)) return false;
    std::vector<uint8_t> pixels((size_t)f.width * f.height * 4);
    ShowCursor cursor = {};
    ToolProgress progress = {(f.to - f.from) / f.step + 1, 0, 0};
    int done = 0;
    drawProgress(progress, done);
    for (int frame = f.from; frame <= f.to; frame += f.step) {
        if (f.stop && *f.stop) break;
        catchUpAndRenderFrame(dev, cursor, frame, f.hook);
        readBackBuffer(dev, pixels.data());
        if (!take(frame, pixels)) break;
        drawProgress(progress, ++done);
    }
    if (done == progress.total) return true;
    if (isatty(STDERR_FILENO)) std::fputc('\n', stderr); // end the bar's line
    return false;
}
