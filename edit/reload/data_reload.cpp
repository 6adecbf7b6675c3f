// data_reload.cpp - the watch over data/: changed files found by their content, the build started and
// collected (data_build.cpp), the rebuilt module tried, loaded and swapped in (module_load.cpp).
#include "edit/reload/data_reload.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "show/show.h"

#ifndef QZ_BUILD_DIR
#define QZ_BUILD_DIR "build"
#endif
#ifndef QZ_SCENE_MODULE_NAME
#define QZ_SCENE_MODULE_NAME "libqz_scene_module.so"
#endif

namespace {

namespace fs = std::filesystem;

void say(DataWatch& w, bool failed, const char* text) {
    w.failed = failed;
    std::snprintf(w.message, sizeof w.message, "%s", text);
    std::fprintf(stderr, "qz001: %s\n", text);
}

} // namespace

uint64_t hashFileContent(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return 0;
    uint64_t hash = 1469598103934665603ull;
    unsigned char chunk[8192];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        for (size_t i = 0; i < n; ++i) hash = (hash ^ chunk[i]) * 1099511628211ull;
    std::fclose(file);
    return hash ? hash : 1;
}

const char* editBuildFolder() {
    const char* override = std::getenv("QZ_BUILD_DIR");
    return override && override[0] ? override : QZ_BUILD_DIR;
}

#ifdef _WIN32 // no dlopen: the scene data is not reloaded

bool startDataWatch(DataWatch& w, const char*, const char*) {
    w = DataWatch{};
    say(w, true, "scene data is reloaded by the Linux build only; here the data built in plays");
    return false;
}
bool pollDataWatch(DataWatch&, SceneSet&) {
    return false;
}
void noteDataFrameDrawn(DataWatch&) {}
void stopDataWatch(DataWatch&) {}

#else

#include <sys/wait.h>
#include <unistd.h>

#include "edit/reload/data_build.h"

namespace {

// True when a file of data/ holds other content than at the last look (its status changed, then its
// hash); the clock keeps the newest changed one's write time.
bool changed(DataWatch& w) {
    bool any = false;
    for (int f = 0; f < w.fileCount; ++f) {
        const fs::path path = fs::path(w.folder) / w.names[f];
        const int64_t stamp = statusStamp(path);
        if (stamp == w.stamps[f]) continue;
        w.stamps[f] = stamp;
        const uint64_t hash = stamp < 0 ? 0 : hashFileContent(path.c_str());
        if (hash == w.hashes[f]) continue;
        w.hashes[f] = hash;
        noteSave(w.clock, path, !any);
        any = true;
    }
    return any;
}

// Loads the module that passed its trial and swaps it in. At start, a module that holds what the
// program was built with changes nothing.
bool swapIn(DataWatch& w, SceneSet& scenes) {
    SceneModuleHandle next = {};
    SceneSet set = {};
    char error[1024];
    if (!loadSceneModule(w.module, ++w.loads, next, set, error, sizeof error)) {
        char text[1400];
        std::snprintf(text, sizeof text,
                      "the rebuilt scene data cannot be played: %s; the last good data plays on", error);
        say(w, true, text);
        return false;
    }
    const bool atStart = w.atStart;
    w.atStart = false;
    if (atStart && sameSceneData(set, scenes)) {
        unloadSceneModule(next);
        std::snprintf(w.message, sizeof w.message, "scene data from %s: as built, watched for changes",
                      w.folder);
        return false;
    }
    if (!replaceSceneData(set.scenes, set.tracks)) {
        say(w, true, showError());
        unloadSceneModule(next);
        return false;
    }
    scenes = set;
    unloadSceneModule(w.loaded);
    w.loaded = next;
    if (!atStart) ++w.reloads;
    w.clock.awaitingFrame = !atStart; // at start the save came before the program: no latency to tell
    char text[1400];
    if (atStart)
        std::snprintf(text, sizeof text,
                      "scene data from %s: the tree's (changed since this program was built), built in %.0f "
                      "ms and swapped in",
                      w.folder, w.buildMs);
    else
        std::snprintf(text, sizeof text, "scene data rebuilt in %.0f ms and swapped in", w.buildMs);
    say(w, false, text);
    return true;
}

// Collects a finished build: its errors, or its module.
bool finishBuild(DataWatch& w, SceneSet& scenes, int status) {
    readOutput(w);
    close(w.output);
    w.output = -1;
    w.builder = 0;
    w.buildMs =
        (double)(SDL_GetPerformanceCounter() - w.buildStart) * 1000.0 / (double)SDL_GetPerformanceFrequency();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        char errors[6000], text[7000];
        firstErrors(w.log, errors, sizeof errors);
        std::snprintf(text, sizeof text, "the scene data does not build; the last good data plays on:\n%s",
                      errors);
        say(w, true, text);
        return false;
    }
    (void)scenes;
    writeBuiltHashes(w);
    if (!startModuleTrial(w.trial, w.module, trySceneModule, removeModuleCopy)) {
        say(w, true, w.trial.message);
        return false;
    }
    if (w.atStart) // at every start: quiet unless the tree turns out to differ
        std::snprintf(w.message, sizeof w.message, "scene data from %s: trying the tree's build", w.folder);
    else
        say(w, false, "scene data built: trying it");
    return false;
}

} // namespace

