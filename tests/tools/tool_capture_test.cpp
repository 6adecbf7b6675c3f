// tool_capture_test.cpp - qz001-tool capture as a user runs it: an MP4 with its music that ffprobe
// reads back, the same bytes of picture every time, and failures that leave nothing behind.
#include <gtest/gtest.h>

#include <cstring>
#include <dirent.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/tools/tool_run.h"

namespace {

// Runs a shell command in the repository root (where the music lies); stdout and stderr together.
ToolRun runShell(const std::string& command) {
    FILE* pipe = popen(("cd " QZ_SOURCE_DIR " && " + command + " 2>&1").c_str(), "r");
    std::string out;
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    int raw = pclose(pipe);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

ToolRun capture(const std::string& args, const std::string& env = "") {
    return runShell(env + " " QZ_TOOL_PATH " capture " + args);
}

std::string freshFolder(const std::string& name) {
    std::string dir = tempPath(name);
    runShell("rm -rf " + dir + " && mkdir -p " + dir);
    return dir;
}

int entriesIn(const std::string& dir) {
    int n = 0;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            n += std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, ".."); // hidden too
        closedir(d);
    }
    return n;
}

double probe(const std::string& file, const std::string& stream, const std::string& entry) {
    ToolRun r =
        runShell("ffprobe -v error -count_frames -select_streams " + stream +
                 " -show_entries stream=" + entry + " -of default=noprint_wrappers=1:nokey=1 " + file);
    char* end = nullptr;
    const double value = std::strtod(r.out.c_str(), &end);
    return end == r.out.c_str() ? -1 : value; // "N/A" or nothing: -1, which fails the comparison
}

} // namespace

// 30 frames of scene 4, whose kick drum pulses with the music's spectrum.
TEST(ToolCapture, VideoHasThirtyFramesAndItsMusicAndIsTheSameEveryTime) {
    if (runShell("command -v ffmpeg && command -v ffprobe").status != 0)
        GTEST_SKIP() << "ffmpeg is not installed";
    std::string dir = freshFolder("capture");
    ToolRun first = capture("--out " + dir + "/a.mp4 --from 1400 --to 1429 --size 64x36");
    ASSERT_EQ(first.status, 0) << first.out;
    ASSERT_EQ(capture("--out " + dir + "/b.mp4 --from 1400 --to 1429 --size 64x36").status, 0);

    EXPECT_EQ(runShell("ffprobe -v error -show_entries stream=codec_name -of csv=p=0 " + dir + "/a.mp4").out,
              "h264\naac\n");
    EXPECT_EQ(probe(dir + "/a.mp4", "v", "nb_read_frames"), 30);
    const double video = probe(dir + "/a.mp4", "v", "duration"),
                 audio = probe(dir + "/a.mp4", "a", "duration");
    EXPECT_NEAR(video, 30 * 0.01666, 0.001);
    EXPECT_NEAR(audio, video, 1 / 60.0);

    // The decoded pictures of the two captures are identical, byte for byte.
    ToolRun a = runShell("ffmpeg -v error -i " + dir + "/a.mp4 -f rawvideo -pix_fmt rgba - | md5sum");
    ToolRun b = runShell("ffmpeg -v error -i " + dir + "/b.mp4 -f rawvideo -pix_fmt rgba - | md5sum");
    EXPECT_EQ(a.out, b.out);
    EXPECT_EQ(entriesIn(dir), 2); // no temporary file left beside them
    runShell("rm -rf " + dir);
}

TEST(ToolCapture, FailuresSayWhyAndLeaveNothing) {
    std::string dir = freshFolder("capture-fail");
    struct Case {
        std::string args, env, expect;
    };
    const Case cases[] = {
        {"--out " + dir + "/a.mp4 --to 10 --size 65x36", "", "even width"},
        {"--out " + dir + "/a.mp4 --to 10 --step 2", "", "--step"},
        {"--out " + dir + "/a.mp4 --from 20 --to 10", "", "lies after"},
        {"--out " + dir + "/a.mp4 --to 7832", "", "outside the show"},
        {"--out " + dir + "/missing/a.mp4 --to 10", "", "does not exist"},
        {"--out " + dir + "/a.mp4 --to 10 --size 64x36", "PATH=/nonexistent", "apt-get install ffmpeg"},
        // An ffmpeg that fails at once.
        {"--out " + dir + "/a.mp4 --to 10 --size 64x36", "PATH=" + dir + "/bin:$PATH", "ffmpeg"},
    };
    runShell("mkdir -p " + dir + "/bin && printf '#!/bin/sh\\necho broken >&2\\nexit 1\\n' >" + dir +
             "/bin/ffmpeg && chmod +x " + dir + "/bin/ffmpeg");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args + " " + c.env);
        ToolRun r = capture(c.args, c.env);
        EXPECT_NE(r.status, 0);
        EXPECT_NE(r.out.find(c.expect), std::string::npos) << r.out;
        EXPECT_EQ(entriesIn(dir), 1) << "only bin/ should be there";
    }
    runShell("rm -rf " + dir);
}

