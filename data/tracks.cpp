// tracks.cpp - the show's 64 keyframe tracks.
//
// One line per key: frame, then x, y, z in hundredths of a unit. Two keys at neighbouring frames make
// a jump; every track starts at frame 0. A bar of the music is 115.25 frames (16 rows). Tracks 18..63
// have no keys.
#include <initializer_list>

#include "data/scene_data.h"
#include "data/track_names.h"

namespace {

constexpr Track linear(std::initializer_list<TrackKey> keys) {
    Track t{};
    t.interpolation = 0;
    for (const TrackKey& k : keys) t.keys[t.keyCount++] = k;
    return t;
}

constexpr Track catmullRom(std::initializer_list<TrackKey> keys) {
    Track t = linear(keys);
    t.interpolation = 1;
    return t;
}
static_assert(catmullRom({{0, 0, 0, 0}}).interpolation == 1); // for tracks the edit mode switches

} // namespace

const Track embeddedTracks[kTrackCount] = {
    // Track 0: out to (60, 20, 0), a hold, then back to the origin.
    {0, 4, {{0, 10, 10, 10}, {400, 60, 20, 0}, {1000, 60, 20, 0}, {1200, 0, 0, 0}}},
    // 1: two scenes read it. The drop: x is its transition factor, a white punch that clears in a
    // quarter of a second, then above 1 (no transition). The intro: y is the eye's height, rising
    // over the scene; z the field of view, narrowing as the page fills.
    linear({{0, 0, 40, 120},
            {14, 100, 44, 119},
            {15, 200, 44, 119},
            {300, 200, 130, 104},
            {600, 200, 220, 92},
            {900, 200, 300, 82},
            {1000, 200, 300, 82}}),
    // 2: the build comes out of a pale wash in two thirds of a second, so its first kicks are seen.
    linear({{0, 30, 0, 0}, {40, 100, 0, 0}, {41, 200, 0, 0}, {200, 200, 0, 0}}),
    // 3: the finale: in from white, then most of the way to white over its last two bars, so the
    // show ends on the sea washed in light rather than on a blank card.
    linear({{0, 0, 0, 0},
            {90, 100, 0, 0},
            {91, 200, 0, 0},
            {690, 200, 0, 0},
            {691, 100, 0, 0},
            {922, 35, 0, 0}}),
    // 4: marks 1..3 of the intro appear on beats of the pads.
    linear({{0, 0, 0, 0},
            {58, 0, 0, 0},
            {88, 100, 0, 0},
            {173, 100, 0, 0},
            {203, 100, 100, 0},
            {288, 100, 100, 0},
            {318, 100, 100, 100},
            {900, 100, 100, 100}}),
    // 5: marks 4..6.
    linear({{0, 0, 0, 0},
            {403, 0, 0, 0},
            {433, 100, 0, 0},
            {519, 100, 0, 0},
            {549, 100, 100, 0},
            {634, 100, 100, 0},
            {664, 100, 100, 100},
            {900, 100, 100, 100}}),
    // 6: marks 7 and 8, the last one with the riser; z lightens the background (hundredths).
    linear({{0, 0, 0, 0},
            {749, 0, 0, 4},
            {779, 100, 0, 4.3f},
            {836, 100, 0, 5},
            {856, 100, 100, 5},
            {900, 100, 100, 5}}),
    // 7: two scenes read it. The hit (frames 0..59): x, y are the centres of the yellow bars, which
    // shoot in from both sides and drift past each other. The climax: x is the transition factor, its
    // fade from white and then a white flash on each bar line (the strongest halfway) that fades in 12
    // frames; y is the camera's swing, 0.6 radians on at each bar line; z the field of view, punching
    // in at the bar line and easing back out over the bar, a little closer every bar.
    linear({{0, -80, 180, 170},    {10, 30, 70, 145},    {40, 45, 55, 138},    {60, 75, 25, 135}, // the hit
            {72, 100, 15, 135}, // the fade ends
            {115, 100, 15, 134},   {115, 30, 15, 134},   {119, 75, -25, 123},  {127, 100, -45, 118},  // bar 2
            {230, 100, -45, 131},  {230, 30, -45, 131},  {234, 75, -85, 120},  {242, 100, -105, 115}, // bar 3
            {346, 100, -105, 128}, {346, 30, -105, 128}, {350, 75, -145, 117}, {358, 100, -165, 112}, // bar 4
            {461, 100, -165, 125}, {461, 15, -165, 125}, {465, 75, -205, 114}, {473, 100, -225, 109}, // bar 5
            {576, 100, -225, 122}, {576, 30, -225, 122}, {580, 75, -265, 111}, {588, 100, -285, 106}, // bar 6
            {691, 100, -285, 119}, {691, 30, -285, 119}, {695, 75, -325, 108}, {703, 100, -345, 103}, // bar 7
            {807, 100, -345, 116}, {807, 30, -345, 116}, {811, 75, -385, 105}, {819, 100, -405, 100}, // bar 8
            {922, 100, -405, 113}}),
    // 8: two scenes read it. The hit: y is the lattice's zoom out from 2.4 to 1.2 (read at scale 10).
    // The bridge: x is its transition factor, out of a light wash in a third of a second.
    linear({{0, 40, 24, 0},
            {12, 76, 15, 0},
            {20, 100, 14.1f, 0},
            {21, 200, 14, 0},
            {30, 200, 13, 0},
            {60, 200, 12, 0}}),
    // 9: the camera comes down over the floppy field and turns towards its centre.
    linear({{0, 0, 2600, 2600}, {60, 600, 1500, 2000}, {120, 300, 900, 1400}, {180, 0, 600, 1000}}),
    // 10: the panel pieces slide in from the right, leave, come back from the left.
    linear({{0, 190, 50, 0},
            {115, 190, 50, 0},
            {173, 85, 72, 0},
            {461, 80, 78, 0},
            {519, -60, 78, 0},
            {576, -60, 28, 0},
            {634, 15, 28, 0},
            {807, 25, 32, 0},
            {865, -60, 32, 0},
            {922, -60, 32, 0}}),
    // 11: their scale (x wider than y, so the pieces keep their shape on a wide screen), with a pop
    // on the bar lines where they arrive.
    linear({{0, 26, 15, 0},
            {173, 26, 15, 0},
            {180, 34, 19, 0},
            {200, 26, 15, 0},
            {634, 26, 15, 0},
            {641, 34, 19, 0},
            {661, 26, 15, 0},
            {922, 26, 15, 0}}),
    // 12: the floppy's faces fly together, stay joined, and part at the end (y: height, z: half the
    // gap, always in front of the camera).
    linear({{0, 0, 300, 450},
            {115, 0, 300, 450},
            {346, 0, 0, 8},
            {749, 0, 0, 8},
            {865, 0, -100, 400},
            {922, 0, -150, 500}}),
    // 13: the credits panel rises from below on a bar line, settles beside the floppy, in front of
    // the storm and close to the camera, for seven seconds, and leaves upwards.
    linear({{0, 220, -500, 500},
            {346, 220, -500, 500},
            {461, 220, 70, 500},
            {865, 215, 85, 500},
            {922, 215, 450, 500}}),
    // 14: x is the breakdown's transition factor: it eases out of a half-white wash over two bars.
    // y, z: the centre of the zig-zag band, which comes in from the right and moves down the right
    // side, leaves to the right and comes back in at the bottom left, each move half a bar long and
    // landing on a bar line; it never crosses the block in the middle.
    linear({{0, 50, 180, 18},
            {173, 87.6f, 180, 18},
            {230, 100, 112, 18},
            {231, 200, 112, 18},
            {403, 200, 112, 18},
            {461, 200, 112, 82},
            {634, 200, 112, 82},
            {691, 200, 180, 82},
            {692, 200, -70, 82},
            {749, 200, -70, 82},
            {806, 200, -12, 82},
            {922, 200, -12, 82}}),
    // 15: x is the rise's transition factor, from white over one second. The caption appears line
    // by line on the bar lines (y: bottom of its source rectangle, just under a line of text; z: its
    // centre y, which keeps the top of the caption just inside the frame); the last two lines come
    // together.
    linear({{0, 0, 0, -2},
            {60, 100, 0, -2},
            {61, 200, 0, -2},
            {115, 200, 0, -2},
            {118, 200, 19, 9.6f},
            {230, 200, 19, 9.6f},
            {233, 200, 28, 13.1f},
            {346, 200, 28, 13.1f},
            {349, 200, 38, 17.1f},
            {461, 200, 38, 17.1f},
            {464, 200, 48, 21.1f},
            {576, 200, 48, 21.1f},
            {579, 200, 59, 25.5f},
            {691, 200, 59, 25.5f},
            {694, 200, 81, 34.2f},
            {922, 200, 81, 34.2f}}),
    // 16: the columns of the rise grow out of the floor bar by bar: each step comes up in ten frames
    // from the bar line (the section starts 1.2 frames before the scene) and then holds.
    linear({{0, 0, -900, 0},
            {114, 0, -900, 0},
            {124, 0, -700, 0},
            {229, 0, -700, 0},
            {239, 0, -500, 0},
            {344, 0, -500, 0},
            {354, 0, -350, 0},
            {459, 0, -350, 0},
            {469, 0, -200, 0},
            {575, 0, -200, 0},
            {585, 0, -100, 0},
            {690, 0, -100, 0},
            {700, 0, 0, 0},
            {805, 0, 0, 0},
            {815, 0, 50, 0},
            {922, 0, 50, 0}}),
    // 17: the closing panel pops up halfway through the finale and breathes until the end.
    linear({{0, 0, 0, 0},
            {461, 0, 0, 0},
            {476, 40, 22, 0},
            {490, 34, 19, 0},
            {700, 37, 21, 0},
            {922, 34, 19, 0}}),
};

constexpr EnumNames kTrackNames = readEnumNames(TrackIdText);
static_assert(kTrackNames.ok && kTrackNames.last == 17); // the tracks with keys, each named
constinit const EnumNames trackNames = kTrackNames;
