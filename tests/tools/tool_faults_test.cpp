// tool_faults_test.cpp - qz001-tool (and qz001's own options) against a hostile user: what stands at the
// output, numbers in every spelling, stop signals, sizes and steps at the integer limits, and an ffmpeg
// that stops taking frames. Real files, real processes, real signals; every folder is counted with its
// hidden entries, where the temporaries and lock files live.
#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "director/director_types.h"
#include "tests/tools/tool_run.h"

namespace {

// A shell command run in the repository root (where the music lies); stdout and stderr together.
ToolRun shellInSource(const std::string& command) {
    FILE* pipe = popen(("cd " QZ_SOURCE_DIR " && " + command + " 2>&1").c_str(), "r");
    std::string out;
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    const int raw = pclose(pipe);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

ToolRun tool(const std::string& args) {
    return shellInSource(QZ_TOOL_PATH " " + args);
}

std::string scratch(const std::string& name) {
    const std::string dir = tempPath(name);
    shellInSource("rm -rf " + dir + " && mkdir -p " + dir + " && chmod 777 " + dir);
    return dir;
}

// Every entry but . and .., hidden ones too, sorted, one name a line.
std::string entries(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    std::string lines;
    for (const std::string& name : names) lines += name + "\n";
    return lines;
}

std::string contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A fake ffmpeg, first on the PATH of `dir`/bin, that never reads its input: it sleeps `sleep` seconds
// (a number no other test's fake uses, to find it among the processes).
std::string stalledFfmpegPath(const std::string& dir, int sleep) {
    shellInSource("mkdir -p " + dir + "/bin && printf '#!/bin/sh\\nexec sleep " + std::to_string(sleep) +
                  "\\n' >" + dir + "/bin/ffmpeg && chmod +x " + dir + "/bin/ffmpeg");
    return "PATH=" + dir + "/bin:$PATH";
}

// True when no process's command line starts with `start`.
bool noProcessStarts(const std::string& start) {
    const ToolRun left =
        shellInSource("for f in /proc/[0-9]*/cmdline; do tr '\\0' ' ' <$f 2>/dev/null | grep -q '^" + start +
                      "' && echo \"$f\"; done; true");
    return left.out.empty();
}

// Runs `command` in the background with stderr into `log`, waits until `log` holds `line` (the first
// progress line: frames are being rendered), sends `signal`, and prints "status=N" when it ends.
// Runs `command`, sends `signal` once its log holds `line` and (when given) the file `ready` exists:
// what the case needs to have happened, not a time that usually suffices.
std::string signalledRun(const std::string& command, const std::string& log, const std::string& line,
                         const std::string& signal, const std::string& ready = "") {
    const std::string waitFor =
        "grep -q '" + line + "' " + log + (ready.empty() ? "" : " && [ -e " + ready + " ]");
    // The log is emptied first, here: the background command's own redirection may come after the
    // first look, which would find the last case's lines.
    return "(: >" + log + "; " + command + " 2>" + log + " & pid=$!; i=0; until " + waitFor +
           " || [ $i -ge 1200 ]; do sleep 0.1; i=$((i+1)); done; kill -" + signal +
           " $pid; wait $pid; echo status=$?)";
}

} // namespace

// 1. Only a regular file or nothing is replaced, refusals come before any frame, the replaced file keeps
// its mode, long names work, dead temporaries and lock files are cleaned, and a name being written is
// locked.
TEST(ToolFaults, Outputs) {
    const std::string dir = scratch("outputs");
    const std::string render = "render --frame 1000 --size 64x36 --out ";
    const bool root = geteuid() == 0;

    // Things that are not a regular file stay what they are.
    ASSERT_EQ(mkfifo((dir + "/fifo.png").c_str(), 0666), 0);
    mkdir((dir + "/folder.png").c_str(), 0777);
    struct Case {
        std::string name, expect;
    } refused[] = {{"fifo.png", "it is a named pipe"}, {"folder.png", "it is a folder"}};
    for (const Case& c : refused) {
        SCOPED_TRACE(c.name);
        const ToolRun r = tool(render + dir + "/" + c.name);
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_TRUE(contains(r.out, "cannot write " + dir + "/" + c.name + ": " + c.expect)) << r.out;
    }
    struct stat st;
    ASSERT_EQ(lstat((dir + "/fifo.png").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    if (root && shellInSource("mknod " + dir + "/null c 1 3").status == 0) { // a device node
        const ToolRun r = tool(render + dir + "/null");
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_TRUE(contains(r.out, "it is a character device")) << r.out;
        ASSERT_EQ(lstat((dir + "/null").c_str(), &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode));
        unlink((dir + "/null").c_str());
    }
    rmdir((dir + "/folder.png").c_str());
    unlink((dir + "/fifo.png").c_str());

    // A replaced file keeps its mode; a long legal name works (the temporary's name is short).
    std::ofstream(dir + "/kept.png") << "old";
    chmod((dir + "/kept.png").c_str(), 0640);
    ASSERT_EQ(tool(render + dir + "/kept.png").status, 0);
    ASSERT_EQ(stat((dir + "/kept.png").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_NE(contentOf(dir + "/kept.png"), "old");
    const std::string longName = std::string(250, 'n') + ".png";
    const ToolRun longRun = tool(render + dir + "/" + longName);
    EXPECT_EQ(longRun.status, 0) << longRun.out;
    std::string deep = dir; // a path of 21 folders of 200 characters, past the system's 4096
    for (int i = 0; i < 21; ++i) deep += "/" + std::string(200, 'd');
    const ToolRun tooLong = tool(render + deep + "/x.png");
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_TRUE(contains(tooLong.out, ": the path is too long (")) << tooLong.out.substr(0, 400);
    EXPECT_EQ(entries(dir), "kept.png\n" + longName + "\n");
    unlink((dir + "/" + longName).c_str());

    // A file the caller could not write, and another user's file in a sticky folder: as an ordinary
    // user (root, who may write anything, runs the tool as nobody for this).
    const std::string asUser = root ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    if (!root || shellInSource("command -v setpriv").status == 0) {
        std::ofstream(dir + "/protected.png") << "old";
        chmod((dir + "/protected.png").c_str(), 0444);
        if (root) shellInSource("chown 65534 " + dir + "/protected.png");
        const ToolRun r = shellInSource(asUser + QZ_TOOL_PATH " " + render + dir + "/protected.png");
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_TRUE(contains(r.out, "protected.png: the file is not writable")) << r.out;
        EXPECT_EQ(contentOf(dir + "/protected.png"), "old");
        unlink((dir + "/protected.png").c_str());
    }
    if (root && shellInSource("command -v setpriv").status == 0) {
        const std::string sticky = dir + "/sticky";
        mkdir(sticky.c_str(), 0777);
        chmod(sticky.c_str(), 01777);
        std::ofstream(sticky + "/theirs.png") << "old";
        chmod((sticky + "/theirs.png").c_str(), 0666);
        shellInSource("chown 65533 " + sticky + "/theirs.png");
        const ToolRun r = shellInSource(asUser + QZ_TOOL_PATH " " + render + sticky + "/theirs.png");
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_TRUE(contains(r.out, "belongs to another user, in the sticky folder")) << r.out;
        EXPECT_EQ(contentOf(sticky + "/theirs.png"), "old");
        shellInSource("rm -rf " + sticky);
    }

    // A capture killed outright leaves its temporaries (nothing catches SIGKILL); the next run into the
    // folder removes them, and the lock file nobody holds.
    const std::string path = stalledFfmpegPath(dir, 1001);
    const ToolRun killed = shellInSource(
        signalledRun(path + " " QZ_TOOL_PATH " capture --to 100 --size 64x36 --out " + dir + "/v.mp4",
                     dir + "/bin/log", "0/101 frames", "KILL"));
    EXPECT_TRUE(contains(killed.out, "status=137")) << killed.out;
    EXPECT_TRUE(contains(entries(dir), ".partial")) << entries(dir);
    EXPECT_TRUE(contains(entries(dir), ".qz001-lock-")) << entries(dir);
    ASSERT_EQ(tool(render + dir + "/after.png").status, 0);
    EXPECT_EQ(entries(dir), "after.png\nbin\nkept.png\n");

    // Two captures to one name: the second is refused while the first runs.
    const std::string log = dir + "/bin/log";
    const ToolRun both = shellInSource(
        "(: >" + log + "; " + path +
        " QZ001_FFMPEG_STALL_SECONDS=60 " QZ_TOOL_PATH " capture --to 100 --size 64x36 --out " + dir +
        "/v.mp4 2>" + log + " & pid=$!; until grep -q '0/101 frames' " + log + "; do sleep 0.1; done; " +
        path + " " QZ_TOOL_PATH " capture --to 10 --size 64x36 --out " + dir +
        "/v.mp4; echo second=$?; kill -TERM $pid; "
        "wait $pid; echo first=$?)");
    EXPECT_TRUE(contains(both.out, "cannot write " + dir + "/v.mp4: another program (qz001-tool, process "))
        << both.out;
    EXPECT_TRUE(contains(both.out, "second=1")) << both.out;
    EXPECT_TRUE(contains(both.out, "first=143")) << both.out;
    EXPECT_EQ(entries(dir), "after.png\nbin\nkept.png\n");
    shellInSource("rm -rf " + dir);
}

// 2. Every integer option of both programs is read as whole decimal, in range, or refused with status 2
// naming the value as typed; a zero-padded frame (as the capture names its files) is that frame.
TEST(ToolFaults, Numbers) {
    const std::string dir = scratch("numbers");
    ASSERT_EQ(tool("render --frame 07000 --size 64x36 --out " + dir + "/padded.png").status, 0);
    ASSERT_EQ(tool("render --frame 7000 --size 64x36 --out " + dir + "/plain.png").status, 0);
    EXPECT_EQ(contentOf(dir + "/padded.png"), contentOf(dir + "/plain.png"));
    ASSERT_EQ(tool("render --frame 3584 --size 64x36 --out " + dir + "/octal.png").status, 0);
    EXPECT_NE(contentOf(dir + "/padded.png"), contentOf(dir + "/octal.png")) << "07000 read as octal";
    const ToolRun padded = tool("render --frame 07831 --size 64x36 --out " + dir + "/last.png");
    EXPECT_EQ(padded.status, 0) << padded.out;

    struct Case {
        std::string command, expect;
    } bad[] = {
        {QZ_TOOL_PATH " render --frame 0x10 --out " + dir + "/x.png",
         "--frame 0x10 is not a whole decimal number"},
        {QZ_TOOL_PATH " render --frame '' --out " + dir + "/x.png",
         "--frame \"\" is not a whole decimal number"},
        {QZ_TOOL_PATH " render --frame 7832 --out " + dir + "/x.png", "--frame 7832 is outside the show"},
        {QZ_TOOL_PATH " render --frame 99999999999999999999 --out " + dir + "/x.png",
         "--frame 99999999999999999999 is outside the show (frames 0..7831)"},
        {QZ_TOOL_PATH " render --frame 1 --size 4294968576x720 --out " + dir + "/x.png",
         "--size 4294968576x720 is not"},
        {QZ_TOOL_PATH " render --frame 1 --size 0640x0360x --out " + dir + "/x.png",
         "--size 0640x0360x is not"},
        {QZ_TOOL_PATH " capture --from 1e3 --out " + dir + "/f", "--from 1e3 is not a whole decimal number"},
        {QZ_TOOL_PATH " capture --to 4294967296 --out " + dir + "/f", "--to 4294967296 is outside the show"},
        {QZ_TOOL_PATH " capture --step 0 --out " + dir + "/f", "--step 0 is outside 1..2147483647"},
        {QZ_TOOL_PATH " capture --step 2147483648 --out " + dir + "/f", "--step 2147483648 is outside"},
        {QZ_TOOL_PATH " contact-sheet --every ' 60' --out " + dir + "/s.png", "--every  60 is not a whole"},
        {QZ_TOOL_PATH " scene 0" + std::to_string(kSceneCount) + " --frame 1",
         "scene 0" + std::to_string(kSceneCount) + " is outside 0.." + std::to_string(kSceneCount - 1)},
        {QZ_TOOL_PATH " scene 1 --frame +0x1", "--frame +0x1 is not a whole decimal number"},
        {QZ_TOOL_PATH " mesh 4k --obj " + dir + "/m.obj", "mesh program 4k is not a whole decimal number"},
        {QZ_TOOL_PATH " text -18446744073709551616 --obj " + dir + "/t.obj",
         "text line -18446744073709551616 is outside"},
        {QZ_SHOW_PATH " --scene 0x1", "qz001: --scene 0x1 is not a whole decimal number"},
        {QZ_SHOW_PATH " --scene " + std::to_string(kSceneCount + 1),
         "qz001: --scene " + std::to_string(kSceneCount + 1) + " is outside the show's scenes (0.." +
             std::to_string(kSceneCount - 1) + ")"},
    };
    for (const Case& c : bad) {
        SCOPED_TRACE(c.command);
        const ToolRun r = shellInSource("env -u DISPLAY " + c.command);
        EXPECT_EQ(r.status, 2) << r.out;
        EXPECT_TRUE(contains(r.out, c.expect)) << r.out;
    }
    EXPECT_EQ(entries(dir), "last.png\noctal.png\npadded.png\nplain.png\n");
    shellInSource("rm -rf " + dir);
}

// 3. SIGINT, SIGTERM and SIGHUP stop every long command at once: nothing left, status 128 + the signal.
TEST(ToolFaults, Signals) {
    const std::string dir = scratch("signals");
    const std::string log = tempPath("signals.log");
    struct Case {
        std::string signal, command, expect;
        int status;
        std::string ready; // a file the case needs written before the signal
    } cases[] = {
        {"INT", "contact-sheet --out " + dir + "/sheet.png", "stopped by SIGINT: nothing was written", 130,
         ""},
        {"HUP", "contact-sheet --every 30 --out " + dir + "/sheet.png",
         "stopped by SIGHUP: nothing was written", 129, ""},
        {"TERM", "capture --size 64x36 --out " + dir + "/frames",
         "stopped by SIGTERM: the frames written so far stay in", 143, dir + "/frames/frame_00000.png"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.signal);
        const ToolRun r =
            shellInSource(signalledRun(QZ_TOOL_PATH " " + c.command, log, " frames ", c.signal, c.ready));
        EXPECT_TRUE(contains(r.out, "status=" + std::to_string(c.status))) << r.out;
        EXPECT_TRUE(contains(contentOf(log), c.expect)) << contentOf(log);
    }
    // Only the frames capture keeps anything: the whole frames it had written, no temporary.
    const std::string frames = entries(dir + "/frames");
    EXPECT_EQ(frames.find(".partial"), std::string::npos) << frames;
    EXPECT_EQ(frames.find(".qz001"), std::string::npos) << frames;
    EXPECT_EQ(entries(dir), "frames\n");
    unlink(log.c_str());
    shellInSource("rm -rf " + dir);
}

// 4. A contact sheet too large to make is refused before anything is allocated or rendered; capture
// steps near the integer limit end, a step past the span giving the first frame alone.
TEST(ToolFaults, SizesAndSteps) {
    const std::string dir = scratch("sizes");
    const ToolRun sheet = tool("contact-sheet --out " + dir + "/h.png --every 1 --size 1280x720");
    EXPECT_EQ(sheet.status, 2) << sheet.out;
    EXPECT_TRUE(contains(sheet.out, "would be 15412x481918 pixels")) << sheet.out;
    EXPECT_TRUE(contains(sheet.out, "use a smaller --size or a larger --every")) << sheet.out;
    EXPECT_FALSE(contains(sheet.out, "frames/s")) << sheet.out;

    struct Case {
        std::string range, files;
    } cases[] = {
        {"--from 7831 --to 7831 --step 2147475817", "frame_07831.png\n"},
        {"--from 7830 --to 7831 --step 2147483647", "frame_07830.png\n"},
        {"--from 0 --to 7831 --step 3000", "frame_00000.png\nframe_03000.png\nframe_06000.png\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.range);
        const std::string out = dir + "/f";
        const ToolRun r =
            shellInSource("timeout 120 " QZ_TOOL_PATH " capture --size 64x36 --out " + out + " " + c.range);
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(entries(out), c.files);
        shellInSource("rm -rf " + out);
    }
    shellInSource("rm -rf " + dir);
}

// 5. An ffmpeg that stops taking frames, or stops writing once it has them all, is stopped after the
// stall limit (QZ001_FFMPEG_STALL_SECONDS, 30 s unless set) with nothing left; the first Ctrl-C always
// stops a capture waiting on it.
TEST(ToolFaults, FfmpegStalls) {
    const std::string dir = scratch("stalls");
    const std::string path = stalledFfmpegPath(dir, 1002);
    struct Case {
        std::string range, expect;
    } cases[] = {
        {"--to 300", "ffmpeg stopped taking frames for 2 s"},   // more than the pipe holds
        {"--to 2", "ffmpeg stopped writing the video for 2 s"}, // all in the pipe at once
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.range);
        const ToolRun r =
            shellInSource("timeout 120 env " + path +
                          " QZ001_FFMPEG_STALL_SECONDS=2 " QZ_TOOL_PATH " capture --size 64x36 --out " + dir +
                          "/v.mp4 " + c.range);
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_TRUE(contains(r.out, c.expect)) << r.out;
        EXPECT_EQ(entries(dir), "bin\n");
    }
    const std::string log = dir + "/bin/log";
    const ToolRun stopped =
        shellInSource(signalledRun("env " + path +
                                       " QZ001_FFMPEG_STALL_SECONDS=600 timeout 120 " QZ_TOOL_PATH
                                       " capture --size 64x36 --to 300 --out " +
                                       dir + "/v.mp4",
                                   log, "0/301 frames", "INT"));
    EXPECT_TRUE(contains(stopped.out, "status=130")) << stopped.out << contentOf(log);
    EXPECT_TRUE(contains(contentOf(log), "stopped by SIGINT: nothing was written")) << contentOf(log);
    EXPECT_EQ(entries(dir), "bin\n");
    EXPECT_TRUE(noProcessStarts("sleep 1002")) << "the fake ffmpeg is still running";
    const ToolRun badLimit = shellInSource("env QZ001_FFMPEG_STALL_SECONDS=0x1e " QZ_TOOL_PATH
                                           " capture --size 64x36 --to 2 --out " +
                                           dir + "/v.mp4");
    EXPECT_EQ(badLimit.status, 2) << badLimit.out;
    EXPECT_TRUE(contains(badLimit.out, "QZ001_FFMPEG_STALL_SECONDS 0x1e is not a whole decimal number"))
        << badLimit.out;
    shellInSource("rm -rf " + dir);
}
