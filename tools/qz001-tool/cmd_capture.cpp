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
// temporary name and renamed at the end; Ctrl-C or a failure stops ffmpeg and leaves nothing behind.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <numeric>
#include <string>
#include <strings.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "audio/module_file.h"
#include "audio/offline_music.h"
#include "base/atomic_file.h"
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
// Ctrl-C
//-----------------------------------------------------------------------------

volatile sig_atomic_t interrupted; // an int: renderToolFrames watches it

void onInterrupt(int) {
    interrupted = 1;
}

void catchInterrupts() {
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    signal(SIGPIPE, SIG_IGN); // a dead ffmpeg shows as a failed write
}

//-----------------------------------------------------------------------------
// The ffmpeg program
//-----------------------------------------------------------------------------

struct Encoder {
    pid_t pid;
    int input; // raw RGBA frames go here
};

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
    const char* argv[] = {"ffmpeg",       "-hide_banner",
                          "-loglevel",    "error",
                          "-nostdin",     "-y",
                          "-f",           "rawvideo",
                          "-pix_fmt",     "rgba",
                          "-video_size",  size,
                          "-framerate",   framerate.c_str(),
                          "-i",           "pipe:0",
                          "-f",           "f32le",
                          "-ar",          rate.c_str(),
                          "-ac",          "2",
                          "-i",           audio.c_str(),
                          "-map",         "0:v",
                          "-map",         "1:a",
                          "-c:v",         "libx264",
                          "-preset",      "veryfast",
                          "-crf",         "18",
                          "-pix_fmt",     "yuv420p",
                          "-c:a",         "aac",
                          "-b:a",         "192k",
                          "-movflags",    "+faststart",
                          "-f",           "mp4",
                          output.c_str(), nullptr};
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
    return true;
}

bool writeAll(int fd, const uint8_t* bytes, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, bytes, size);
        if (n < 0 && errno == EINTR && !interrupted) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= (size_t)n;
    }
    return true;
}

