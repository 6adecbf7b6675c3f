// module_trial.cpp - the child's trial (load, check, weigh, evaluate) and the parent's watch over it.
#include "edit/module_trial.h"

#ifdef _WIN32 // no reload of the scene data there, so nothing to try

bool startModuleTrial(ModuleTrial& trial, const char*) {
    trial.state = kTrialFailed;
    return false;
}
ModuleTrialState pollModuleTrial(ModuleTrial& trial) {
    return trial.state;
}
void stopModuleTrial(ModuleTrial&) {}
void sweepModuleCopies() {}

#else

#include <SDL.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "base/arena.h"
#include "director/director_state.h"
#include "director/music_levels.h"
#include "director/show_step.h"
#include "edit/data_reload.h"
#include "show/show.h"

namespace {

namespace fs = std::filesystem;

//-----------------------------------------------------------------------------
// The child
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

// Loads, checks and weighs the module, then evaluates the first, middle and last frame of each scene.
[[noreturn]] void tryInChild(const char* path, int out) {
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
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
    std::fflush(stdout);
    _exit(0);
}

//-----------------------------------------------------------------------------
// The parent
//-----------------------------------------------------------------------------

void readChild(ModuleTrial& t) {
    for (;;) {
        char chunk[1024];
        const ssize_t n = read(t.output, chunk, sizeof chunk);
        if (n <= 0) return;
        const uint32_t room = (uint32_t)sizeof t.log - 1 - t.logLength;
        const uint32_t take = (uint32_t)n < room ? (uint32_t)n : room;
        std::memcpy(t.log + t.logLength, chunk, take);
        t.logLength += take;
        t.log[t.logLength] = 0;
    }
}

// The last line the child printed: its reason, or what it was doing.
std::string lastLine(const ModuleTrial& t) {
    std::string log(t.log, t.logLength);
    while (!log.empty() && log.back() == '\n') log.pop_back();
    const size_t at = log.rfind('\n');
    return at == std::string::npos ? log : log.substr(at + 1);
}

ModuleTrialState finish(ModuleTrial& t, bool passed, const std::string& why) {
    readChild(t);
    close(t.output);
    t.output = -1;
    char copy[1100];
    sceneModuleCopyPath(t.child, 0, copy, sizeof copy); // a child that died left its copy behind
    std::remove(copy);
    t.child = 0;
    t.state = passed ? kTrialPassed : kTrialFailed;
    if (!passed) std::snprintf(t.message, sizeof t.message, "%s", why.c_str());
    return t.state;
}

} // namespace

bool startModuleTrial(ModuleTrial& t, const char* path) {
    stopModuleTrial(t);
    t = ModuleTrial{};
    t.output = -1;
    int ends[2];
    if (pipe(ends) != 0) {
        t.state = kTrialFailed;
        std::snprintf(t.message, sizeof t.message, "cannot start the module's trial: %s",
                      std::strerror(errno));
        return false;
    }
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(ends[0]);
        tryInChild(path, ends[1]);
    }
    close(ends[1]);
    if (pid < 0) {
        close(ends[0]);
        t.state = kTrialFailed;
        std::snprintf(t.message, sizeof t.message, "cannot start the module's trial: %s",
                      std::strerror(errno));
        return false;
    }
    fcntl(ends[0], F_SETFL, fcntl(ends[0], F_GETFL) | O_NONBLOCK);
    t.child = pid;
    t.output = ends[0];
    t.startTicks = SDL_GetPerformanceCounter();
    t.state = kTrialRunning;
    return true;
}

ModuleTrialState pollModuleTrial(ModuleTrial& t) {
    if (t.state != kTrialRunning) return t.state;
    readChild(t);
    int status = 0;
    const pid_t ended = waitpid(t.child, &status, WNOHANG);
    if (ended == 0) {
        const double seconds =
            (double)(SDL_GetPerformanceCounter() - t.startTicks) / (double)SDL_GetPerformanceFrequency();
        if (seconds < kTrialLimitSeconds) return kTrialRunning;
        kill(t.child, SIGKILL);
        waitpid(t.child, nullptr, 0);
        return finish(t, false,
                      "its trial did not end within " + std::to_string((int)kTrialLimitSeconds) + " s (" +
                          lastLine(t) + "): a static initialiser or a frame that never ends");
    }
    readChild(t);
    if (ended == t.child && WIFEXITED(status) && WEXITSTATUS(status) == 0) return finish(t, true, "");
    if (ended == t.child && WIFSIGNALED(status))
        return finish(t, false,
                      std::string("it ended on signal ") + std::to_string(WTERMSIG(status)) + " (" +
                          strsignal(WTERMSIG(status)) + ") while " + lastLine(t));
    return finish(t, false, lastLine(t));
}

void stopModuleTrial(ModuleTrial& t) {
    if (t.state != kTrialRunning || !t.child) return;
    kill(t.child, SIGKILL);
    waitpid(t.child, nullptr, 0);
    finish(t, false, "stopped");
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

#endif // _WIN32
