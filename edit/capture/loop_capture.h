// loop_capture.h - the "capture loop" button: the loop range rendered with its music into an MP4 in the
// build folder by qz001-tool, in a child process while the edit mode plays on. The tool is rebuilt from
// the tree first (cmake --build BUILD --target qz001-tool), so the video holds the scene files as saved;
// edits that are not saved are not in it. Its progress line is read from its stderr.
//
//     static LoopCapture capture;
//     CaptureCommand command = {};
//     if (loopCaptureCommand(buildDir, state, command, error, sizeof error)) startLoopCapture(capture,
//     command); pollLoopCapture(capture);          // once per refresh; capture.message says how far it is
//     stopLoopCapture(capture);          // at the end: a capture still running is stopped (nothing left)
#pragma once

#include <cstddef>
#include <cstdint>

#include "edit/transport/edit_state.h"

inline constexpr int kCaptureArguments = 12;

// The two programs the capture runs, one after the other.
struct CaptureCommand {
    char build[1024];   // the build folder
    char tool[1100];    // BUILD/tools/qz001-tool
    char out[1100];     // BUILD/loop_FROM-TO.mp4
    char frames[2][16]; // --from, --to as text
    int32_t from, to;   // the frames captured, both included
};

enum class CaptureStage : uint8_t { idle, building, capturing, done, failed };

struct LoopCapture {
    CaptureCommand command;
    CaptureStage stage;
    int pid;        // the running child; 0 = none
    int output;     // the read end of its stdout and stderr; -1 = none
    char log[8192]; // the running stage's output so far (the end of it when longer)
    uint32_t logLength;
    char message[1400]; // what the panel shows: the stage, the progress line, the outcome
};

// The command lines for the loop of `state`; false with the reason when no loop is set.
bool loopCaptureCommand(const char* buildDir, const EditState& state, CaptureCommand& out, char* error,
                        size_t errorSize);

// The argv of a stage (null-terminated, pointing into `command`): `cmake --build BUILD --target
// qz001-tool`, or `BUILD/tools/qz001-tool capture --from F --to F --out FILE`.
void captureArguments(const CaptureCommand& command, bool building, const char* argv[kCaptureArguments]);

bool startLoopCapture(LoopCapture& c, const CaptureCommand& command);
// Reads the child's output and moves on when a stage ends; true while a capture runs.
bool pollLoopCapture(LoopCapture& c);
void stopLoopCapture(LoopCapture& c);

// The last line of a progress output ("\r"-separated bars or plain lines), without its end.
void lastProgressLine(const char* log, uint32_t length, char* out, size_t size);
