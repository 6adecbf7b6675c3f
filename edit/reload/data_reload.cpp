// data_reload.cpp - the watch over data/, the background build of the scene module, and its load,
// check and swap.
#include "edit/reload/data_reload.h"

#include <SDL.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/arena.h"
#include "data/scene_module.h"
#include "director/director_state.h"
#include "director/music_levels.h"
#include "director/show_step.h"
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
        if (!scene.nodes) {
            std::snprintf(error, errorSize, "scene %d has no node table (nodes is null)", s);
            return false;
        }
        if (scene.duration <= 0 || scene.duration > kShowFrameCount) {
            std::snprintf(error, errorSize, "scene %d has a length of %d frames (1..%d)", s, scene.duration,
                          kShowFrameCount);
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
void sweepModuleCopies() {}
void trySceneModule(const char*) {}
void removeModuleCopy(int) {}

#else

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
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

// A file's status in one number: any write, touch, rename or copy over it changes its change time.
int64_t statusStamp(const fs::path& path) {
    struct stat st = {};
    if (stat(path.c_str(), &st) != 0) return -1;
    const int64_t parts[] = {(int64_t)st.st_mtim.tv_sec, (int64_t)st.st_mtim.tv_nsec,
                             (int64_t)st.st_ctim.tv_sec, (int64_t)st.st_ctim.tv_nsec,
                             (int64_t)st.st_size,        (int64_t)st.st_ino};
    uint64_t stamp = 1469598103934665603ull;
    for (int64_t part : parts) stamp = (stamp ^ (uint64_t)part) * 1099511628211ull;
    return (int64_t)(stamp >> 1);
}

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

// The build decides on times: each file whose content differs from what the module was built from
// and whose time is not after the module's gets the current time, so that it is compiled.
void forceChangedSources(DataWatch& w) {
    std::error_code error;
    const fs::file_time_type built = fs::last_write_time(w.module, error);
    if (error) return; // no module yet: everything is built
    for (int f = 0; f < w.fileCount; ++f) {
        if (w.hashes[f] == w.builtHashes[f] || !w.hashes[f]) continue;
        const fs::path path = fs::path(w.folder) / w.names[f];
        if (fs::last_write_time(path, error) > built && !error) continue;
        fs::last_write_time(path, fs::file_time_type::clock::now(), error);
        if (error) continue; // a file we may not touch: its build is as make decides
        std::fprintf(stderr,
                     "qz001: %s changed but is older than the scene module: given the current "
                     "time so that it is built\n",
                     path.c_str());
        w.stamps[f] = statusStamp(path);
    }
}

// The hashes the module was built from, one "HASH NAME" line a file, kept beside it between runs.
void readBuiltHashes(DataWatch& w) {
    for (int f = 0; f < w.fileCount; ++f) w.builtHashes[f] = w.hashes[f]; // unknown: as make decides
    FILE* in = std::fopen(w.record, "r");
    if (!in) return;
    unsigned long long hash = 0;
    char name[64];
    while (std::fscanf(in, "%llx %63s", &hash, name) == 2)
        for (int f = 0; f < w.fileCount; ++f)
            if (std::strcmp(name, w.names[f]) == 0) w.builtHashes[f] = hash;
    std::fclose(in);
}

void writeBuiltHashes(DataWatch& w) {
    std::memcpy(w.builtHashes, w.buildingHashes, sizeof w.builtHashes);
    const std::string temporary = std::string(w.record) + ".new";
    FILE* out = std::fopen(temporary.c_str(), "w");
    if (!out) return;
    for (int f = 0; f < w.fileCount; ++f)
        std::fprintf(out, "%016llx %s\n", (unsigned long long)w.builtHashes[f], w.names[f]);
    const bool written = std::fclose(out) == 0;
    if (!written || std::rename(temporary.c_str(), w.record) != 0) std::remove(temporary.c_str());
}

// Starts `cmake --build <build> --target qz_scene_module`, its output into a pipe read without waiting.
bool startBuild(DataWatch& w) {
    forceChangedSources(w);
    std::memcpy(w.buildingHashes, w.hashes, sizeof w.hashes);
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
    // In a process group of its own, so that ending it ends the compilers it started too.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = 0;
    const int result = posix_spawnp(&pid, "cmake", &actions, &attributes, argv, env.data());
    posix_spawnattr_destroy(&attributes);
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

//-----------------------------------------------------------------------------
// The trial, in a child process
//-----------------------------------------------------------------------------

void arenaFull(const char*) {
    std::printf("its scenes fill the work arena (\"memory over!!!\")\n");
    std::fflush(stdout);
    _exit(2);
}

[[noreturn]] void failTrial(const char* reason) {
    std::printf("%s\n", reason);
    std::fflush(stdout);
    _exit(2);
}

// The trial's body, in the child: loads, checks and weighs the module, then evaluates the first,
// middle and last frame of each scene, each within kTrialFrameLimitMs.
void tryInChild(const char* path) {
    setSpectrumSource(SpectrumSource{}); // the music's device is the parent's: the spectrum reads zeros
    arenaSetWarningHandler(arenaFull);
    std::printf("loading it\n");
    std::fflush(stdout);
    SceneModuleHandle handle = {};
    SceneSet set = {};
    char error[1024];
    if (!loadSceneModule(path, 0, handle, set, error, sizeof error)) failTrial(error);
    const uint32_t need = sceneDataBytes(set.scenes), room = sceneDataRoom();
    if (need > room) {
        std::snprintf(error, sizeof error,
                      "its scenes reserve %.1f MiB of the work arena, which has room for %.1f MiB",
                      need / 1048576.0, room / 1048576.0);
        failTrial(error);
    }
    if (!replaceSceneData(set.scenes, set.tracks)) failTrial(showError());
    for (int s = 0; s < kSceneCount; ++s) {
        const int32_t first = sceneFirstFrame(s, set.scenes), length = set.scenes.scenes[s].duration;
        const int32_t frames[] = {0, length / 2, length - 1};
        for (int32_t local : frames) {
            std::printf("trying scene %d frame %d\n", s, local);
            std::fflush(stdout);
            const uint64_t start = SDL_GetPerformanceCounter();
            restartDirectorState(s);
            evaluateFrame(demoClockAtFrame(first + local, set.scenes), kShowAspect);
            endFrameOutputs(frameSettings, &lineList);
            const double ms = (double)(SDL_GetPerformanceCounter() - start) * 1000.0 /
                              (double)SDL_GetPerformanceFrequency();
            if (ms > kTrialFrameLimitMs) {
                std::snprintf(error, sizeof error,
                              "scene %d frame %d takes %.0f ms to evaluate (at most %.0f)", s, local, ms,
                              kTrialFrameLimitMs);
                failTrial(error);
            }
        }
    }
    unloadSceneModule(handle);
    std::printf("passed\n");
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
    if (!startModuleTrial(w.trial, w.module, tryInChild, removeModuleCopy)) {
        say(w, true, w.trial.message);
        return false;
    }
    if (w.atStart) // at every start: quiet unless the tree turns out to differ
        std::snprintf(w.message, sizeof w.message, "scene data from %s: trying the tree's build", w.folder);
    else
        say(w, false, "scene data built: trying it");
    return false;
}

// Ends a build that has run past its limit, and its compilers with it.
void endBuild(DataWatch& w) {
    kill(-w.builder, SIGKILL);
    waitpid(w.builder, nullptr, 0);
    close(w.output);
    w.output = -1;
    w.builder = 0;
}

} // namespace

void sceneModuleCopyPath(int pid, uint32_t copy, char* out, uint32_t size) {
    std::error_code failure;
    const fs::path path = fs::temp_directory_path(failure) /
                          ("qz001-scenes-" + std::to_string(pid) + "-" + std::to_string(copy) + ".so");
    std::snprintf(out, size, "%s", path.c_str());
}

// Every pointer the panels and the director follow: the tables and each scene's names.
static bool checkModuleTables(const SceneModule* m, char* error, uint32_t errorSize) {
    const char* missing = !m               ? "its entry returned no tables"
                          : !m->scenes     ? "its scene table is null"
                          : !m->sceneNames ? "its scene names are null"
                          : !m->tracks     ? "its tracks are null"
                          : !m->trackNames ? "its track names are null"
                                           : nullptr;
    for (int s = 0; !missing && s < kSceneCount; ++s)
        if (!m->sceneNames[s].name || !m->sceneNames[s].slots || !m->sceneNames[s].places) {
            std::snprintf(error, errorSize, "scene %d's name, slot names or slot places are null", s);
            return false;
        }
    if (missing) std::snprintf(error, errorSize, "%s", missing);
    return !missing;
}

bool loadSceneModule(const char* path, uint32_t copyNumber, SceneModuleHandle& handle, SceneSet& set,
                     char* error, uint32_t errorSize) {
    handle = SceneModuleHandle{};
    sceneModuleCopyPath(getpid(), copyNumber, handle.path, sizeof handle.path);
    std::error_code failure;
    fs::copy_file(path, handle.path, fs::copy_options::overwrite_existing, failure);
    if (failure) {
        std::snprintf(error, errorSize, "cannot copy %s: %s", path, failure.message().c_str());
        handle.path[0] = 0;
        return false;
    }
    handle.library = dlopen(handle.path, RTLD_NOW | RTLD_LOCAL);
    const auto layout = handle.library ? (SceneLayoutFn)dlsym(handle.library, kSceneLayoutEntry) : nullptr;
    const auto entry = handle.library ? (SceneModuleFn)dlsym(handle.library, kSceneModuleEntry) : nullptr;
    if (!layout || !entry) {
        const char* why = dlerror();
        std::snprintf(error, errorSize, "cannot load %s: %s", path, why ? why : "no entry point");
        unloadSceneModule(handle);
        return false;
    }
    if (layout() != sceneLayoutStamp()) {
        std::snprintf(error, errorSize,
                      "its records are laid out differently from this program's (a header of data/ "
                      "changed): build the program again and restart the edit mode");
        unloadSceneModule(handle);
        return false;
    }
    const SceneModule* module = entry();
    if (!checkModuleTables(module, error, errorSize)) {
        unloadSceneModule(handle);
        return false;
    }
    set = SceneSet{*module->scenes, module->sceneNames, module->tracks, module->trackNames};
    if (!checkSceneSet(set, error, errorSize)) {
        unloadSceneModule(handle);
        return false;
    }
    return true;
}

void trySceneModule(const char* path) {
    tryInChild(path);
}

void removeModuleCopy(int pid) {
    char copy[1100];
    sceneModuleCopyPath(pid, 0, copy, sizeof copy);
    std::remove(copy);
}

void sweepModuleCopies() {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::temp_directory_path(error), error)) {
        const std::string name = entry.path().filename().string();
        int pid = 0;
        if (std::sscanf(name.c_str(), "qz001-scenes-%d-", &pid) != 1 || pid <= 0) continue;
        if (kill(pid, 0) != 0 && errno == ESRCH) fs::remove(entry.path(), error);
    }
}

