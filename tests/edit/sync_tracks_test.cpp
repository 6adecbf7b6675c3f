// Sync keys against the protocol's formulas, their baking into the show's keys (the show's own linear
// sampler must give the live curve on every frame), the source text they are written as, the scanner
// that finds a track's entry, and a save into a scratch copy of data/tracks.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "data/scene_data.h"
#include "director/sync_rows.h"
#include "director/tracks.h"
#include "edit/session/initializer_scan.h"
#include "edit/sync/sync_tracks.h"

namespace {

SyncTracks held;

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The protocol's curve, written out again from its definition over a plain list of keys.
double reference(const std::vector<SyncKey>& keys, double row) {
    if (keys.empty()) return 0;
    if (row <= keys.front().row) return keys.front().value;
    if (row >= keys.back().row) return keys.back().value;
    size_t i = 0;
    while (keys[i + 1].row <= row) ++i;
    const SyncKey &a = keys[i], &b = keys[i + 1];
    double t = (row - a.row) / (b.row - a.row);
    switch (a.interpolation) {
    case 0:
        t = 0;
        break;
    case 2:
        t = t * t * (3 - 2 * t);
        break;
    case 3:
        t = t * t;
        break;
    }
    return a.value + (b.value - a.value) * t;
}

// Parses "linear({{f, x, y, z}, ...})" (or "{interp, count, {...}}") back into keys.
std::vector<TrackKey> parseKeys(const std::string& text) {
    std::vector<TrackKey> keys;
    size_t at = text.find("{{");
    if (at == std::string::npos) return keys;
    ++at;
    while ((at = text.find('{', at)) != std::string::npos) {
        TrackKey k = {};
        char* end = nullptr;
        const char* p = text.c_str() + at + 1;
        k.frame = (int32_t)std::strtol(p, &end, 10);
        k.x = std::strtof(end + 1, &end);
        end += *end == 'f';
        k.y = std::strtof(end + 1, &end);
        end += *end == 'f';
        k.z = std::strtof(end + 1, &end);
        keys.push_back(k);
        at = (size_t)(end - text.c_str());
    }
    return keys;
}

// The same over frames, as the show plays keys nobody sent: each on its row's first frame.
double referenceAtFrame(const std::vector<SyncKey>& keys, double frame) {
    std::vector<SyncKey> atFrames = keys;
    for (SyncKey& k : atFrames) k.row = (uint16_t)rowFirstFrame(k.row); // a row as wide as a frame
    return reference(atFrames, frame);
}

} // namespace

TEST(SyncTracks, KeysAndSamplingFollowTheFormulas) {
    nameSyncTracks(held, trackNames);
    std::mt19937 random(31);
    for (int round = 0; round < 50; ++round) {
        clearSyncKeys(held);
        std::vector<SyncKey> keys; // the same keys, kept by the test in a sorted list of its own
        const int count = 1 + (int)(random() % 12);
        for (int k = 0; k < count; ++k) {
            const SyncKey key = {(uint16_t)(random() % kShowRowCount), (uint8_t)(random() % 4),
                                 (float)((int)(random() % 20001) - 10000) / 7};
            ASSERT_TRUE(setSyncKey(held, 5, key));
            auto same =
                std::find_if(keys.begin(), keys.end(), [&](const SyncKey& o) { return o.row == key.row; });
            if (same != keys.end())
                *same = key; // one key a row: a new one replaces it
            else
                keys.push_back(key);
        }
        if (round % 3 == 0) { // deleting keys, including rows with none
            for (int d = 0; d < 3; ++d) {
                const uint16_t row =
                    random() % 2 ? keys[random() % keys.size()].row : (uint16_t)(random() % 1088);
                deleteSyncKey(held, 5, row);
                keys.erase(
                    std::remove_if(keys.begin(), keys.end(), [&](const SyncKey& o) { return o.row == row; }),
                    keys.end());
            }
        }
        std::sort(keys.begin(), keys.end(), [](const SyncKey& a, const SyncKey& b) { return a.row < b.row; });
        ASSERT_EQ(held.tracks[5].count, keys.size());
        for (int i = 0; i < 400; ++i) {
            const double row = (double)(random() % 11000) / 10.0 - 5;
            EXPECT_NEAR(sampleSyncTrack(held.tracks[5], row), reference(keys, row), 2e-3);
        }
    }
    EXPECT_FALSE(setSyncKey(held, 5, SyncKey{1088, 0, 1}));
    EXPECT_FALSE(setSyncKey(held, 5, SyncKey{3, 4, 1}));
    EXPECT_FALSE(setSyncKey(held, 5, SyncKey{3, 0, std::nanf("")}));
    EXPECT_FALSE(setSyncKey(held, held.count, SyncKey{3, 0, 1}));
    clearSyncKeys(held);
    EXPECT_EQ(sampleSyncTrack(held.tracks[5], 3), 0.0f);
    EXPECT_EQ(syncDriver(held, 1, 2), nullptr); // no keys: the show's own component
    setSyncKey(held, 5, SyncKey{0, 1, 1});
    EXPECT_EQ(syncDriver(held, 1, 2), &held.tracks[5]); // DropIntro:z
}

