// child_output.cpp - posix_spawn with the output in a pipe, and the pipe read into a bounded log.
#include "base/child_output.h"

#ifndef _WIN32

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

int openChildPipe(int ends[2]) {
    if (pipe(ends) != 0) return errno;
    fcntl(ends[0], F_SETFL, fcntl(ends[0], F_GETFL) | O_NONBLOCK);
    return 0;
}

int startChildProcess(const char* const* argv, char* const* env, ChildProcess& child) {
    child = ChildProcess{0, -1};
    int ends[2];
    if (const int failure = openChildPipe(ends)) return failure;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, ends[0]);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = 0;
    const int result = posix_spawnp(&pid, argv[0], &actions, &attributes, const_cast<char* const*>(argv),
                                    env ? env : environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (result != 0) {
        close(ends[0]);
        return result;
    }
    child = ChildProcess{pid, ends[0]};
    return 0;
}

void readChildOutput(int output, char* log, size_t size, uint32_t& length, ChildLogKeep keep) {
    const uint32_t capacity = (uint32_t)size - 1;
    for (;;) {
        char chunk[2048];
        const ssize_t n = read(output, chunk, sizeof chunk);
        if (n <= 0) return;
        uint32_t take = (uint32_t)n;
        if (keep == kKeepLogEnd && length + take > capacity) { // drop the oldest bytes first
            const uint32_t keepOld = take < capacity ? capacity - take : 0;
            const uint32_t kept = length < keepOld ? length : keepOld;
            std::memmove(log, log + length - kept, kept);
            length = kept;
        }
        take = take < capacity - length ? take : capacity - length;
        std::memcpy(log + length, chunk + (keep == kKeepLogEnd ? (uint32_t)n - take : 0), take);
        length += take;
        log[length] = 0;
    }
}

#endif // _WIN32
