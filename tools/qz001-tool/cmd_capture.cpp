// cmd_capture.cpp - `capture`: the show with its music as a video, or as numbered PNG frames.
//
//     qz001-tool capture --out show.mp4 [--from F] [--to F] [--size WxH] [--no-aa]
//     qz001-tool capture --out frames/ [--from F] [--to F] [--step N] [--size WxH] [--no-aa]
//
// Every show frame is rendered once, at the show's own rate: frame f is shown from f x 16.66 ms, when
// the player would switch to it (60.024 frames per second), so picture and sound stay together to the
// last frame. The frames go raw into the ffmpeg program through a pipe; the audio of exactly the same
// span is rendered offline from the module, and each frame's spectrum is taken from it at the frame's
// own position, so two captures are identical. H.264 (yuv420p) and AAC in an MP4, written under a
// temporary name and renamed at the end; Ctrl-C (SIGINT, SIGTERM, SIGHUP) or a failure stops ffmpeg and
// leaves nothing behind, and so does an ffmpeg that stops taking frames (or stops writing the file
// once it has them all) for kDefaultStallSeconds, or QZ001_FFMPEG_STALL_SECONDS when that is set.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <numeric>
#include <poll.h>
#include <string>
#include <strings.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "audio/module_file.h"
#include "audio/offline_music.h"
#include "base/decimal_text.h"
#include "base/output_target.h"
#include "director/director_types.h"
#include "director/music_levels.h"
#include "show/show.h"
#include "tools/qz001-tool/mp4_check.h"
#include "tools/qz001-tool/tool.h"

namespace {

struct CaptureOptions {
    std::string out;
    int from = 0;
    int to = kShowFrameCount - 1;
    int step = 1;
    std::string size = showSizeText();
    bool noAa = false;
};

//-----------------------------------------------------------------------------
// The ffmpeg program
//-----------------------------------------------------------------------------

constexpr int kDefaultStallSeconds = 30;

struct Encoder {
    pid_t pid;         // ffmpeg, leader of its own process group
    int input;         // raw RGBA frames go here (non-blocking)
    int stallSeconds;  // ffmpeg taking nothing (or writing nothing) for this long is stopped
    double lastChange; // steady clock when ffmpeg last took bytes or changed its file
};

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The stall limit: kDefaultStallSeconds, or QZ001_FFMPEG_STALL_SECONDS (whole seconds, 1..86400).
bool readStallSeconds(int& seconds) {
    seconds = kDefaultStallSeconds;
    const char* text = std::getenv("QZ001_FFMPEG_STALL_SECONDS");
    if (!text) return true;
    int64_t value = 0;
    const DecimalFault fault = readDecimal(text, 1, 86400, value);
    if (fault != DecimalFault::none)
        return toolUsageError(
                   "%s",
                   decimalFaultText("QZ001_FFMPEG_STALL_SECONDS", text, fault, 1, 86400, nullptr).c_str()),
               false;
    seconds = (int)value;
    return true;
}

std::string findProgram(const char* name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = (end > start ? dirs.substr(start, end - start) : ".") + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return "";
}

// Starts ffmpeg in its own process group (so Ctrl-C reaches only us, and we stop it).
bool startEncoder(Encoder& e, const std::string& program, int width, int height, const std::string& audio,
                  const std::string& output) {
    char size[32];
    std::snprintf(size, sizeof size, "%dx%d", width, height);
    const std::string rate = std::to_string(kMusicSampleRate);
    // Frames per second: 100000 / kFramePeriodCentiMs as a reduced fraction (50000/833, 60.024).
    const int common = std::gcd(100000, kFramePeriodCentiMs);
    const std::string framerate =
        std::to_string(100000 / common) + "/" + std::to_string(kFramePeriodCentiMs / common);
    // A relative path starts with "./": a folder named like a protocol ("http:", "pipe:") stays a folder.
    auto plainPath = [](const std::string& path) { return path[0] == '/' ? path : "./" + path; };
    const std::string audioUrl = plainPath(audio), outputUrl = plainPath(output);
    const char* argv[] = {"ffmpeg",
                          "-hide_banner",
                          "-loglevel",
                          "error",
                          "-nostdin",
                          "-y",
                          "-f",
                          "rawvideo",
                          "-pix_fmt",
                          "rgba",
                          "-video_size",
                          size,
                          "-framerate",
                          framerate.c_str(),
                          "-i",
                          "pipe:0",
                          "-f",
                          "f32le",
                          "-ar",
                          rate.c_str(),
                          "-ac",
                          "2",
                          "-i",
                          audioUrl.c_str(),
                          "-map",
                          "0:v",
                          "-map",
                          "1:a",
                          "-c:v",
                          "libx264",
                          "-preset",
                          "veryfast",
                          "-crf",
                          "18",
                          "-pix_fmt",
                          "yuv420p",
                          "-c:a",
                          "aac",
                          "-b:a",
                          "192k",
                          "-movflags",
                          "+faststart",
                          "-f",
                          "mp4",
                          outputUrl.c_str(),
                          nullptr};
    int fds[2];
    if (pipe(fds) != 0) return toolError("cannot start ffmpeg: %s", std::strerror(errno)), false;
    e.pid = fork();
    if (e.pid < 0) return toolError("cannot start ffmpeg: %s", std::strerror(errno)), false;
    if (e.pid == 0) {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL); // the tool killed outright takes ffmpeg with it
        if (getppid() == 1) _exit(127);   // ... even if that happened before the line above
        signal(SIGPIPE, SIG_DFL);
        dup2(fds[0], 0);
        close(fds[0]);
        close(fds[1]);
        execv(program.c_str(), const_cast<char* const*>(argv));
        _exit(127);
    }
    setpgid(e.pid, e.pid); // also from here: Ctrl-C must not reach ffmpeg whichever runs first
    close(fds[0]);
    e.input = fds[1];
    fcntl(e.input, F_SETFD, FD_CLOEXEC);
    fcntl(e.input, F_SETFL, O_NONBLOCK); // never blocked: a stop signal or a stall is always seen
    e.lastChange = steadySeconds();
    return true;
}