// Property: baked keys, sampled the way the show samples them, are the live curve on every frame:
// exactly (to float rounding) for step and linear keys, within a fraction of a hundredth for smooth and
// ramp segments; undriven components keep the show's own curve.
TEST(SyncTracks, BakedKeysPlayTheLiveCurve) {
    nameSyncTracks(held, trackNames);
    std::mt19937 random(7);
    int baked = 0;
    for (int round = 0; round < 200; ++round) {
        clearSyncKeys(held);
        const int32_t showTrack = (int32_t)(random() % 18);
        const bool curved = round % 2 == 1;
        const int drivenMask = 1 + (int)(random() % 7);
        for (int c = 0; c < 3; ++c) {
            if (!(drivenMask >> c & 1)) continue;
            const int count = 1 + (int)(random() % (curved ? 3 : 8));
            for (int k = 0; k < count; ++k) {
                const uint8_t interpolation = curved ? (uint8_t)(random() % 4) : (uint8_t)(random() % 2);
                setSyncKey(
                    held, held.driver[showTrack][c],
                    SyncKey{(uint16_t)(random() % 140), interpolation, (float)((int)(random() % 401) - 200)});
            }
        }
        Track out;
        const Track& own = embeddedTracks[showTrack];
        const SyncBake bake = bakeSyncTrack(held, showTrack, own, out);
        if (bake.fault != SyncBakeFault::none) {
            EXPECT_EQ(bake.fault, SyncBakeFault::tooManyKeys);
            EXPECT_GT(bake.keysNeeded, 64u);
            continue;
        }
        ++baked;
        EXPECT_EQ(out.keyCount, bake.keysNeeded);
        EXPECT_EQ(out.keys[0].frame, 0);
        for (uint32_t k = 1; k < out.keyCount; ++k) ASSERT_LT(out.keys[k - 1].frame, out.keys[k].frame);
        float largest = 0;
        for (int32_t f = 0; f < 1400; ++f) {
            const TrackPoint s = sampleTrack(out, (uint32_t)f), o = sampleTrack(own, (uint32_t)f);
            const float got[3] = {s.x, s.y, s.z}, mine[3] = {o.x, o.y, o.z};
            for (int c = 0; c < 3; ++c) {
                const SyncTrack* d = syncDriver(held, showTrack, c);
                std::vector<SyncKey> keys;
                if (d) keys.assign(d->keys, d->keys + d->count);
                const double want = d ? referenceAtFrame(keys, f) : mine[c];
                largest = std::max(largest, (float)std::fabs(got[c] - want));
                ASSERT_NEAR(got[c], want, curved ? kSyncSaveBound : 2e-3)
                    << "track " << showTrack << " c " << c << " frame " << f;
            }
        }
        if (!curved) {
            EXPECT_LT(largest, 2e-3f);
        }
        EXPECT_NEAR(largestSyncDifference(held, showTrack, own, out), largest, 2e-3);
        EXPECT_NEAR(bake.largestDifference, largest, 2e-3);
    }
    EXPECT_GT(baked, 150);
}

