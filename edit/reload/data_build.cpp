// data_build.cpp - cmake spawned for the scene module with its output in a pipe, the times of changed
// files forced, and the record of the hashes the module was built from.
#include "edit/reload/data_build.h"

#ifndef _WIN32 // the Windows build does not reload the scene data

#include <SDL.h>
#include <cstdio>
#include <cstring>
#include <signal.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "base/child_output.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kErrorLinesShown = 12; // of a failed build's output, from its first error on

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

} // namespace

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
    const char* argv[] = {"cmake", "--build", w.build, "--target", "qz_scene_module", nullptr};
    // The compiler's messages in plain ASCII quotes: the panels' font has no others.
    std::vector<char*> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "LC_ALL=", 7) != 0) env.push_back(*e);
    env.push_back((char*)"LC_ALL=C");
    env.push_back(nullptr);
    // In a process group of its own, so that ending it ends the compilers it started too.
    ChildProcess child = {};
    if (startChildProcess(argv, env.data(), child) != 0) return false;
    w.builder = child.pid;
    w.buildStart = SDL_GetPerformanceCounter();
    w.output = child.output;
    w.logLength = 0;
    w.log[0] = 0;
    return true;
}

void readOutput(DataWatch& w) {
    readChildOutput(w.output, w.log, sizeof w.log, w.logLength, kKeepLogStart);
}

// Ends a build that has run past its limit, and its compilers with it.
void endBuild(DataWatch& w) {
    kill(-w.builder, SIGKILL);
    waitpid(w.builder, nullptr, 0);
    close(w.output);
    w.output = -1;
    w.builder = 0;
}

#endif // _WIN32
