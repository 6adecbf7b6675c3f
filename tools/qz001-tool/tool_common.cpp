// tool_common.cpp - the command table, error reporting, integer options, stop signals, checked and
// atomic output, the progress bar, the headless start-up and the frame loop of qz001-tool.
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/qz001-tool/tool.h"

#include <CLI/CLI.hpp>

#include "base/atomic_file.h"
#include "base/decimal_text.h"
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

//-----------------------------------------------------------------------------
// Errors
//-----------------------------------------------------------------------------

static void printToolLine(const char* format, va_list args) {
    std::fputs("qz001-tool: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
}

int toolError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    printToolLine(format, args);
    va_end(args);
    return 1;
}

int toolUsageError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    printToolLine(format, args);
    va_end(args);
    return kToolUsageStatus;
}

//-----------------------------------------------------------------------------
// Options
//-----------------------------------------------------------------------------

CLI::Option* addIntegerOption(CLI::App* command, const std::string& name, int& value, int min, int max,
                              const char* range, const std::string& description, const char* label) {
    int* target = &value;
    const std::string shown = label ? label : name;
    return command
        ->add_option_function<std::string>(
            name,
            [shown, target, min, max, range](const std::string& text) {
                int64_t number = 0;
                const DecimalFault fault = readDecimal(text.c_str(), min, max, number);
                if (fault != DecimalFault::none)
                    throw CLI::ValidationError(
                        decimalFaultText(shown.c_str(), text.c_str(), fault, min, max, range));
                *target = (int)number;
            },
            description)
        ->type_name("INT");
}

const char* showFramesText() {
    static const std::string text = "the show (frames 0.." + std::to_string(kShowFrameCount - 1) + ")";
    return text.c_str();
}

std::string showSizeText() {
    return std::to_string(kShowWidth) + "x" + std::to_string(kShowHeight);
}

bool parseSizeOption(const std::string& text, int maxWidth, int maxHeight, int& width, int& height) {
    const size_t x = text.find('x');
    int64_t w = 0, h = 0;
    if (x != std::string::npos &&
        readDecimal(text.substr(0, x).c_str(), 16, maxWidth, w) == DecimalFault::none &&
        readDecimal(text.substr(x + 1).c_str(), 16, maxHeight, h) == DecimalFault::none) {
        width = (int)w;
        height = (int)h;
        return true;
    }
    toolUsageError("--size %s is not WIDTHxHEIGHT between 16x16 and %dx%d", text.c_str(), maxWidth,
                   maxHeight);
    return false;
}

//-----------------------------------------------------------------------------
// Stop signals
//-----------------------------------------------------------------------------

volatile sig_atomic_t toolStopSignal = 0;

static void onStopSignal(int number) {
    toolStopSignal = number;
}

void catchStopSignals() {
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    signal(SIGPIPE, SIG_IGN); // a reader that went away shows as a failed write
}

int toolStoppedStatus(const char* leftNote) {
    const int number = toolStopSignal;
    const char* name = number == SIGINT ? "SIGINT" : number == SIGTERM ? "SIGTERM" : "SIGHUP";
    if (isatty(STDERR_FILENO)) std::fputc('\n', stderr); // end a progress bar's line
    toolError("stopped by %s: %s", name, leftNote);
    return 128 + number;
}

//-----------------------------------------------------------------------------
// Files
//-----------------------------------------------------------------------------

bool writeToolFile(const std::string& path, const std::function<bool(FILE*)>& write) {
    std::string error;
    if (writeFileAtomically(path, write, error)) return true;
    toolError("%s", error.c_str());
    return false;
}

bool openToolOutput(const std::string& path, OutputTarget& target) {
    std::string error;
    if (openOutputTarget(path, target, error)) return true;
    toolError("%s", error.c_str());
    return false;
}

bool openToolFolder(const std::string& path, OutputTarget& target) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        struct stat st;
        if (stat(part.c_str(), &st) != 0 && mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
            if (errno == ENAMETOOLONG)
                toolError(
                    "cannot create folder %s: the path is too long (%zu characters; the system takes %d)",
                    part.c_str(), part.size(), PATH_MAX - 1);
            else
                toolError("cannot create folder %s: %s", part.c_str(), std::strerror(errno));
            return false;
        }
        if (slash == std::string::npos) break;
    }
    std::string error;
    if (openOutputFolder(path, target, error)) return true;
    toolError("%s", error.c_str());
    return false;
}

bool writePngTarget(const OutputTarget& target, int width, int height, const uint8_t* rgba) {
    std::string error;
    if (writeTargetAtomically(
            target, [&](FILE* f) { return writePng(f, (uint32_t)width, (uint32_t)height, rgba); }, error))
        return true;
    toolError("%s", error.c_str());
    return false;
}

//-----------------------------------------------------------------------------
// Progress
//-----------------------------------------------------------------------------

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

bool startToolShow(RenderDevice& dev, int width, int height, bool antialias, int32_t firstFrame) {
    showInit();
    startShowImages(firstFrame);
    ShowDesc desc = {};
    desc.api = toolGlApi;
    desc.width = width;
    desc.height = height;
    desc.noAntialias = !antialias;
    desc.noVsync = true; // offscreen: nothing to wait for
    desc.startFrame = firstFrame;
    if (showStart(dev, desc)) return true;
    toolError("cannot start the show: %s", showError());
    return false;
}

//-----------------------------------------------------------------------------
// Frame loop
//-----------------------------------------------------------------------------

int toolFrameCount(int from, int to, int step) {
    return to < from || step < 1 ? 0 : (int)(((int64_t)to - from) / step + 1);
}

bool renderToolFrames(const ToolFrames& f,
                      const std::function<bool(int frame, const std::vector<uint8_t>& rgba)>& take) {
    RenderDevice dev = {};
    if (!startToolShow(dev, f.width, f.height, f.antialias, f.from)) return false;
    std::vector<uint8_t> pixels((size_t)f.width * f.height * 4);
    ShowCursor cursor = {};
    ToolProgress progress = {toolFrameCount(f.from, f.to, f.step), 0, 0};
    int done = 0;
    drawProgress(progress, done);
    for (int i = 0; i < progress.total; ++i) {
        if (toolStopSignal) break;
        const int frame = (int)(f.from + (int64_t)i * f.step); // within from..to: never past it
        catchUpAndRenderFrame(dev, cursor, frame, f.hook);
        readBackBuffer(dev, pixels.data());
        if (!take(frame, pixels)) break;
        drawProgress(progress, ++done);
    }
    if (done == progress.total && !toolStopSignal) return true;
    if (isatty(STDERR_FILENO) && !toolStopSignal) std::fputc('\n', stderr); // end the bar's line
    return false;
}
