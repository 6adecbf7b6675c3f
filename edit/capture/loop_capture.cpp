// loop_capture.cpp - the two children started with posix_spawn (each in a process group of its own, so
// that stopping one stops what it started), their output read without blocking.
#include "edit/capture/loop_capture.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "base/child_output.h"
#endif

namespace {

#ifndef _WIN32

bool spawn(LoopCapture& c, const char* const* argv) {
    ChildProcess child = {};
    if (const int failure = startChildProcess(argv, nullptr, child)) {
        std::snprintf(c.message, sizeof c.message, "cannot start %s: %s", argv[0], std::strerror(failure));
        return false;
    }
    c.pid = child.pid;
    c.output = child.output;
    c.logLength = 0;
    c.log[0] = 0;
    return true;
}

// Keeps the end of the output: a long build or capture scrolls its start away.
void readOutput(LoopCapture& c) {
    readChildOutput(c.output, c.log, sizeof c.log, c.logLength, kKeepLogEnd);
}

// The outcome goes to stderr too, where a script or the terminal sees it.
void finish(LoopCapture& c, CaptureStage stage) {
    std::fprintf(stderr, "qz001: %s\n", c.message);
    if (c.output >= 0) close(c.output);
    c.output = -1;
    c.pid = 0;
    c.stage = stage;
}
#endif // _WIN32

} // namespace

bool loopCaptureCommand(const char* buildDir, const EditState& state, CaptureCommand& out, char* error,
                        size_t errorSize) {
    out = CaptureCommand{};
    if (!state.looping) {
        std::snprintf(error, errorSize,
                      "no loop is set: press L (the scene at the play head) or I and O first");
        return false;
    }
    out.from = state.loopStart;
    out.to = state.loopEnd - 1;
    if (out.from < 0 || out.to < out.from || out.to >= kShowFrameCount) {
        std::snprintf(error, errorSize, "the loop %d..%d holds no frame of the show", state.loopStart,
                      state.loopEnd);
        return false;
    }
    std::snprintf(out.build, sizeof out.build, "%s", buildDir);
    std::snprintf(out.tool, sizeof out.tool, "%s/tools/qz001-tool", buildDir);
    std::snprintf(out.out, sizeof out.out, "%s/loop_%05d-%05d.mp4", buildDir, out.from, out.to);
    std::snprintf(out.frames[0], sizeof out.frames[0], "%d", out.from);
    std::snprintf(out.frames[1], sizeof out.frames[1], "%d", out.to);
    return true;
}

void captureArguments(const CaptureCommand& command, bool building, const char* argv[kCaptureArguments]) {
    const char* build[] = {"cmake", "--build", command.build, "--target", "qz001-tool", nullptr};
    const char* capture[] = {command.tool,      "capture",   "--from",
                             command.frames[0], "--to",      command.frames[1],
                             "--out",           command.out, nullptr};
    if (building)
        std::memcpy(argv, build, sizeof build);
    else
        std::memcpy(argv, capture, sizeof capture);
}

#ifdef _WIN32 // no child processes here: the tool is run by hand

bool startLoopCapture(LoopCapture& c, const CaptureCommand& command) {
    std::snprintf(
        c.message, sizeof c.message,
        "the Linux build captures the loop; here run qz001-tool capture --from %d --to %d --out FILE",
        command.from, command.to);
    c.stage = CaptureStage::failed;
    return false;
}
bool pollLoopCapture(LoopCapture&) {
    return false;
}
void stopLoopCapture(LoopCapture&) {}

#else

bool startLoopCapture(LoopCapture& c, const CaptureCommand& command) {
    if (c.pid) {
        std::snprintf(c.message, sizeof c.message, "a capture is running already");
        return false;
    }
    c.command = command;
    c.output = -1;
    const char* argv[kCaptureArguments];
    captureArguments(c.command, true, argv);
    if (!spawn(c, argv)) {
        c.stage = CaptureStage::failed;
        return false;
    }
    c.stage = CaptureStage::building;
    std::snprintf(c.message, sizeof c.message, "building qz001-tool from the saved scene files ...");
    return true;
}

bool pollLoopCapture(LoopCapture& c) {
    if (!c.pid) return false;
    readOutput(c);
    char line[400];
    int status = 0;
    const pid_t ended = waitpid(c.pid, &status, WNOHANG);
    if (ended == 0) {
        lastProgressLine(c.log, c.logLength, line, sizeof line);
        std::snprintf(c.message, sizeof c.message, "%s frames %d..%d: %s",
                      c.stage == CaptureStage::building ? "building qz001-tool for" : "capturing",
                      c.command.from, c.command.to, line);
        return true;
    }
    readOutput(c);
    lastProgressLine(c.log, c.logLength, line, sizeof line);
    const bool good = ended == c.pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!good) {
        std::snprintf(c.message, sizeof c.message, "%s failed (%s %d): %s",
                      c.stage == CaptureStage::building ? "building qz001-tool" : "the capture",
                      WIFSIGNALED(status) ? "signal" : "exit status",
                      WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status), line);
        finish(c, CaptureStage::failed);
        return false;
    }
    if (c.stage == CaptureStage::building) {
        close(c.output);
        c.output = -1;
        const char* argv[kCaptureArguments];
        captureArguments(c.command, false, argv);
        if (!spawn(c, argv)) {
            finish(c, CaptureStage::failed);
            return false;
        }
        c.stage = CaptureStage::capturing;
        std::snprintf(c.message, sizeof c.message, "capturing frames %d..%d ...", c.command.from,
                      c.command.to);
        return true;
    }
    std::snprintf(c.message, sizeof c.message, "frames %d..%d captured into %s", c.command.from, c.command.to,
                  c.command.out);
    finish(c, CaptureStage::done);
    return false;
}

void stopLoopCapture(LoopCapture& c) {
    if (!c.pid) return;
    kill(-c.pid, SIGTERM); // the tool removes its unfinished file on SIGTERM
    int status = 0;
    waitpid(c.pid, &status, 0);
    std::snprintf(c.message, sizeof c.message, "the capture of frames %d..%d was stopped", c.command.from,
                  c.command.to);
    finish(c, CaptureStage::failed);
}

#endif // _WIN32

void lastProgressLine(const char* log, uint32_t length, char* out, size_t size) {
    uint32_t end = length;
    while (end > 0 && (log[end - 1] == '\n' || log[end - 1] == '\r' || log[end - 1] == ' ')) --end;
    uint32_t begin = end;
    while (begin > 0 && log[begin - 1] != '\n' && log[begin - 1] != '\r') --begin;
    std::snprintf(out, size, "%.*s", (int)(end - begin), log + begin);
}