// Smooth and ramp segments are baked within the promised bound, with keys where the curve bends; what
// cannot be (more keys than a track holds, a sampling that overflows) is refused with the track's
// component and row, and a save never writes a track over the bound.
TEST(SyncTracks, CurvesWithinTheBoundAndHugeKeysRefused) {
    nameSyncTracks(held, trackNames);
    Track out;
    for (uint8_t curve : {kSyncSmooth, kSyncRamp}) { // 0 to 100 over 8 rows, then from 100 to -40 over 3
        clearSyncKeys(held);
        setSyncKey(held, 0, SyncKey{4, curve, 0});
        setSyncKey(held, 0, SyncKey{12, curve, 100});
        setSyncKey(held, 0, SyncKey{15, kSyncLinear, -40});
        const SyncBake bake = bakeSyncTrack(held, 0, embeddedTracks[0], out);
        ASSERT_EQ(bake.fault, SyncBakeFault::none);
        EXPECT_LE(bake.largestDifference, kSyncSaveBound);
        for (int32_t f = 0; f < 200; ++f) // against the formula itself
            ASSERT_NEAR(sampleTrack(out, (uint32_t)f).x,
                        referenceAtFrame({held.tracks[0].keys, held.tracks[0].keys + 3}, f), kSyncSaveBound)
                << "frame " << f;
    }
    // 0 to a million over 100 rows: a line every frame or two, far more than a track holds.
    clearSyncKeys(held);
    setSyncKey(held, 0, SyncKey{0, kSyncSmooth, 0});
    setSyncKey(held, 0, SyncKey{100, kSyncLinear, 1e6f});
    SyncBake bake = bakeSyncTrack(held, 0, embeddedTracks[0], out);
    EXPECT_EQ(bake.fault, SyncBakeFault::tooManyKeys);
    EXPECT_GT(bake.keysNeeded, 64u);
    // From -3e38 to 3e38: the show's float sampling between them overflows. Its first key names the row.
    clearSyncKeys(held);
    setSyncKey(held, 31, SyncKey{40, kSyncLinear, -3e38f}); // PanelSlide:y
    setSyncKey(held, 31, SyncKey{48, kSyncLinear, 3e38f});
    bake = bakeSyncTrack(held, 10, embeddedTracks[10], out);
    EXPECT_EQ(bake.fault, SyncBakeFault::notFinite);
    EXPECT_EQ(bake.component, 1);
    EXPECT_EQ(bake.row, 40);
    // 1e30 apart does not overflow, but no float lies within the bound of most frames between.
    setSyncKey(held, 31, SyncKey{48, kSyncStep, 1e30f});
    setSyncKey(held, 31, SyncKey{40, kSyncLinear, 0});
    bake = bakeSyncTrack(held, 10, embeddedTracks[10], out);
    EXPECT_NE(bake.fault, SyncBakeFault::none);

    // The save: neither is written, each named, the file untouched.
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("qz_sync_huge_" + std::to_string(getpid()) + ".cpp");
    const std::string before = readFile(std::filesystem::path(QZ_SOURCE_DIR) / "data/tracks.cpp");
    { std::ofstream(file, std::ios::binary) << before; }
    setSyncKey(held, 31, SyncKey{40, kSyncLinear, -3e38f});
    setSyncKey(held, 31, SyncKey{48, kSyncLinear, 3e38f});
    setSyncKey(held, 3, SyncKey{0, kSyncLinear, 0}); // DropIntro:x
    setSyncKey(held, 3, SyncKey{40, kSyncLinear, 1e30f});
    static SyncSave saved;
    saveSyncTracks(held, embeddedTracks, file.string().c_str(), saved);
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(saved.written, 0);
    EXPECT_EQ(saved.refused, 2);
    const std::string note = saved.note;
    EXPECT_NE(note.find("PanelSlide (track 10) y at row 40: the show's sampling of its keys is not finite"),
              std::string::npos)
        << note;
    EXPECT_NE(note.find("DropIntro (track 1) "), std::string::npos) << note;
    EXPECT_EQ(readFile(file), before);
    std::filesystem::remove(file);
}

