// module_trial.h - a rebuilt scene module is tried in a child process before the edit mode takes it
// (module_load.cpp's trial body loads, checks, weighs and evaluates it there): whatever the module
// does (abort, crash, loop forever, fill the arena), the edit mode's own process goes on with the last
// good data. This is the child and the watch over it: what the body prints reaches `log`, its last
// line is the reason when it fails, and a child past its time limit is killed.
//
//     ModuleTrial trial = {};
//     startModuleTrial(trial, modulePath, body, cleanUp); // forks; body(path) runs in the child
//     ...                                                 // once per refresh:
//     if (pollModuleTrial(trial) == kTrialFailed) show(trial.message);
//
// Desktop Linux only (fork and dlopen), as the reload it guards.
#pragma once

#include <cstdint>

inline constexpr double kTrialLimitSeconds = 10.0;   // the whole trial, loading included
inline constexpr double kTrialFrameLimitMs = 1000.0; // one frame's evaluation

enum ModuleTrialState { kTrialIdle, kTrialRunning, kTrialPassed, kTrialFailed };

// Runs in the child with its output going to the parent: prints its progress and, on failure, its
// reason as its last line, then exits non-zero (_exit); returning passes.
using TrialBody = void (*)(const char* path);
// Runs in the parent once the child has ended, however it ended: removes what a child that died may
// have left behind.
using TrialCleanUp = void (*)(int child);

struct ModuleTrial {
    ModuleTrialState state;
    int child;           // the trying process; 0 = none
    int output;          // the read end of what it prints; -1 = none
    uint64_t startTicks; // performance counter when it started
    char log[4096];      // what it printed so far (its progress, its reason)
    uint32_t logLength;
    char message[1400]; // why it failed
    int lastChild;      // the process of the trial that ended last
    TrialCleanUp cleanUp;
};

// Starts trying the module at `path`. False (and kTrialFailed, with a message) when no child starts.
bool startModuleTrial(ModuleTrial& trial, const char* path, TrialBody body, TrialCleanUp cleanUp);

// Collects what the child said; past kTrialLimitSeconds it is killed. kTrialRunning until it ends.
ModuleTrialState pollModuleTrial(ModuleTrial& trial);

// Kills a running trial and waits for it (the edit mode ends).
void stopModuleTrial(ModuleTrial& trial);