// Closes its input and waits for it; true when ffmpeg finished the file. Ctrl-C while ffmpeg finishes
// the file stops it.
bool finishEncoder(Encoder& e) {
    close(e.input);
    int status = 0;
    while (waitpid(e.pid, &status, 0) < 0 && errno == EINTR) {
        if (interrupted) kill(e.pid, SIGTERM);
    }
    if (interrupted) {
        toolError("interrupted: nothing was written");
        return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    toolError("ffmpeg could not write the video (its message is above)");
    return false;
}

void stopEncoder(Encoder& e) {
    close(e.input);
    kill(e.pid, SIGTERM);
    int status = 0;
    while (waitpid(e.pid, &status, 0) < 0 && errno == EINTR) {
    }
}

//-----------------------------------------------------------------------------
// Frames
//-----------------------------------------------------------------------------

// A video is asked for by the name's extension, in any case: show.mp4, show.MP4.
bool isVideoName(const std::string& path) {
    return path.size() >= 4 && strcasecmp(path.c_str() + path.size() - 4, ".mp4") == 0;
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
    const ToolFrames frames = {width,       height, !o.noAa, o.from, o.to, o.step, {hearFrame, &music},
                               &interrupted};
    if (renderToolFrames(frames, take)) return true;
    if (interrupted)
        toolError("interrupted: %s", isVideoName(o.out) ? "nothing was written"
                                                        : "the frames written so far stay in the folder");
    return false;
}

//-----------------------------------------------------------------------------
// The two outputs
//-----------------------------------------------------------------------------

// The span's audio as raw interleaved floats in a temporary file beside the video.
bool writeSpanAudio(const CaptureOptions& o, const OfflineMusic& music, std::string& path) {
    const uint64_t first = offlineFrameAtShowFrame(o.from), last = offlineFrameAtShowFrame(o.to + 1);
    std::string error;
    int fd = createTemporaryBeside(o.out + ".audio", path, error);
    if (fd < 0) return toolError("%s", error.c_str()), false;
    bool ok = writeAll(fd, reinterpret_cast<const uint8_t*>(music.stereo.data() + 2 * first),
                       (last - first) * 2 * sizeof(float));
    ok = close(fd) == 0 && ok;
    if (!ok) {
        toolError("cannot write the audio beside %s: %s", o.out.c_str(), std::strerror(errno));
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

int captureVideo(const CaptureOptions& o, int width, int height, OfflineMusic& music) {
    if (width % 2 || height % 2)
        return toolError("--size %s: H.264 video needs an even width and height", o.size.c_str());
    const std::string ffmpeg = findProgram("ffmpeg");
    if (ffmpeg.empty())
        return toolError("the ffmpeg program is needed to write %s and was not found on the PATH; install it "
                         "(Debian: sudo apt-get install ffmpeg), or capture PNG frames with --out DIR",
                         o.out.c_str());
    std::string audio, video, error;
    if (!writeSpanAudio(o, music, audio)) return 1;
    int fd = createTemporaryBeside(o.out, video, error);
    if (fd < 0) return unlink(audio.c_str()), toolError("%s", error.c_str());
    close(fd);
    Encoder encoder = {};
    bool ok = startEncoder(encoder, ffmpeg, width, height, audio, video);
    if (ok) {
        ok = renderFrames(o, width, height, music, [&](int, const std::vector<uint8_t>& pixels) {
            if (writeAll(encoder.input, pixels.data(), pixels.size())) return true;
            toolError("ffmpeg stopped taking frames (its message, if any, is above)");
            return false;
        });
        if (ok) {
            ok = finishEncoder(encoder) && checkVideoFile(o.out, video);
        } else {
            stopEncoder(encoder);
        }
    }
    unlink(audio.c_str());
    if (ok && std::rename(video.c_str(), o.out.c_str()) != 0) {
        toolError("cannot write %s: %s", o.out.c_str(), std::strerror(errno));
        ok = false;
    }
    if (!ok) unlink(video.c_str());
    return ok ? 0 : 1;
}

int capturePngs(const CaptureOptions& o, int width, int height, OfflineMusic& music) {
    auto take = [&](int frame, const std::vector<uint8_t>& pixels) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%05d.png", frame);
        return writePngFile(o.out + name, width, height, pixels.data());
    };
    return renderFrames(o, width, height, music, take) ? 0 : 1;
}

int runCapture(const CaptureOptions& o) {
    int width = 0, height = 0;
    if (!parseSizeOption(o.size, kMaxImageSize, kMaxImageSize, width, height)) return 1;
    if (!checkFrame(o.from, "--from frame") || !checkFrame(o.to, "--to frame")) return 1;
    if (o.from > o.to) return toolError("--from %d lies after --to %d", o.from, o.to);
    if (o.step < 1) return toolError("--step %d must be 1 or more", o.step);
    const bool video = isVideoName(o.out);
    if (video && o.step != 1) return toolError("--step is for PNG frames; a video has every frame");
    if (video ? !checkOutputFile(o.out) : !makeFolders(o.out)) return 1;
    catchInterrupts();
    OfflineMusic music;
    std::string error;
    if (!renderOfflineMusic(kMusicPath, demoPositionOfFrame(o.to + 1) + 1, music, error))
        return toolError("%s", error.c_str());
    if (!music.warning.empty()) toolError("warning: %s", music.warning.c_str());
    return video ? captureVideo(o, width, height, music) : capturePngs(o, width, height, music);
}

} // namespace

void addCaptureCommands(CLI::App& app, ToolCommands& commands) {
    static CaptureOptions o;
    CLI::App* capture = app.add_subcommand(
        "capture", "Render the show with its music into an MP4 video (ffmpeg), or into numbered PNG files");
    capture->add_option("--out", o.out, "FILE.mp4 for a video, or a folder for frame_NNNNN.png")->required();
    capture->add_option("--from", o.from, "first global frame (default 0)");
    capture->add_option("--to", o.to, "last global frame, inclusive (default 7831)");
    capture->add_option("--step", o.step, "PNG frames only: frames between two captures (default 1)");
    capture->add_option("--size", o.size, "image size WIDTHxHEIGHT (default " + showSizeText() + ")");
    addGlOption(capture);
    capture->add_flag("--no-aa", o.noAa, "skip the FXAA pass");
    addToolCommand(commands, capture, [] { return runCapture(o); });
}