TEST(SyncTracks, SourceTextAndTheScanner) {
    // The text reads back as the same keys, bit for bit.
    Track t = {};
    t.keyCount = 4;
    t.keys[0] = {0, 0, -900, 4.3f};
    t.keys[1] = {7, 1.0f / 3, 1e-6f, -0.5f};
    t.keys[2] = {8, 123456.7f, 2e9f, 100};
    t.keys[3] = {9, -0.0f, 17, 3.14159274f};
    const std::string text = trackSourceText(t);
    EXPECT_EQ(text.substr(0, 28), "linear({{0, 0, -900, 4.3f},\n");
    const std::vector<TrackKey> back = parseKeys(text);
    ASSERT_EQ(back.size(), 4u);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(back[k].frame, t.keys[k].frame);
        EXPECT_EQ(back[k].x, t.keys[k].x);
        EXPECT_EQ(back[k].y, t.keys[k].y);
        EXPECT_EQ(back[k].z, t.keys[k].z);
    }

    // Comments, literals and nesting do not count; mentions before the definition are not it.
    const std::string source = "// embeddedTracks = {nope};\nextern const int embeddedTracks[3];\n"
                               "const int embeddedTracks[3] = {\n  /* a, { */ f(1, {2, 3}), // x, }\n"
                               "  \"},\" , g('}')\n , {4,5},\n};\n";
    char error[256] = "";
    EXPECT_EQ(countInitializerElements(source, "embeddedTracks", error, sizeof error), 4) << error;
    TextSpan span = {};
    ASSERT_TRUE(findInitializerElement(source, "embeddedTracks", 0, span, error, sizeof error)) << error;
    EXPECT_EQ(source.substr(span.begin, span.end - span.begin), "f(1, {2, 3})");
    ASSERT_TRUE(findInitializerElement(source, "embeddedTracks", 1, span, error, sizeof error));
    EXPECT_EQ(source.substr(span.begin, span.end - span.begin), "\"},\"");
    ASSERT_TRUE(findInitializerElement(source, "embeddedTracks", 2, span, error, sizeof error));
    EXPECT_EQ(source.substr(span.begin, span.end - span.begin), "g('}')");
    ASSERT_TRUE(findInitializerElement(source, "embeddedTracks", 3, span, error, sizeof error));
    EXPECT_EQ(source.substr(span.begin, span.end - span.begin), "{4,5}");
    EXPECT_FALSE(findInitializerElement(source, "embeddedTracks", 4, span, error, sizeof error));
    EXPECT_STREQ(error, "the initializer of embeddedTracks has 4 elements, not an element 4");
    EXPECT_EQ(
        countInitializerElements("int embeddedTracks[2] = {1, {2", "embeddedTracks", error, sizeof error),
        -1);
    EXPECT_STREQ(error, "the initializer of embeddedTracks does not close");

    // The show's own file: each entry parses back as the table the program was built with.
    const std::string tracks = readFile(std::filesystem::path(QZ_SOURCE_DIR) / "data/tracks.cpp");
    ASSERT_EQ(countInitializerElements(tracks, "embeddedTracks", error, sizeof error), trackNames.last + 1)
        << error;
    for (int i = 0; i <= trackNames.last; ++i) {
        ASSERT_TRUE(findInitializerElement(tracks, "embeddedTracks", i, span, error, sizeof error)) << error;
        const std::vector<TrackKey> keys = parseKeys(tracks.substr(span.begin, span.end - span.begin));
        ASSERT_EQ(keys.size(), embeddedTracks[i].keyCount) << "track " << i;
        for (size_t k = 0; k < keys.size(); ++k) {
            EXPECT_EQ(keys[k].frame, embeddedTracks[i].keys[k].frame);
            EXPECT_EQ(keys[k].z, embeddedTracks[i].keys[k].z);
        }
    }
}

