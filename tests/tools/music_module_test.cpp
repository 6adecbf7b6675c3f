// Tests of the committed soundtrack music/ZB_PALEWIRE.xm, played through libopenmpt as the show
// plays it: it loads cleanly, lasts the right time, each section starts in its scene's first frame,
// it never clips, it builds where it should, and it really ends. Also: the generator still writes
// exactly the committed bytes.
#include "song.h"
#include "xm.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.hpp>

#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

std::vector<uint8_t> committedModule() {
    std::ifstream in(QZ_MUSIC_FILE, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The show's clock: milliseconds to 60 Hz frames.
long frameOfMs(double ms) {
    return long(std::floor(ms)) * 100 / 1666;
}

// One complete rendering of the module at one sample rate, gathered once per rate.
struct Rendering {
    int rate = 0;
    std::vector<float> energy; // mean square of left and right per chunk (1 ms at 48 kHz)
    float peak = 0;
    long chunk = 0;              // frames per chunk of rendering (about 1 ms)
    std::vector<long> orderSeen; // frames rendered when each order was first reported
    long chunks = 0;
    bool ended = false; // read() reported the end before the safety bound
};

Rendering render(int rate) {
    std::vector<uint8_t> bytes = committedModule();
    openmpt::module player(bytes);
    Rendering r;
    r.rate = rate;
    r.orderSeen.assign(songSectionCount, -1);
    r.chunk = rate / 1000;
    const size_t chunk = size_t(r.chunk);
    std::vector<float> left(chunk), right(chunk);
    const long bound = 140 * 1000; // 140 s: far past any acceptable length
    for (long c = 0; c < bound; ++c) {
        size_t n = player.read(rate, chunk, left.data(), right.data());
        if (n == 0) {
            r.ended = true;
            break;
        }
        double sum = 0;
        for (size_t i = 0; i < n; ++i) {
            sum += 0.5 * (double(left[i]) * left[i] + double(right[i]) * right[i]);
            r.peak = std::max(r.peak, std::max(std::fabs(left[i]), std::fabs(right[i])));
        }
        r.energy.push_back(float(sum / double(n)));
        int order = player.get_current_order();
        if (order >= 0 && order < songSectionCount && r.orderSeen[size_t(order)] < 0)
            r.orderSeen[size_t(order)] = (c + 1) * r.chunk;
        r.chunks = c + 1;
    }
    return r;
}

const Rendering& rendering48k() {
    static const Rendering r = render(48000);
    return r;
}

// RMS in decibels over [fromMs, toMs).
double levelDb(const Rendering& r, double fromMs, double toMs) {
    double sum = 0;
    long n = 0;
    for (long i = long(fromMs); i < long(toMs) && i < long(r.energy.size()); ++i)
        sum += r.energy[size_t(i)], ++n;
    return n ? 10 * std::log10(sum / double(n) + 1e-12) : -120;
}

// Start of a section in milliseconds, from libopenmpt's own timing.
double sectionMs(int section) {
    std::vector<uint8_t> bytes = committedModule();
    openmpt::module player(bytes);
    return player.set_position_order_row(songSections[section].order, 0) * 1000;
}

} // namespace

TEST(MusicModule, GeneratorReproducesTheCommittedFile) {
    std::vector<uint8_t> committed = committedModule();
    ASSERT_FALSE(committed.empty()) << "cannot read " << QZ_MUSIC_FILE;
    XmModule song = composeSong();
    ASSERT_EQ(xmValidate(song), "");
    std::vector<uint8_t> generated = xmWriteModule(song);
    ASSERT_EQ(generated.size(), committed.size()) << "regenerate with: cmake --build BUILD --target music";
    EXPECT_TRUE(generated == committed) << "regenerate with: cmake --build BUILD --target music";
}

TEST(MusicModule, LoadsCleanlyAsOneSongOfTheRightLength) {
    std::vector<uint8_t> bytes = committedModule();
    std::ostringstream log;
    openmpt::module player(bytes, log);
    EXPECT_EQ(log.str(), "") << "libopenmpt logged while loading";
    EXPECT_EQ(player.get_num_subsongs(), 1);
    EXPECT_EQ(player.get_metadata("type"), "xm");
    EXPECT_EQ(player.get_num_channels(), 16);
    double seconds = player.get_duration_seconds();
    EXPECT_GE(seconds, 130.6);
    EXPECT_LE(seconds, 133.0);
    EXPECT_EQ(log.str(), "");
}

TEST(MusicModule, EndsOnceWithoutLooping) {
    const Rendering& r = rendering48k();
    ASSERT_TRUE(r.ended) << "still playing after 140 s";
    std::vector<uint8_t> bytes = committedModule();
    openmpt::module player(bytes);
    double rendered = double(r.chunks * r.chunk) / r.rate;
    EXPECT_NEAR(rendered, player.get_duration_seconds(), 0.25);
    // The show's last frame (7831) comes before the music stops.
    EXPECT_GT(frameOfMs(rendered * 1000), 7831);
}

TEST(MusicModule, SectionsStartInTheirScenesFirstFrame) {
    for (int s = 0; s < songSectionCount; ++s) {
        EXPECT_EQ(frameOfMs(sectionMs(s)), songSections[s].showFrame) << songSections[s].name;
    }
    // The same when rendered at the two usual output rates: the order changes within the chunk
    // before the one where it is first reported; from two chunks before that report to one chunk
    // after it, every moment lies in the scene's first frame.
    for (int rate : {48000, 44100}) {
        Rendering local;
        const Rendering& r = rate == 48000 ? rendering48k() : (local = render(rate));
        for (int s = 1; s < songSectionCount; ++s) {
            long seen = r.orderSeen[size_t(s)];
            ASSERT_GE(seen, 0) << songSections[s].name << " never played at " << rate;
            double earliest = double(seen - 3 * r.chunk) * 1000 / rate,
                   latest = double(seen + r.chunk) * 1000 / rate;
            EXPECT_EQ(frameOfMs(earliest), songSections[s].showFrame) << songSections[s].name << " @" << rate;
            EXPECT_EQ(frameOfMs(latest), songSections[s].showFrame) << songSections[s].name << " @" << rate;
        }
    }
}

TEST(MusicModule, LevelsFollowTheShapeOfThePiece) {
    const Rendering& r = rendering48k();
    EXPECT_LT(r.peak, 0.98f) << "the mix clips";

    double start[songSectionCount + 1];
    for (int s = 0; s < songSectionCount; ++s) start[s] = sectionMs(s);
    start[songSectionCount] = double(r.chunks * r.chunk) * 1000 / r.rate;
    auto section = [&](const char* name) {
        for (int s = 0; s < songSectionCount; ++s)
            if (std::string(songSections[s].name) == name) return s;
        ADD_FAILURE() << "no section " << name;
        return 0;
    };
    auto level = [&](int s) { return levelDb(r, start[s], start[s + 1]); };

    // The intro fades in from near silence.
    EXPECT_LT(levelDb(r, 0, 1000), levelDb(r, 12000, 15000) - 15);
    // Build-ups rise: the build ends louder than the hit's echo, the rise's last bars beat its first.
    int rise = section("rise");
    double riseLength = start[rise + 1] - start[rise];
    EXPECT_GT(levelDb(r, start[rise] + riseLength * 0.75, start[rise] + riseLength * 0.95),
              levelDb(r, start[rise], start[rise] + riseLength * 0.25) + 2);
    // The breakdown is a real drop in energy; the climax is the loudest part.
    int breakdown = section("breakdown"), climax = section("climax");
    for (const char* loud : {"drop", "drop two", "climax", "bridge", "finale"})
        EXPECT_GT(level(section(loud)), level(breakdown) + 4) << loud;
    for (int s = 0; s < songSectionCount; ++s)
        EXPECT_LE(level(s), level(climax) + 0.01) << songSections[s].name;
    // A real ending: the final chord rings out and dies away before the last frame of the show.
    int finale = section("finale");
    double finaleLength = start[finale + 1] - start[finale];
    double lastChord = start[finale] + finaleLength * 0.75;
    EXPECT_GT(levelDb(r, lastChord, lastChord + 500), -22);
    EXPECT_LT(levelDb(r, start[finale + 1] - 1000, start[finale + 1]), level(finale) - 25);
    EXPECT_LT(level(section("end")), -55);
}
