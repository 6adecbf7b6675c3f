// child_output.h - a child program whose output (stdout and stderr together) comes back through a pipe
// read without waiting, kept in the caller's log. POSIX only: the Windows build starts no children.
//
//     ChildProcess child = {};
//     const char* argv[] = {"cmake", "--build", "build", nullptr};
//     int failure = startChildProcess(argv, nullptr, child); // 0, or the errno that stopped it
//     ...each frame:
//     readChildOutput(child.output, log, sizeof log, logLength, kKeepLogStart);
//
// The child runs in a process group of its own, so that `kill(-child.pid, ...)` ends what it started.
#pragma once

#include <cstddef>
#include <cstdint>

struct ChildProcess {
    int pid;    // 0: none
    int output; // the pipe's reading end, non-blocking; -1: none
};

enum ChildLogKeep : uint8_t {
    kKeepLogStart, // a full log drops what comes after (a compiler's first errors matter)
    kKeepLogEnd,   // a full log drops its oldest bytes (a long run's last lines matter)
};

// Starts argv[0], searched in PATH, with `env` (null: this process's environment). 0, or the errno that
// stopped it; on failure nothing is left open.
int startChildProcess(const char* const* argv, char* const* env, ChildProcess& child);

// A pipe whose reading end is non-blocking: ends[0] to read, ends[1] for the child. 0, or the errno.
int openChildPipe(int ends[2]);

// Appends what the child wrote since the last call to `log` (`length` bytes held, zero-terminated), as
// much as `size` allows, keeping its start or its end.
void readChildOutput(int output, char* log, size_t size, uint32_t& length, ChildLogKeep keep);
