// module_trial.h - a rebuilt scene module is tried in a child process before the edit mode takes it:
// loaded there (its static initialisers run), its layout stamp and every table pointer checked, the
// memory its scenes reserve weighed against the room the work arena has, and three frames of each
// scene evaluated, each within a time limit. Whatever the module does (abort, crash, loop forever,
// fill the arena), the edit mode's own process goes on with the last good data.
//
//     ModuleTrial trial = {};
//     startModuleTrial(trial, modulePath);       // forks and returns at once
//     ...                                        // once per refresh:
//     if (pollModuleTrial(trial) == kTrialFailed) show(trial.message);
//
// Desktop Linux only (fork and dlopen), as the reload it guards.
#pragma once

#include <cstdint>

inline constexpr double kTrialLimitSeconds = 10.0;   // the whole trial, loading included
inline constexpr double kTrialFrameLimitMs = 1000.0; // one frame's evaluation

enum ModuleTrialState { kTrialIdle, kTrialRunning, kTrialPassed, kTrialFailed };

struct ModuleTrial {
    ModuleTrialState state;
    int child;           // the trying process; 0 = none
    int output;          // the read end of what it prints; -1 = none
    uint64_t startTicks; // performance counter when it started
    char log[4096];      // what it printed so far (its progress, its reason)
    uint32_t logLength;
    char message[1400]; // why it failed
};

// Starts trying the module at `path`. False (and kTrialFailed, with a message) when no child starts.
bool startModuleTrial(ModuleTrial& trial, const char* path);

// Collects what the child said; past kTrialLimitSeconds it is killed. kTrialRunning until it ends.
ModuleTrialState pollModuleTrial(ModuleTrial& trial);

// Kills a running trial and waits for it (the edit mode ends).
void stopModuleTrial(ModuleTrial& trial);

// Removes the module copies (qz001-scenes-PID-N.so in the temporary folder) of processes that ended
// without removing theirs.
void sweepModuleCopies();
