// data_reload.cpp - the watch over data/, the background build of the scene module, and its load,
// check and swap.
#include "edit/data_reload.h"

#include <SDL.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "data/scene_module.h"
#include "show/show.h"

#ifndef QZ_BUILD_DIR
#define QZ_BUILD_DIR "build"
#endif
#ifndef QZ_SCENE_MODULE_NAME
#define QZ_SCENE_MODULE_NAME "libqz_scene_module.so"
#endif

namespace {

namespace fs = std::filesystem;

constexpr int32_t kLargestSlot = 1 << 16; // float4 elements a slot may hold (the show's largest: 4096)
constexpr int kErrorLinesShown = 12;      // of a failed build's output, from its first error on

void say(DataWatch& w, bool failed, const char* text) {
    w.failed = failed;
    std::snprintf(w.message, sizeof w.message, "%s", text);
    std::fprintf(stderr, "qz001: %s\n", text);
}

} // namespace

SceneSet embeddedSceneSet() {
    return SceneSet{sceneTable, sceneNames, embeddedTracks, &trackNames};
}

const char* editBuildFolder() {
    const char* override = std::getenv("QZ_BUILD_DIR");
    return override && override[0] ? override : QZ_BUILD_DIR;
}

bool checkSceneSet(const SceneSet& set, char* error, uint32_t errorSize) {
    for (int s = 0; s < kSceneCount; ++s) {
        const SceneEntry& scene = set.scenes.scenes[s];
        if (!scene.nodes || scene.duration <= 0 || scene.duration > kShowFrameCount) {
            std::snprintf(error, errorSize, "scene %d has no nodes or a length of %d frames (1..%d)", s,
                          scene.duration, kShowFrameCount);
            return false;
        }
        for (int k = 0; k < kSlotsPerScene; ++k) {
            const NodeSource& n = scene.nodes[k];
            for (int32_t input : n.inputs)
                if (input < -1 || input >= kSlotsPerScene) {
                    std::snprintf(error, errorSize, "scene %d slot %d reads slot %d, outside the scene", s, k,
                                  input);
                    return false;
                }
            if (n.outputCount > (uint32_t)kLargestSlot) {
                std::snprintf(error, errorSize, "scene %d slot %d holds %u elements (at most %d)", s, k,
                              n.outputCount, kLargestSlot);
                return false;
            }
        }
    }
    for (int t = 0; t < kTrackCount; ++t)
        if (set.tracks[t].keyCount > (uint32_t)kKeysPerTrack) {
            std::snprintf(error, errorSize, "track %d has %u keys (at most %d)", t, set.tracks[t].keyCount,
                          kKeysPerTrack);
            return false;
        }
    return true;
}

#ifdef _WIN32 // no dlopen: the scene data is not reloaded

bool loadSceneModule(const char*, uint32_t, SceneModuleHandle&, SceneSet&, char* error, uint32_t errorSize) {
    std::snprintf(error, errorSize, "this build loads no scene module");
    return false;
}
void unloadSceneModule(SceneModuleHandle& handle) {
    handle = SceneModuleHandle{};
}
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

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// The first error of a build's output and the lines after it ("data/scene_04_drop.cpp:30:5: error: ...").
void firstErrors(const char* log, char* out, size_t size) {
    const char* at = std::strstr(log, "error");
    if (!at) at = log;
    while (at > log && at[-1] != '\n') --at;
    size_t used = 0;
    for (int line = 0; line < kErrorLinesShown && *at && used + 1 < size; ++line) {
        const char* end = std::strchr(at, '\n');
        const size_t length = end ? (size_t)(end - at + 1) : std::strlen(at);
        const size_t take = length < size - used - 1 ? length : size - used - 1;
        std::memcpy(out + used, at, take);
        used += take;
        at += length;
    }
    out[used] = 0;
}

// True when a file of data/ changed since the last look; the clock keeps the newest one's write time.
bool changed(DataWatch& w) {
    bool any = false;
    for (int f = 0; f < w.fileCount; ++f) {
        std::error_code error;
        const auto time = fs::last_write_time(fs::path(w.folder) / w.names[f], error);
        const int64_t stamp = error ? -1 : (int64_t)time.time_since_epoch().count();
        if (stamp == w.stamps[f]) continue;
        w.stamps[f] = stamp;
        noteSave(w.clock, fs::path(w.folder) / w.names[f], !any);
        any = true;
    }
    return any;
}

// Starts `cmake --build <build> --target qz_scene_module`, its output into a pipe read without waiting.
bool startBuild(DataWatch& w) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    char* argv[] = {(char*)"cmake",    (char*)"--build",         w.build,
                    (char*)"--target", (char*)"qz_scene_module", nullptr};
    // The compiler's messages in plain ASCII quotes: the panels' font has no others.
    std::vector<char*> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "LC_ALL=", 7) != 0) env.push_back(*e);
    env.push_back((char*)"LC_ALL=C");
    env.push_back(nullptr);
    pid_t pid = 0;
    const int result = posix_spawnp(&pid, "cmake", &actions, nullptr, argv, env.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (result != 0) {
        close(pipeEnds[0]);
        return false;
    }
    fcntl(pipeEnds[0], F_SETFL, fcntl(pipeEnds[0], F_GETFL) | O_NONBLOCK);
    w.builder = pid;
    w.buildStart = SDL_GetPerformanceCounter();
    w.output = pipeEnds[0];
    w.logLength = 0;
    w.log[0] = 0;
    return true;
}

