// module_trial.cpp - the child that runs a trial, and the parent's watch over it.
#include "edit/reload/module_trial.h"

#ifdef _WIN32 // no reload of the scene data there, so nothing to try

bool startModuleTrial(ModuleTrial& trial, const char*, TrialBody, TrialCleanUp) {
    trial.state = kTrialFailed;
    return false;
}
ModuleTrialState pollModuleTrial(ModuleTrial& trial) {
    return trial.state;
}
void stopModuleTrial(ModuleTrial&) {}

#else

#include <SDL.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "base/child_output.h"

namespace {

[[noreturn]] void runChild(const char* path, TrialBody body, int out) {
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    body(path);
    std::fflush(stdout);
    _exit(0);
}

//-----------------------------------------------------------------------------
// The parent
//-----------------------------------------------------------------------------

// The end of the log: its last line is the child's reason, or what it was doing.
void readChild(ModuleTrial& t) {
    readChildOutput(t.output, t.log, sizeof t.log, t.logLength, kKeepLogEnd);
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
    t.lastChild = t.child;
    t.child = 0;
    if (t.cleanUp) t.cleanUp(t.lastChild);
    t.state = passed ? kTrialPassed : kTrialFailed;
    if (!passed) std::snprintf(t.message, sizeof t.message, "%s", why.c_str());
    return t.state;
}

} // namespace

bool startModuleTrial(ModuleTrial& t, const char* path, TrialBody body, TrialCleanUp cleanUp) {
    stopModuleTrial(t);
    t = ModuleTrial{};
    t.output = -1;
    int ends[2];
    if (openChildPipe(ends) != 0) {
        t.state = kTrialFailed;
        std::snprintf(t.message, sizeof t.message, "cannot start the module's trial: %s",
                      std::strerror(errno));
        return false;
    }
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(ends[0]);
        runChild(path, body, ends[1]);
    }
    close(ends[1]);
    if (pid < 0) {
        close(ends[0]);
        t.state = kTrialFailed;
        std::snprintf(t.message, sizeof t.message, "cannot start the module's trial: %s",
                      std::strerror(errno));
        return false;
    }
    t.child = pid;
    t.cleanUp = cleanUp;
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

#endif // _WIN32