TEST(SyncTracks, SaveWritesTheDrivenTracksAndNothingElse) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("qz_sync_save_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / "tracks.cpp";
    const std::string before = readFile(std::filesystem::path(QZ_SOURCE_DIR) / "data/tracks.cpp");
    { std::ofstream(file, std::ios::binary) << before; }

    nameSyncTracks(held, trackNames);
    clearSyncKeys(held);
    // Given:y: a step at row 0, linear from row 10 to 20; BuildFade:x (track 2): one smooth segment.
    setSyncKey(held, 1, SyncKey{0, kSyncStep, 5});
    setSyncKey(held, 1, SyncKey{10, kSyncLinear, 50});
    setSyncKey(held, 1, SyncKey{20, kSyncLinear, -25});
    setSyncKey(held, 6, SyncKey{2, kSyncSmooth, 30});
    setSyncKey(held, 6, SyncKey{32, kSyncLinear, 200});
    // MarksA:z (track 4): a smooth segment over 200 rows from 0 to 100000: refused.
    setSyncKey(held, 14, SyncKey{0, kSyncSmooth, 0});
    setSyncKey(held, 14, SyncKey{200, kSyncLinear, 100000});

    static SyncSave saved;
    saveSyncTracks(held, embeddedTracks, file.string().c_str(), saved);
    EXPECT_FALSE(saved.ok); // one track refused
    EXPECT_EQ(saved.written, 2);
    EXPECT_EQ(saved.refused, 1);
    EXPECT_TRUE(std::string(saved.note).find("MarksA (track 4) needs ") != std::string::npos) << saved.note;
    EXPECT_TRUE(std::string(saved.note).find("a track holds 64: not written") != std::string::npos);
    // The smooth segment within the bound.
    const float bound = kSyncSaveBound;
    EXPECT_LE(saved.largestDifference, bound);
    EXPECT_GT(saved.largestDifference, 0.0f);

    const std::string after = readFile(file);
    char error[256] = "";
    TextSpan a = {}, b = {};
    for (int t = 0; t <= trackNames.last; ++t) {
        ASSERT_TRUE(findInitializerElement(before, "embeddedTracks", t, a, error, sizeof error));
        ASSERT_TRUE(findInitializerElement(after, "embeddedTracks", t, b, error, sizeof error));
        const std::string was = before.substr(a.begin, a.end - a.begin),
                          now = after.substr(b.begin, b.end - b.begin);
        if (t != 0 && t != 2) {
            EXPECT_EQ(was, now) << "track " << t;
            continue;
        }
        // The written track: the expected keys. Given:y holds 5 to frame 71, then from 50 at frame 72 on
        // a line to -25 at frame 144; x and z keep the show's own curve.
        const std::vector<TrackKey> keys = parseKeys(now);
        ASSERT_EQ(keys.size(), saved.saved[t].keyCount);
        Track back = {};
        back.keyCount = (uint32_t)keys.size();
        std::copy(keys.begin(), keys.end(), back.keys);
        for (int32_t f = 0; f < 1300; ++f) {
            const TrackPoint p = sampleTrack(back, (uint32_t)f),
                             own = sampleTrack(embeddedTracks[t], (uint32_t)f);
            if (t == 0) {
                const double y = f < 72 ? 5 : f >= 144 ? -25 : 50 + (-75.0) * (f - 72) / 72.0;
                ASSERT_NEAR(p.y, y, 1e-3) << "frame " << f;
                ASSERT_NEAR(p.x, own.x, 1e-3) << "frame " << f;
                ASSERT_NEAR(p.z, own.z, 1e-3) << "frame " << f;
            } else {
                const double s = (f - 15) / 216.0, // rows 2 and 32 start at frames 15 and 231
                    x = f <= 15    ? 30
                        : f >= 231 ? 200
                                   : 30 + 170 * s * s * (3 - 2 * s);
                ASSERT_NEAR(p.x, x, bound + 1e-3) << "frame " << f;
                ASSERT_NEAR(p.y, own.y, 1e-3);
            }
        }
    }
    // Outside the entries, every byte as it was.
    ASSERT_TRUE(findInitializerElement(before, "embeddedTracks", 3, a, error, sizeof error));
    ASSERT_TRUE(findInitializerElement(after, "embeddedTracks", 3, b, error, sizeof error));
    EXPECT_EQ(before.substr(a.begin), after.substr(b.begin));
    ASSERT_TRUE(findInitializerElement(before, "embeddedTracks", 0, a, error, sizeof error));
    EXPECT_EQ(before.substr(0, a.begin), after.substr(0, a.begin));

    // A file that cannot be read: nothing written, the reason named.
    saveSyncTracks(held, embeddedTracks, (dir / "missing.cpp").string().c_str(), saved);
    EXPECT_FALSE(saved.ok);
    EXPECT_TRUE(std::string(saved.note).find("cannot read") != std::string::npos) << saved.note;
    std::filesystem::remove_all(dir);
}