enum class Feed { ok, stopped, stalled, failed };

// Hands `size` bytes to ffmpeg, waiting for it at most e.stallSeconds without progress.
Feed feedEncoder(Encoder& e, const uint8_t* bytes, size_t size) {
    while (size > 0) {
        if (toolStopSignal) return Feed::stopped;
        const ssize_t n = write(e.input, bytes, size);
        if (n > 0) {
            bytes += n;
            size -= (size_t)n;
            e.lastChange = steadySeconds();
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return Feed::failed; // EPIPE: ffmpeg is gone
        if (steadySeconds() - e.lastChange >= e.stallSeconds) return Feed::stalled;
        pollfd ready = {e.input, POLLOUT, 0};
        poll(&ready, 1, 200); // a signal ends it early; a lost wake-up costs 200 ms at most
    }
    return Feed::ok;
}

// Ends ffmpeg's whole process group: politely, then for good.
void stopEncoder(Encoder& e) {
    if (e.input >= 0) close(e.input);
    e.input = -1;
    kill(-e.pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 40; ++i) { // 2 s
        if (waitpid(e.pid, &status, WNOHANG) == e.pid) {
            kill(-e.pid, SIGKILL); // anything it started
            return;
        }
        usleep(50000);
    }
    kill(-e.pid, SIGKILL);
    while (waitpid(e.pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// The size and change time of ffmpeg's file, to see that it still works on it.
std::string fileState(const std::string& path) {
    struct stat st = {};
    if (stat(path.c_str(), &st) != 0) return "";
    return std::to_string((long long)st.st_size) + " " + std::to_string((long long)st.st_mtim.tv_sec) + "." +
           std::to_string((long long)st.st_mtim.tv_nsec);
}

// Closes its input and waits for ffmpeg to finish the file `video`; Feed::ok when it exited 0. A stop
// signal, or a file that stops changing for e.stallSeconds while ffmpeg runs, stops it.
Feed finishEncoder(Encoder& e, const std::string& video) {
    close(e.input);
    e.input = -1;
    std::string state = fileState(video);
    e.lastChange = steadySeconds();
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(e.pid, &status, WNOHANG);
        if (done == e.pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Feed::ok : Feed::failed;
        if (done < 0 && errno != EINTR) return Feed::failed;
        if (toolStopSignal) return stopEncoder(e), Feed::stopped;
        const std::string now = fileState(video);
        if (now != state) {
            state = now;
            e.lastChange = steadySeconds();
        } else if (steadySeconds() - e.lastChange >= e.stallSeconds) {
            return stopEncoder(e), Feed::stalled;
        }
        usleep(50000);
    }
}

//-----------------------------------------------------------------------------
// Frames
//-----------------------------------------------------------------------------

// A video is asked for by the name's extension, in any case: show.mp4, show.MP4.
bool isVideoName(const std::string& path) {
    return path.size() >= 4 && strcasecmp(path.c_str() + path.size() - 4, ".mp4") == 0;
}

// "DIR/frame_01410.png"
std::string frameFileName(const std::string& folder, int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%05d.png", frame);
    return folder + name;
}

void hearFrame(int32_t frame, void* music) {
    advanceOfflineMusic(*static_cast<OfflineMusic*>(music), offlineFrameAtShowFrame(frame));
}

// Renders the frames from..to (every `step`), every frame evaluated (drawn or only caught up on)
// hearing the offline music at its own position, handing each one to `take`. False when interrupted
// or when `take` fails.
template <class Take>
bool renderFrames(const CaptureOptions& o, int width, int height, OfflineMusic& music, Take take) {
    setSpectrumSource(SpectrumSource{queryOfflineSpectrum, &music});
    const ToolFrames frames = {width, height, !o.noAa, o.from, o.to, o.step, {hearFrame, &music}};
    return renderToolFrames(frames, take);
}

//-----------------------------------------------------------------------------
// The two outputs
//-----------------------------------------------------------------------------

// The span's audio as raw interleaved floats in a temporary file beside the video.
bool writeSpanAudio(const CaptureOptions& o, const OutputTarget& target, const OfflineMusic& music,
                    std::string& path) {
    const uint64_t first = offlineFrameAtShowFrame(o.from), last = offlineFrameAtShowFrame(o.to + 1);
    std::string error;
    const int fd = createOutputTemporary(target, path, error);
    if (fd < 0) return toolError("%s", error.c_str()), false;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(music.stereo.data() + 2 * first);
    size_t left = (last - first) * 2 * sizeof(float);
    while (left > 0) {
        const ssize_t n = write(fd, bytes, left);
        if (n < 0 && errno == EINTR && !toolStopSignal) continue;
        if (n <= 0) break;
        bytes += n;
        left -= (size_t)n;
    }
    const int err = errno;
    const bool ok = close(fd) == 0 && left == 0;
    if (!ok) {
        if (!toolStopSignal)
            toolError("cannot write the audio beside %s: %s", o.out.c_str(),
                      std::strerror(left ? err : errno));
        unlink(path.c_str());
    }
    return ok;
}

// ffmpeg may exit 0 with the file's index unwritten (a full disk while it writes the trailer).
bool checkVideoFile(const std::string& out, const std::string& video) {
    std::string why;
    if (checkMp4Complete(video, why)) return true;
    toolError("ffmpeg did not finish %s: %s; nothing was written (is the disk full?)", out.c_str(),
              why.c_str());
    return false;
}

// Says why the encoder did not finish; the status to exit with.
int encoderFailure(Feed feed, const Encoder& e, const char* stalledWhat) {
    if (feed == Feed::stopped || toolStopSignal) return toolStoppedStatus("nothing was written");
    if (feed == Feed::stalled)
        return toolError("ffmpeg stopped %s for %d s; it was stopped and nothing was written", stalledWhat,
                         e.stallSeconds);
    return toolError("ffmpeg could not write the video (its message, if any, is above)");
}

int captureVideo(const CaptureOptions& o, const OutputTarget& target, int width, int height,
                 OfflineMusic& music) {
    const std::string ffmpeg = findProgram("ffmpeg");
    Encoder encoder = {};
    encoder.input = -1;
    if (!readStallSeconds(encoder.stallSeconds)) return kToolUsageStatus;
    std::string audio, video, error;
    if (!writeSpanAudio(o, target, music, audio))
        return toolStopSignal ? toolStoppedStatus("nothing was written") : 1;
    const int fd = createOutputTemporary(target, video, error);
    if (fd < 0) return unlink(audio.c_str()), toolError("%s", error.c_str());
    close(fd);
    int status = 0;
    if (!startEncoder(encoder, ffmpeg, width, height, audio, video)) {
        status = 1;
    } else {
        Feed feed = Feed::ok;
        const bool rendered =
            renderFrames(o, width, height, music, [&](int, const std::vector<uint8_t>& pixels) {
                feed = feedEncoder(encoder, pixels.data(), pixels.size());
                return feed == Feed::ok;
            });
        if (!rendered) {
            stopEncoder(encoder);
            status = feed != Feed::ok || toolStopSignal ? encoderFailure(feed, encoder, "taking frames") : 1;
        } else if ((feed = finishEncoder(encoder, video)) != Feed::ok) {
            status = encoderFailure(feed, encoder, "writing the video");
        } else if (!checkVideoFile(o.out, video)) {
            status = 1;
        } else if (toolStopSignal) {
            status = toolStoppedStatus("nothing was written");
        }
    }
    unlink(audio.c_str());
    if (status == 0 && !commitOutputTemporary(target, video, error)) status = toolError("%s", error.c_str());
    if (status != 0) unlink(video.c_str());
    return status;
}

int capturePngs(const CaptureOptions& o, int width, int height, OfflineMusic& music) {
    auto take = [&](int frame, const std::vector<uint8_t>& pixels) {
        OutputTarget file;
        std::string error;
        if (!checkOutputName(frameFileName(o.out, frame), file, error))
            return toolError("%s", error.c_str()), false;
        return writePngTarget(file, width, height, pixels.data());
    };
    if (renderFrames(o, width, height, music, take)) return 0;
    return toolStopSignal ? toolStoppedStatus(("the frames written so far stay in " + o.out).c_str()) : 1;
}

// Every frame file the capture will write, checked before the first frame.
bool checkFrameFiles(const CaptureOptions& o) {
    const int count = toolFrameCount(o.from, o.to, o.step);
    for (int i = 0; i < count; ++i) {
        const std::string name = frameFileName(o.out, (int)(o.from + (int64_t)i * o.step));
        struct stat st;
        if (lstat(name.c_str(), &st) != 0) continue; // nothing there: the folder's check holds for it
        OutputTarget file;
        std::string error;
        if (!checkOutputName(name, file, error)) return toolError("%s", error.c_str()), false;
    }
    return true;
}

// The capture once its output is opened (and locked).
int captureInto(const CaptureOptions& o, const OutputTarget& target, int width, int height) {
    OfflineMusic music;
    std::string error;
    if (!renderOfflineMusic(kMusicPath, demoPositionOfFrame(o.to + 1) + 1, music, error))
        return toolError("%s", error.c_str());
    if (!music.warning.empty()) toolError("warning: %s", music.warning.c_str());
    if (toolStopSignal) return toolStoppedStatus("nothing was written");
    return isVideoName(o.out) ? captureVideo(o, target, width, height, music)
                              : capturePngs(o, width, height, music);
}

int runCapture(const CaptureOptions& o) {
    int width = 0, height = 0;
    if (!parseSizeOption(o.size, kMaxImageSize, kMaxImageSize, width, height)) return kToolUsageStatus;
    if (o.out.empty()) return toolUsageError("--out \"\" names no file or folder");
    if (o.from > o.to) return toolUsageError("--from %d lies after --to %d", o.from, o.to);
    const bool video = isVideoName(o.out);
    if (video && o.step != 1) return toolUsageError("--step is for PNG frames; a video has every frame");
    if (video && (width % 2 || height % 2))
        return toolUsageError("--size %s: H.264 video needs an even width and height", o.size.c_str());
    if (video && findProgram("ffmpeg").empty())
        return toolError("the ffmpeg program is needed to write %s and was not found on the PATH; install it "
                         "(Debian: sudo apt-get install ffmpeg), or capture PNG frames with --out DIR",
                         o.out.c_str());
    int stallSeconds = 0;
    if (video && !readStallSeconds(stallSeconds)) return kToolUsageStatus;
    catchStopSignals();
    OutputTarget target;
    if (video ? !openToolOutput(o.out, target) : !openToolFolder(o.out, target)) return 1;
    const int status = video || checkFrameFiles(o) ? captureInto(o, target, width, height) : 1;
    closeOutputTarget(target);
    return status;
}

} // namespace

void addCaptureCommands(CLI::App& app, ToolCommands& commands) {
    static CaptureOptions o;
    CLI::App* capture = app.add_subcommand(
        "capture", "Render the show with its music into an MP4 video (ffmpeg), or into numbered PNG files");
    capture->add_option("--out", o.out, "FILE.mp4 for a video, or a folder for frame_NNNNN.png")->required();
    addIntegerOption(capture, "--from", o.from, 0, kShowFrameCount - 1, showFramesText(),
                     "first global frame (default 0)");
    addIntegerOption(capture, "--to", o.to, 0, kShowFrameCount - 1, showFramesText(),
                     "last global frame, inclusive (default 7831)");
    addIntegerOption(capture, "--step", o.step, 1, INT_MAX, nullptr,
                     "PNG frames only: frames between two captures (default 1)");
    capture->add_option("--size", o.size, "image size WIDTHxHEIGHT (default " + showSizeText() + ")");
    addGlOption(capture);
    capture->add_flag("--no-aa", o.noAa, "skip the FXAA pass");
    addToolCommand(commands, capture, [] { return runCapture(o); });
}
