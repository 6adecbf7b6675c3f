// live_reload.cpp - looks at the shader files' times and sizes, reads them whole, hands them to the
// shader library's reload, and keeps the outcome for the panels and stderr.
#include "edit/reload/live_reload.h"

#include <SDL.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "render/shader_library.h"

#ifndef QZ_SOURCE_DIR
#define QZ_SOURCE_DIR "."
#endif

namespace {

namespace fs = std::filesystem;

int64_t writeTime(const fs::path& path, uint64_t& size) {
    std::error_code error;
    const auto time = fs::last_write_time(path, error);
    size = error ? 0 : (uint64_t)fs::file_size(path, error);
    return error ? -1 : (int64_t)time.time_since_epoch().count();
}

// True when any file's time or size differs from what was read last (a missing file counts as -1);
// the clock keeps the newest changed file's write time.
bool changed(ShaderWatch& w) {
    bool any = false;
    for (int f = 0; f < w.fileCount; ++f) {
        uint64_t size = 0;
        const fs::path path = fs::path(w.folder) / shaderFileNames[f];
        const int64_t time = writeTime(path, size);
        if (time != w.stamps[f] || size != w.sizes[f]) {
            noteSave(w.clock, path, !any);
            any = true;
        }
        w.stamps[f] = time;
        w.sizes[f] = size;
    }
    return any;
}

// True when the files hold what the program was built with (nothing to compile again).
bool asBuilt(const std::string* texts, int count) {
    std::string joined;
    for (int f = 0; f < count; ++f) joined += texts[f];
    return joined == std::string(shaderDeclarations) + shaderBodies;
}

// Reads every file and reloads the library from them; the outcome goes to the panels and stderr. At
// start (`first`) files that hold what was built in are not compiled again.
void reload(ShaderWatch& w, RenderDevice& dev, bool first) {
    const auto start = std::chrono::steady_clock::now();
    std::string texts[kWatchedFileCapacity];
    ShaderFileText files[kWatchedFileCapacity];
    for (int f = 0; f < w.fileCount; ++f) {
        const fs::path path = fs::path(w.folder) / shaderFileNames[f];
        // A FIFO would block the open (and the window with it), a folder reads as empty.
        std::error_code error;
        const fs::file_status status = fs::status(path, error);
        if (!error && fs::exists(status) && !fs::is_regular_file(status)) {
            w.failed = true;
            std::snprintf(w.message, sizeof w.message,
                          "%s is not a regular file (%s): the last shaders that compiled keep drawing",
                          path.string().c_str(),
                          fs::is_directory(status) ? "a folder" : "a FIFO, socket or device");
            std::fprintf(stderr, "qz001: %s\n", w.message);
            return;
        }
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            w.failed = true;
            std::snprintf(w.message, sizeof w.message,
                          "cannot read %s: the last shaders that compiled keep drawing",
                          path.string().c_str());
            std::fprintf(stderr, "qz001: %s\n", w.message);
            return;
        }
        std::ostringstream text;
        text << in.rdbuf();
        texts[f] = text.str();
        files[f] = ShaderFileText{shaderFileNames[f], texts[f].data(), (uint32_t)texts[f].size()};
    }
    if (first && asBuilt(texts, w.fileCount)) {
        std::snprintf(w.message, sizeof w.message, "shaders from %s: as built, watched for changes",
                      w.folder);
        return;
    }
    w.failed = !reloadShaderLibrary(dev, files, w.fileCount);
    w.lastMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (w.failed) {
        std::snprintf(w.message, sizeof w.message, "%s", renderError());
        std::fprintf(stderr,
                     "qz001: the shaders in %s do not compile; the last ones that did keep drawing:\n%s\n",
                     w.folder, w.message);
        return;
    }
    if (!first) ++w.reloads;
    if (first) w.changedAtStart = true;
    // At start the files were saved before the program ran: no save-to-screen time to tell.
    w.clock.awaitingFrame = !first;
    std::snprintf(w.message, sizeof w.message, "shaders from %s%s: compiled and linked in %.0f ms", w.folder,
                  first ? " (changed since this program was built)" : "", w.lastMs);
    std::fprintf(stderr, "qz001: %s\n", w.message);
}

} // namespace

const char* editSourceFolder() {
    const char* override = std::getenv("QZ_SOURCE_DIR");
    return override && override[0] ? override : QZ_SOURCE_DIR;
}

bool startShaderWatch(ShaderWatch& w, const char* sourceDir, RenderDevice& dev) {
    w = ShaderWatch{};
    std::snprintf(w.folder, sizeof w.folder, "%s/render/shaders", sourceDir);
    while (shaderFileNames[w.fileCount] && w.fileCount < kWatchedFileCapacity) ++w.fileCount;
    std::error_code error;
    w.found = fs::is_directory(w.folder, error);
    if (!w.found) {
        w.failed = true;
        std::snprintf(w.message, sizeof w.message,
                      "the source tree this program was built from is not there (%s): the shaders built "
                      "into it draw and are not reloaded (QZ_SOURCE_DIR names another)",
                      w.folder);
        std::fprintf(stderr, "qz001: %s\n", w.message);
        return false;
    }
    changed(w);
    w.clock = SaveClock{}; // what the files held at start was not saved in this run
    reload(w, dev, true);
    timeToLook(w.clock);
    return true;
}

bool pollShaderWatch(ShaderWatch& w, RenderDevice& dev) {
    if (!w.found || !timeToLook(w.clock) || !changed(w)) return false;
    reload(w, dev, false);
    return true;
}

void noteShaderFrameDrawn(ShaderWatch& w) {
    if (!noteFrameDrawn(w.clock)) return;
    if (w.clock.latencyKnown)
        std::fprintf(stderr, "qz001: the saved shaders were on screen %.0f ms after the save\n",
                     w.clock.latencyMs);
    else
        std::fprintf(stderr,
                     "qz001: the saved shaders are on screen (%s's write time is older than the "
                     "look before: no time from the save to tell)\n",
                     w.clock.lastSaved);
}
