// tool_common.cpp - error reporting and atomic file output for qz001-tool.
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/qz001-tool/tool.h"

#include "base/atomic_file.h"
#include "show/show.h"

int toolExitCode = 0;

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
    std::fprintf(stderr, "\r[%.*s%*s] %d/%d frames  %.1f frames/s  %d:%02d left ", filled,
                 "##############################", barWidth - filled, "", done, p.total, rate, left / 60,
                 left % 60);
    if (done == p.total) std::fputc('\n', stderr);
    std::fflush(stderr);
}

bool startToolShow(RenderDevice& dev, int width, int height, bool antialias) {
    showInit();
    ShowDesc desc = {};
    desc.width = width;
    desc.height = height;
    desc.antialias = antialias;
    if (showStart(dev, desc)) return true;
    toolError("cannot start the show: %s", showError());
    return false;
}