// The value of `key` in a CMake cache ("CMAKE_HOME_DIRECTORY:INTERNAL=/path"), empty when missing.
static std::string cacheValue(const fs::path& cache, const char* key) {
    std::ifstream in(cache);
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0 && line.find('=') != std::string::npos)
            return line.substr(line.find('=') + 1);
    return {};
}

static bool sameFolder(const fs::path& a, const std::string& b) {
    std::error_code error;
    return !b.empty() && fs::equivalent(a, b, error);
}

// The build folder must build the sources watched, and be the folder its cache was made in (a copied
// build folder makes cmake refuse, with status 0, and nothing new is built).
static bool checkPairing(DataWatch& w, const char* sourceDir, const char* buildDir) {
    const fs::path cache = fs::path(buildDir) / "CMakeCache.txt";
    const std::string home = cacheValue(cache, "CMAKE_HOME_DIRECTORY");
    const std::string made = cacheValue(cache, "CMAKE_CACHEFILE_DIR");
    char text[3400];
    if (!sameFolder(sourceDir, home))
        std::snprintf(text, sizeof text,
                      "the build folder %s builds the sources in %s, not the watched %s: the scene data "
                      "is not reloaded (QZ_BUILD_DIR must name a build of QZ_SOURCE_DIR)",
                      buildDir, home.c_str(), sourceDir);
    else if (!sameFolder(buildDir, made))
        std::snprintf(text, sizeof text,
                      "the build folder %s was made in %s and copied: cmake will not build in it, so the "
                      "scene data is not reloaded (configure a build there, or name the original)",
                      buildDir, made.c_str());
    else
        return true;
    say(w, true, text);
    return false;
}

bool startDataWatch(DataWatch& w, const char* sourceDir, const char* buildDir) {
    w = DataWatch{};
    w.output = -1;
    sweepModuleCopies();
    std::snprintf(w.folder, sizeof w.folder, "%s/data", sourceDir);
    std::snprintf(w.build, sizeof w.build, "%s", buildDir);
    std::snprintf(w.module, sizeof w.module, "%s/data/%s", buildDir, QZ_SCENE_MODULE_NAME);
    std::error_code error;
    if (!fs::is_directory(w.folder, error) ||
        !fs::is_regular_file(fs::path(buildDir) / "CMakeCache.txt", error)) {
        char text[2400];
        std::snprintf(
            text, sizeof text,
            "the source tree or the build this program was built from is not there (%s, %s): the "
            "scene data built into it plays and is not reloaded (QZ_SOURCE_DIR and QZ_BUILD_DIR name "
            "others)",
            w.folder, buildDir);
        say(w, true, text);
        return false;
    }
    if (!checkPairing(w, sourceDir, buildDir)) return false;
    for (const fs::directory_entry& entry : fs::directory_iterator(w.folder, error)) {
        const fs::path name = entry.path().filename();
        const bool source = name.extension() == ".cpp" || name.extension() == ".h";
        if (!source || w.fileCount == kDataFileCapacity || name.string().size() >= sizeof w.names[0])
            continue;
        std::snprintf(w.names[w.fileCount++], sizeof w.names[0], "%s", name.c_str());
    }
    w.found = true;
    std::snprintf(w.record, sizeof w.record, "%s/data/scene_sources.hash", buildDir);
    changed(w);
    w.clock = SaveClock{}; // what the files held at start was not saved in this run
    readBuiltHashes(w);
    timeToLook(w.clock);
    // The tree may hold data saved after this program was built: build it now (nothing to do when it
    // did not change) and take it when it differs from what plays.
    w.atStart = startBuild(w);
    std::snprintf(w.message, sizeof w.message, "scene data from %s: %s", w.folder,
                  w.atStart ? "checking the tree against what was built" : "as built, watched for changes");
    return true;
}

