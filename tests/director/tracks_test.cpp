// tracks_test.cpp - the linear and Catmull-Rom samplers and the trackSample operation.
#include "data/scene_data.h"
#include "director/tracks.h"
#include "tests/director/graph_fixture.h"

static Track makeTrack(uint32_t interpolation, std::initializer_list<TrackKey> keys) {
    Track t = {};
    t.interpolation = interpolation;
    for (const TrackKey& k : keys) t.keys[t.keyCount++] = k;
    return t;
}

#define EXPECT_POINT(p, X, Y, Z)                                                                             \
    do {                                                                                                     \
        TrackPoint p_ = (p);                                                                                 \
        EXPECT_NEAR(p_.x, (X), 1e-4f);                                                                       \
        EXPECT_NEAR(p_.y, (Y), 1e-4f);                                                                       \
        EXPECT_NEAR(p_.z, (Z), 1e-4f);                                                                       \
    } while (0)

TEST(Tracks, TrackZeroOfTheShow) {
    const Track& t = embeddedTracks[0];
    ASSERT_EQ(t.keyCount, 4u);
    EXPECT_POINT(sampleTrack(t, 0), 10, 10, 10);
    EXPECT_POINT(sampleTrack(t, 200), 35, 15, 5);
    EXPECT_POINT(sampleTrack(t, 400), 60, 20, 0);
    EXPECT_POINT(sampleTrack(t, 700), 60, 20, 0);
    EXPECT_POINT(sampleTrack(t, 1100), 30, 10, 0);
    EXPECT_POINT(sampleTrack(t, 1199), 0.3f, 0.1f, 0); // one frame short of the last key
    EXPECT_POINT(sampleTrack(t, 1200), 0.3f, 0.1f, 0);
    EXPECT_POINT(sampleTrack(t, 0xFFFFFFFFu), 0.3f, 0.1f, 0);
    for (int k = 18; k < kTrackCount; ++k) EXPECT_EQ(embeddedTracks[k].keyCount, 0u) << k;
}

TEST(Tracks, LinearEdgeCases) {
    Track empty = {};
    EXPECT_POINT(sampleTrackLinear(empty, 5), 0, 0, 0);
    // A single key: the two keys around t are the same key; the result is that key.
    Track single = makeTrack(0, {{0, 1, 2, 3}});
    EXPECT_POINT(sampleTrackLinear(single, 0), 1, 2, 3);
    EXPECT_POINT(sampleTrackLinear(single, 50), 1, 2, 3);
    Track late = makeTrack(0, {{10, 1, 2, 3}});
    EXPECT_POINT(sampleTrackLinear(late, 3), 1, 2, 3);
    // A jump: two keys at frame 10. Past it the search never lands on the pair; at the pair's
    // frame the later key starts the next segment.
    Track jump = makeTrack(0, {{0, 0, 0, 0}, {10, 10, 0, 0}, {10, 50, 0, 0}, {20, 60, 0, 0}});
    EXPECT_POINT(sampleTrackLinear(jump, 5), 5, 0, 0);
    EXPECT_POINT(sampleTrackLinear(jump, 10), 50, 0, 0);
    EXPECT_POINT(sampleTrackLinear(jump, 15), 55, 0, 0);
    // Keys with equal frames at the end: the pair (prev, cur) shares a frame; the later key wins.
    Track hold = makeTrack(0, {{0, 0, 0, 0}, {10, 10, 0, 0}, {10, 20, 0, 0}});
    EXPECT_POINT(sampleTrackLinear(hold, 9), 9, 0, 0);
    EXPECT_POINT(sampleTrackLinear(hold, 10), 9, 0, 0); // limited to frame 9
    // Two keys at one frame reached as (prev, cur): before the pair, the search wraps to prev = last.
    Track pair = makeTrack(0, {{5, 1, 0, 0}, {5, 2, 0, 0}});
    EXPECT_POINT(sampleTrackLinear(pair, 0), 1, 0, 0);
    // Before the first key prev is (2^32 - 1) mod n, an unsigned wrap: 0 for three keys (not n - 1),
    // so prev and cur are both key 0 and the result is that key.
    Track three = makeTrack(0, {{10, 1, 2, 3}, {20, 4, 5, 6}, {30, 7, 8, 9}});
    EXPECT_POINT(sampleTrackLinear(three, 5), 1, 2, 3);
    // keyCount beyond the record is read as 64 keys.
    Track over = makeTrack(0, {{0, 0, 0, 0}});
    for (int k = 1; k < kKeysPerTrack; ++k) over.keys[k] = TrackKey{k * 10, static_cast<float>(k), 0, 0};
    over.keyCount = 1000;
    EXPECT_POINT(sampleTrackLinear(over, 15), 1.5f, 0, 0);
}

