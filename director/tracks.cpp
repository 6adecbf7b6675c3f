// tracks.cpp - the two track samplers, chosen through a table by interpolation mode, and the
// trackSample operation.
#include "director/tracks.h"

#include <cmath>

#include "base/dx_math.h"
#include "director/node_ops.h"

//-----------------------------------------------------------------------------
// Samplers
//-----------------------------------------------------------------------------

static uint32_t keyFrame(const Track& track, uint32_t k) {
    return static_cast<uint32_t>(track.keys[k].frame);
}
static TrackPoint keyPoint(const Track& track, uint32_t k) {
    return TrackPoint{track.keys[k].x, track.keys[k].y, track.keys[k].z};
}

// Keys in use, never more than the record holds.
static uint32_t keysInUse(const Track& track) {
    return track.keyCount < kKeysPerTrack ? track.keyCount : static_cast<uint32_t>(kKeysPerTrack);
}

// The index of the first key whose frame is greater than t, or n.
static uint32_t firstKeyAfter(const Track& track, uint32_t n, uint32_t t) {
    uint32_t i = 0;
    while (i < n && keyFrame(track, i) <= t) ++i;
    return i;
}

TrackPoint sampleTrackLinear(const Track& track, uint32_t t) {
    uint32_t n = keysInUse(track);
    if (n == 0) return TrackPoint{0, 0, 0};
    uint32_t last = keyFrame(track, n - 1) - 1;
    if (t > last) t = last;
    uint32_t cur = firstKeyAfter(track, n, t) % n;
    uint32_t prev = (cur - 1) % n;
    int32_t span = static_cast<int32_t>(keyFrame(track, cur) - keyFrame(track, prev));
    if (span == 0) return keyPoint(track, cur);
    float g = static_cast<float>(t - keyFrame(track, prev)) / static_cast<float>(span);
    TrackPoint a = keyPoint(track, prev), b = keyPoint(track, cur);
    return TrackPoint{a.x * (1.0f - g) + b.x * g, a.y * (1.0f - g) + b.y * g, a.z * (1.0f - g) + b.z * g};
}

TrackPoint sampleTrackCatmullRom(const Track& track, uint32_t t) {
    uint32_t n = keysInUse(track);
    if (n == 0) return TrackPoint{0, 0, 0};
    if (keyFrame(track, n - 1) <= t) return keyPoint(track, n - 1);
    uint32_t i = firstKeyAfter(track, n, t);
    uint32_t k0 = i >= 2 ? i - 2 : 0, k1 = i >= 1 ? i - 1 : 0, k3 = i + 1 < n ? i + 1 : n - 1;
    uint32_t span = keyFrame(track, i) - keyFrame(track, k1);
    if (span == 0) return keyPoint(track, i); // t before the first key
    float s = static_cast<float>(t - keyFrame(track, k1)) / static_cast<float>(span);
    auto vec = [&](uint32_t k) { return glm::vec3(track.keys[k].x, track.keys[k].y, track.keys[k].z); };
    glm::vec3 p0 = vec(k0), p1 = vec(k1), p2 = vec(i), p3 = vec(k3), out;
    D3DXVec3CatmullRom(&out, &p0, &p1, &p2, &p3, s);
    return TrackPoint{out.x, out.y, out.z};
}

using TrackSampler = TrackPoint (*)(const Track&, uint32_t);
static const TrackSampler trackSamplers[2] = {sampleTrackLinear, sampleTrackCatmullRom};

TrackPoint sampleTrack(const Track& track, uint32_t t) {
    return trackSamplers[track.interpolation == 1 ? 1 : 0](track, t);
}

TrackSampleHook trackSampleHook = nullptr;
const void* trackSampleHookData = nullptr;

//-----------------------------------------------------------------------------
// trackSample (40)
//-----------------------------------------------------------------------------

// Per element: time x from in0, wrapped (p2) or limited to the track's length, sampled on track p0,
// or, with p3 set, the track summed over frames 0 .. time - 1; scaled by 0.01 * p1.
void opTrackSample(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    static const Track kNoTrack = {};
    int32_t index = nearest(n.params[0]);
    const Track& track = index >= 0 && index < kTrackCount ? g.renderer->tracks[index] : kNoTrack;
    uint32_t keys = keysInUse(track);
    float length = keys ? static_cast<float>(keyFrame(track, keys - 1)) : 0.0f;
    float scale = n.params[1];
    bool wrap = nearest(n.params[2]) != 0, sum = nearest(n.params[3]) != 0;
    const NodeValue& time = in(g, n, 0);
    for (uint32_t e = 0; e < v.count; ++e) {
        float x = sampleElement(time, e).x;
        float tau = wrap ? std::fmod(x, length) : (x < 0.0f ? 0.0f : x > length ? length : x);
        int32_t frame = nearest(tau);
        TrackPoint p = {0, 0, 0};
        if (!sum) {
            p = sampleTrack(track, static_cast<uint32_t>(frame));
            if (trackSampleHook) trackSampleHook(index, wrap ? tau : x < 0.0f ? 0.0f : x, p);
        } else {
            for (int32_t f = 0; f < frame; ++f) {
                TrackPoint step = sampleTrack(track, static_cast<uint32_t>(f));
                if (trackSampleHook) trackSampleHook(index, static_cast<float>(f), step);
                p.x += step.x, p.y += step.y, p.z += step.z;
            }
        }
        v.data[e] = Float4{p.x * 0.01f * scale, p.y * 0.01f * scale, p.z * 0.01f * scale, 0.0f};
    }
}
