// module_load.cpp - a scene module's copy opened with dlopen, its layout and tables checked, and the
// trial body that loads and plays it in a child process.
#include "edit/reload/module_load.h"

#include <SDL.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "base/arena.h"
#include "data/scene_module.h"
#include "director/director_state.h"
#include "director/music_levels.h"
#include "director/show_step.h"
#include "edit/reload/module_trial.h"
#include "show/show.h"

namespace {

constexpr int32_t kLargestSlot = 1 << 16; // float4 elements a slot may hold (the show's largest: 4096)

} // namespace

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
void sweepModuleCopies() {}
void trySceneModule(const char*) {}
void removeModuleCopy(int) {}

#else

#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

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

#endif // _WIN32