TEST(Tracks, CatmullRom) {
    Track t = makeTrack(1, {{0, 0, 0, 0}, {10, 10, 0, 0}, {20, 20, 0, 0}, {30, 30, 0, 0}});
    EXPECT_POINT(sampleTrack(t, 0), 0, 0, 0);
    EXPECT_POINT(sampleTrack(t, 15), 15, 0, 0);      // on a straight line the spline is the line
    EXPECT_POINT(sampleTrack(t, 29), 29.405f, 0, 0); // last segment: k3 repeats the last key
    EXPECT_POINT(sampleTrack(t, 30), 30, 0, 0);      // at and past the last key: the last key exactly
    EXPECT_POINT(sampleTrack(t, 1000), 30, 0, 0);
    // Between keys 1 and 2 of a bend, by the formula 0.5 (2 P1 + (P2 - P0) s + ...).
    Track bend = makeTrack(1, {{0, 0, 0, 0}, {10, 10, 0, 0}, {20, 10, 10, 0}, {30, 0, 10, 0}});
    float s = 0.5f;
    float px[4] = {0, 10, 10, 0}, py[4] = {0, 0, 10, 10};
    auto cr = [s](const float* p) {
        return 0.5f * (2 * p[1] + (p[2] - p[0]) * s + (2 * p[0] - 5 * p[1] + 4 * p[2] - p[3]) * s * s +
                       (3 * p[1] - p[0] - 3 * p[2] + p[3]) * s * s * s);
    };
    EXPECT_POINT(sampleTrackCatmullRom(bend, 15), cr(px), cr(py), 0);
    Track late = makeTrack(1, {{10, 1, 2, 3}, {20, 4, 5, 6}});
    EXPECT_POINT(sampleTrackCatmullRom(late, 5), 1, 2, 3); // before the first key: the first key
}

TEST(Tracks, TrackSampleLimitsWrapsAndSums) {
    TestGraph g;
    g.tracks[0] = embeddedTracks[0];
    g.tracks[5] = makeTrack(0, {{0, 100, 0, 0}, {10, 100, 0, 0}});
    g.data(10, {{200, 0, 0, 0}, {-5, 0, 0, 0}, {2000, 0, 0, 0}, {1300, 0, 0, 0}});
    g.slot(0, kOpTrackSample, {10}, {0, 1, 0, 0}, 4);  // limiting
    g.slot(1, kOpTrackSample, {10}, {0, 10, 1, 0}, 4); // wrapping, scale 10
    g.data(11, {{4, 0, 0, 0}, {0, 0, 0, 0}});
    g.slot(2, kOpTrackSample, {11}, {5, 1, 0, 1}, 2);  // summing a constant velocity
    g.slot(3, kOpTrackSample, {10}, {40, 1, 0, 0}, 1); // an empty track reads zero
    g.slot(4, kOpTrackSample, {10}, {64, 1, 0, 0}, 1); // outside the table: zero
    g.evaluate();
    EXPECT_NEAR(g.at(0, 0).x, 0.35f, 1e-6f);
    EXPECT_NEAR(g.at(0, 0).y, 0.15f, 1e-6f);
    EXPECT_EQ(g.at(0, 0).w, 0.0f);
    EXPECT_NEAR(g.at(0, 1).x, 0.1f, 1e-6f);   // -5 samples frame 0
    EXPECT_NEAR(g.at(0, 2).x, 0.003f, 1e-6f); // 2000 samples frame 1200, held at 1199
    EXPECT_NEAR(g.at(1, 0).x, 3.5f, 1e-5f);
    EXPECT_NEAR(g.at(1, 3).x, 2.25f, 1e-5f); // 1300 wraps to 100: (10 * 0.75 + 60 * 0.25) * 0.01 * 10
    EXPECT_NEAR(g.at(1, 3).y, 1.25f, 1e-5f);
    EXPECT_NEAR(g.at(2, 0).x, 4.0f, 1e-5f); // 4 frames of 100 hundredths
    EXPECT_EQ(g.at(2, 1).x, 0.0f);
    EXPECT_FLOAT4(g.at(3, 0), 0, 0, 0, 0);
    EXPECT_FLOAT4(g.at(4, 0), 0, 0, 0, 0);
}