void readOutput(DataWatch& w) {
    for (;;) {
        char chunk[4096];
        const ssize_t n = read(w.output, chunk, sizeof chunk);
        if (n <= 0) return;
        const uint32_t room = (uint32_t)sizeof w.log - 1 - w.logLength;
        const uint32_t take = (uint32_t)n < room ? (uint32_t)n : room;
        std::memcpy(w.log + w.logLength, chunk, take);
        w.logLength += take;
        w.log[w.logLength] = 0;
    }
}

// Loads the module the finished build made and swaps it in.
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
    if (!replaceSceneData(set.scenes, set.tracks)) {
        say(w, true, showError());
        unloadSceneModule(next);
        return false;
    }
    scenes = set;
    unloadSceneModule(w.loaded);
    w.loaded = next;
    ++w.reloads;
    w.clock.awaitingFrame = true;
    char text[128];
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
    return swapIn(w, scenes);
}

} // namespace

bool loadSceneModule(const char* path, uint32_t copyNumber, SceneModuleHandle& handle, SceneSet& set,
                     char* error, uint32_t errorSize) {
    handle = SceneModuleHandle{};
    std::error_code failure;
    const fs::path copy = fs::temp_directory_path(failure) / ("qz001-scenes-" + std::to_string(getpid()) +
                                                              "-" + std::to_string(copyNumber) + ".so");
    fs::copy_file(path, copy, fs::copy_options::overwrite_existing, failure);
    if (failure) {
        std::snprintf(error, errorSize, "cannot copy %s: %s", path, failure.message().c_str());
        return false;
    }
    std::snprintf(handle.path, sizeof handle.path, "%s", copy.c_str());
    handle.library = dlopen(handle.path, RTLD_NOW | RTLD_LOCAL);
    const auto entry = handle.library ? (SceneModuleFn)dlsym(handle.library, kSceneModuleEntry) : nullptr;
    if (!entry) {
        std::snprintf(error, errorSize, "cannot load %s: %s", path, dlerror());
        unloadSceneModule(handle);
        return false;
    }
    const SceneModule* module = entry();
    set = SceneSet{*module->scenes, module->sceneNames, module->tracks, module->trackNames};
    if (!checkSceneSet(set, error, errorSize)) {
        unloadSceneModule(handle);
        return false;
    }
    return true;
}

void unloadSceneModule(SceneModuleHandle& handle) {
    if (handle.library) dlclose(handle.library);
    if (handle.path[0]) std::remove(handle.path);
    handle = SceneModuleHandle{};
}

bool startDataWatch(DataWatch& w, const char* sourceDir, const char* buildDir) {
    w = DataWatch{};
    w.output = -1;
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
    for (const fs::directory_entry& entry : fs::directory_iterator(w.folder, error)) {
        const fs::path name = entry.path().filename();
        const bool source = name.extension() == ".cpp" || name.extension() == ".h";
        if (!source || w.fileCount == kDataFileCapacity || name.string().size() >= sizeof w.names[0])
            continue;
        std::snprintf(w.names[w.fileCount++], sizeof w.names[0], "%s", name.c_str());
    }
    w.found = true;
    changed(w);
    timeToLook(w.clock);
    std::snprintf(w.message, sizeof w.message, "scene data from %s: as built, watched for changes", w.folder);
    return true;
}

bool pollDataWatch(DataWatch& w, SceneSet& scenes) {
    if (!w.found || !timeToLook(w.clock)) return false;
    const bool saved = changed(w);
    if (w.builder) {
        readOutput(w);
        int status = 0;
        if (waitpid(w.builder, &status, WNOHANG) != w.builder) {
            w.again = w.again || saved;
            return false;
        }
        const bool swapped = finishBuild(w, scenes, status);
        if (!w.again) return swapped;
        w.again = false;
        if (startBuild(w)) say(w, false, "scene data saved again: building once more");
        return swapped;
    }
    if (!saved) return false;
    if (!startBuild(w)) {
        say(w, true, "cannot run cmake to build the scene data");
        return false;
    }
    say(w, false, "scene data saved: building it");
    return false;
}

void noteDataFrameDrawn(DataWatch& w) {
    if (!noteFrameDrawn(w.clock)) return;
    std::fprintf(stderr, "qz001: the saved scene data was on screen %.0f ms after the save\n",
                 w.clock.latencyMs);
}

void stopDataWatch(DataWatch& w) {
    if (w.builder) {
        kill(w.builder, SIGTERM);
        waitpid(w.builder, nullptr, 0);
    }
    if (w.output >= 0) close(w.output);
    unloadSceneModule(w.loaded);
    w = DataWatch{};
}

#endif // _WIN32