// What the editor holds after opening `qz001-tool tracks --rocket`'s document: every show key on the row
// director/sync_rows.h gives it, with its own value (the document's text reads back as the same float).
void sendDocumentKeys(SyncTracks& sync) {
    for (int32_t i = 0; i < sync.count; ++i) {
        const Track& track = embeddedTracks[sync.showTrack[i]];
        SyncRowKey rows[kKeysPerTrack];
        ASSERT_EQ(placeSyncRows(track, rows), -1);
        for (uint32_t k = 0; k < track.keyCount; ++k) {
            const TrackKey& key = track.keys[k];
            const float value = sync.component[i] == 0 ? key.x : sync.component[i] == 1 ? key.y : key.z;
            setSyncKey(sync, i, SyncKey{(uint16_t)rows[k].row, rows[k].interpolation, value});
        }
    }
}

// A session that types nothing leaves data/tracks.cpp as it was, though the document moved keys onto
// rows; one key typed changes that track's entry alone, by that key: the show's other keys at their own
// frames, in whole hundredths, each line as the file had it.
TEST(SyncTracks, OnlyWhatTheEditorChangedIsSaved) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("qz_sync_change_" + std::to_string(getpid()) + ".cpp");
    const std::string before = readFile(std::filesystem::path(QZ_SOURCE_DIR) / "data/tracks.cpp");
    { std::ofstream(file, std::ios::binary) << before; }
    nameSyncTracks(held, trackNames);
    takeSentTracks(held, embeddedTracks);
    sendDocumentKeys(held);
    for (int32_t t = 0; t <= trackNames.last; ++t)
        for (int c = 0; c < 3; ++c) ASSERT_EQ(syncDriver(held, t, c), nullptr) << "track " << t << " " << c;
    static SyncSave saved;
    saveSyncTracks(held, embeddedTracks, file.string().c_str(), saved);
    EXPECT_TRUE(saved.ok) << saved.note;
    EXPECT_EQ(saved.written, 0);
    EXPECT_EQ(readFile(file), before);

    // -50 at row 0x30 of PanelSlide:x (track 10, frame 345.6): a key at frame 346 between 173 and 461.
    setSyncKey(held, 30, SyncKey{0x30, kSyncLinear, -50});
    ASSERT_NE(syncDriver(held, 10, 0), nullptr);
    EXPECT_EQ(syncDriver(held, 10, 1), nullptr);
    saveSyncTracks(held, embeddedTracks, file.string().c_str(), saved);
    EXPECT_TRUE(saved.ok) << saved.note;
    EXPECT_EQ(saved.written, 1);
    const std::string after = readFile(file);
    char error[256] = "";
    TextSpan a = {}, b = {};
    ASSERT_TRUE(findInitializerElement(before, "embeddedTracks", 10, a, error, sizeof error));
    ASSERT_TRUE(findInitializerElement(after, "embeddedTracks", 10, b, error, sizeof error));
    EXPECT_EQ(before.substr(0, a.begin), after.substr(0, b.begin));
    EXPECT_EQ(before.substr(a.end), after.substr(b.end));
    const std::string was = before.substr(a.begin, a.end - a.begin),
                      now = after.substr(b.begin, b.end - b.begin);
    // Every line of the entry as it was, and one more: the typed key, y and z on their own lines.
    std::istringstream wasLines(was), nowLines(now);
    std::vector<std::string> lost, added;
    std::string line;
    std::vector<std::string> nowList;
    while (std::getline(nowLines, line)) nowList.push_back(line);
    while (std::getline(wasLines, line)) {
        auto it = std::find(nowList.begin(), nowList.end(), line);
        if (it == nowList.end())
            lost.push_back(line);
        else
            nowList.erase(it);
    }
    EXPECT_TRUE(lost.empty()) << lost.front();
    ASSERT_EQ(nowList.size(), 1u) << now;
    const TrackPoint own = sampleTrack(embeddedTracks[10], 346);
    char want[96];
    std::snprintf(want, sizeof want, "            {346, -50, %.8gf, 0},", (double)own.y);
    EXPECT_EQ(nowList[0].substr(0, 23), std::string(want).substr(0, 23)) << nowList[0];
    EXPECT_LT(saved.largestDifference, 1e-3f); // float rounding of y and z at frame 346

    // Taking the key back out is no change again.
    deleteSyncKey(held, 30, 0x30);
    EXPECT_EQ(syncDriver(held, 10, 0), nullptr);
    std::filesystem::remove(file);
}