constexpr const char* kSavedAgain = "scene data saved again: building once more";

// Builds what a save of this run left (not the tree as found at start), saying `what` once started.
static void buildSave(DataWatch& w, const char* what) {
    w.atStart = false;
    if (startBuild(w))
        say(w, false, what);
    else
        say(w, true, "cannot run cmake to build the scene data");
}

// A build under way: collects its output, ends it past its limit, starts the trial of what it made.
static bool pollBuild(DataWatch& w, SceneSet& scenes, bool saved) {
    readOutput(w);
    w.again = w.again || saved; // a save seen at the look that finds the build ended is built too
    int status = 0;
    if (waitpid(w.builder, &status, WNOHANG) != w.builder) {
        const double seconds =
            (double)(SDL_GetPerformanceCounter() - w.buildStart) / (double)SDL_GetPerformanceFrequency();
        if (seconds < kBuildLimitSeconds) return false;
        endBuild(w);
        char text[600];
        std::snprintf(text, sizeof text,
                      "the scene data's build did not end within %.0f s and was stopped (a file that is "
                      "not a regular file, or a compiler that hangs?); the last good data plays on",
                      kBuildLimitSeconds);
        say(w, true, text);
        w.atStart = false;
        return false;
    }
    finishBuild(w, scenes, status);
    if (w.again) {
        w.again = false;
        stopModuleTrial(w.trial);
        buildSave(w, kSavedAgain); // what the build or its trial made is old already
    }
    return false;
}

bool pollDataWatch(DataWatch& w, SceneSet& scenes) {
    if (!w.found) return false;
    if (w.trial.state == kTrialRunning) { // looked at every refresh: a trial ends in a second or so
        const ModuleTrialState state = pollModuleTrial(w.trial);
        if (state == kTrialRunning) return false;
        w.trial.state = kTrialIdle;
        if (changed(w)) {
            buildSave(w, kSavedAgain);
            return false;
        }
        if (state == kTrialPassed) return swapIn(w, scenes);
        char text[1600];
        std::snprintf(text, sizeof text,
                      "the rebuilt scene data cannot be played: %s; the last good data plays on",
                      w.trial.message);
        say(w, true, text);
        w.atStart = false;
        return false;
    }
    if (!timeToLook(w.clock)) return false;
    const bool saved = changed(w);
    if (w.builder) return pollBuild(w, scenes, saved);
    if (!saved) return false;
    buildSave(w, "scene data saved: building it");
    return false;
}

void noteDataFrameDrawn(DataWatch& w) {
    if (!noteFrameDrawn(w.clock)) return;
    if (w.clock.latencyKnown)
        std::fprintf(stderr, "qz001: the saved scene data was on screen %.0f ms after the save\n",
                     w.clock.latencyMs);
    else
        std::fprintf(stderr,
                     "qz001: the saved scene data is on screen (%s's write time is older than the "
                     "look before: no time from the save to tell)\n",
                     w.clock.lastSaved);
}

void stopDataWatch(DataWatch& w) {
    if (w.builder) endBuild(w);
    if (w.output >= 0) close(w.output);
    stopModuleTrial(w.trial);
    unloadSceneModule(w.loaded);
    w = DataWatch{};
}

#endif // _WIN32