// ffmpeg exits 0 even when a full disk kept it from writing the file's index: the capture must look at
// the file, say so and keep nothing.
TEST(ToolCapture, AnUnfinishedVideoIsNotKept) {
    if (runShell("command -v ffmpeg").status != 0) GTEST_SKIP() << "ffmpeg is not installed";
    std::string dir = freshFolder("capture-unfinished");
    // Each fake ffmpeg leaves an unfinished file where the real one writes it (its last argument) and
    // exits 0: a file type box and media data running to the end but no index; or a real video cut short.
    struct Fake {
        std::string name, script, expect;
    } fakes[] = {
        {"no-index",
         "cat >/dev/null\nfor a; do out=$a; done\n"
         "printf '\\000\\000\\000\\020ftypisom\\000\\000\\000\\000\\000\\000\\000\\000mdat' >\"$out\"\n"
         "head -c 5000 /dev/urandom >>\"$out\"\n",
         "no index"},
        {"cut-short", "for a; do out=$a; done\nPATH=${PATH#*:} ffmpeg \"$@\" && truncate -s -300 \"$out\"\n",
         "cut short"},
    };
    for (const Fake& f : fakes) {
        SCOPED_TRACE(f.name);
        const std::string bin = dir + "/" + f.name;
        mkdir(bin.c_str(), 0777);
        std::ofstream(bin + "/ffmpeg") << "#!/bin/sh\n" << f.script;
        chmod((bin + "/ffmpeg").c_str(), 0755);
        ToolRun r =
            capture("--out " + dir + "/a.mp4 --from 1400 --to 1409 --size 64x36", "PATH=" + bin + ":$PATH");
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_NE(r.out.find(f.expect), std::string::npos) << r.out;
        EXPECT_EQ(access((dir + "/a.mp4").c_str(), F_OK), -1);
        EXPECT_EQ(entriesIn(dir), (int)(&f - fakes) + 1) << "only the fakes' folders should be there";
    }

    // The disk itself filling up while ffmpeg writes the index, where this user may mount a small
    // file system.
    const std::string disk = dir + "/disk";
    mkdir(disk.c_str(), 0777);
    if (runShell("mount -t tmpfs -o size=2m qz001-test " + disk).status == 0) {
        runShell("head -c 1300000 /dev/zero >" + disk + "/fill");
        ToolRun full = capture("--out " + disk + "/v.mp4 --from 900 --to 1000 --size 1280x720");
        EXPECT_EQ(full.status, 1) << full.out;
        EXPECT_EQ(entriesIn(disk), 1) << "only the filler should be there";
        runShell("umount " + disk);
    }
    runShell("rm -rf " + dir);
}

TEST(ToolCapture, InterruptStopsFfmpegAndLeavesNothing) {
    if (runShell("command -v ffmpeg").status != 0) GTEST_SKIP() << "ffmpeg is not installed";
    std::string dir = freshFolder("capture-interrupt");
    ToolRun r =
        runShell("(" QZ_TOOL_PATH " capture --out " + dir +
                 "/show.mp4 --size 64x36 & pid=$!; sleep 4; kill -INT $pid; wait $pid; echo status=$?)");
    EXPECT_NE(r.out.find("stopped by SIGINT: nothing was written"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("status=130"), std::string::npos) << r.out;
    EXPECT_EQ(entriesIn(dir), 0);
    // No process left whose command line starts with ffmpeg and names the folder.
    ToolRun left =
        runShell("for f in /proc/[0-9]*/cmdline; do tr '\\0' ' ' <$f 2>/dev/null | grep -q '^ffmpeg .*" +
                 dir + "' && echo \"$f\"; done; true");
    EXPECT_EQ(left.out, "") << "ffmpeg is still running";
    runShell("rm -rf " + dir);
}

// A capture that starts in the middle of a scene catches up on the scene's earlier frames, each with
// the music at its own position: its first frame is the same picture as in a capture from further back.
TEST(ToolCapture, AFrameIsTheSameWhereverTheCaptureStarts) {
    std::string dir = freshFolder("capture-from");
    ASSERT_EQ(capture("--out " + dir + "/late --from 1410 --to 1410 --size 64x36").status, 0);
    ASSERT_EQ(capture("--out " + dir + "/early --from 1400 --to 1410 --size 64x36").status, 0);
    ToolRun same = runShell("cmp " + dir + "/late/frame_01410.png " + dir + "/early/frame_01410.png");
    EXPECT_EQ(same.status, 0) << same.out;
    ToolRun other = runShell("cmp " + dir + "/early/frame_01409.png " + dir + "/early/frame_01410.png");
    EXPECT_NE(other.status, 0) << "the show stands still";
    runShell("rm -rf " + dir);
}

// Where the output goes is checked before the first frame (a whole-show capture is minutes); a folder
// for PNG frames is made with the folders above it; the progress goes to a log as plain lines.
TEST(ToolCapture, OutputProblemsAreFoundBeforeTheFirstFrame) {
    std::string dir = freshFolder("capture-output");
    mkdir((dir + "/x.mp4").c_str(), 0777);
    struct Case {
        std::string command, expect;
    } cases[] = {
        {"capture --out " + dir + "/x.mp4 --size 64x36", "it is a folder"},
        {"contact-sheet --out " + dir + "/missing/sheet.png", "does not exist"},
        {"render --frame 3 --out " + dir + "/x.mp4", "it is a folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        ToolRun r = runShell(QZ_TOOL_PATH " " + c.command);
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_NE(r.out.find(c.expect), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("frames/s"), std::string::npos) << "frames were rendered first: " << r.out;
    }

    ToolRun deep = capture("--out " + dir + "/a/b --to 2 --size 64x36");
    EXPECT_EQ(deep.status, 0) << deep.out;
    EXPECT_EQ(access((dir + "/a/b/frame_00002.png").c_str(), F_OK), 0);
    EXPECT_EQ(deep.out.find('\r'), std::string::npos) << "a terminal's progress bar went into a log";
    EXPECT_NE(deep.out.find("3/3 frames"), std::string::npos) << deep.out;

    if (runShell("command -v ffmpeg").status == 0) {
        ASSERT_EQ(capture("--out " + dir + "/upper.MP4 --to 2 --size 64x36").status, 0);
        struct stat st = {};
        EXPECT_EQ(stat((dir + "/upper.MP4").c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode)) << "upper.MP4 should be a video, not a folder of frames";
    }
    runShell("rm -rf " + dir);
}