bool sameSceneData(const SceneSet& a, const SceneSet& b) {
    for (int s = 0; s < kSceneCount; ++s) {
        const SceneEntry &x = a.scenes.scenes[s], &y = b.scenes.scenes[s];
        if (x.duration != y.duration || std::memcmp(x.nodes, y.nodes, sizeof(NodeSource) * kSlotsPerScene))
            return false;
    }
    return std::memcmp(a.tracks, b.tracks, sizeof(Track) * kTrackCount) == 0;
}

void unloadSceneModule(SceneModuleHandle& handle) {
    if (handle.library) dlclose(handle.library);
    if (handle.path[0]) std::remove(handle.path);
    handle = SceneModuleHandle{};
}

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

// A build under way: collects its output, ends it past its limit, starts the trial of what it made.
static bool pollBuild(DataWatch& w, SceneSet& scenes, bool saved) {
    readOutput(w);
    int status = 0;
    if (waitpid(w.builder, &status, WNOHANG) != w.builder) {
        w.again = w.again || saved;
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
        if (startBuild(w)) say(w, false, "scene data saved again: building once more");
    }
    return false;
}

bool pollDataWatch(DataWatch& w, SceneSet& scenes) {
    if (!w.found) return false;
    if (w.trial.state == kTrialRunning) { // looked at every refresh: a trial ends in a second or so
        const ModuleTrialState state = pollModuleTrial(w.trial);
        if (state == kTrialRunning) return false;
        w.trial.state = kTrialIdle;
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
    w.atStart = false;
    if (!startBuild(w)) {
        say(w, true, "cannot run cmake to build the scene data");
        return false;
    }
    say(w, false, "scene data saved: building it");
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
