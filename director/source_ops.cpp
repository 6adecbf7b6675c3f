// source_ops.cpp - the value operations that take no value input: the scene clock, the lattice,
// seeded random numbers, the music spectrum and graph arguments.
#include "director/director_state.h"
#include "director/music_levels.h"
#include "director/node_ops.h"

template <class F> static void eachElement(NodeValue& value, F f) {
    for (uint32_t e = 0; e < value.count; ++e) value.data[e] = f(e);
}

//-----------------------------------------------------------------------------
// Clock (34, 35)
//-----------------------------------------------------------------------------

// Mode 0: localFrame; mode 1: frames left in the scene; both unsigned. Any other mode: no clock.
static bool clockValue(int32_t mode, float* f) {
    if (mode == 0)
        *f = static_cast<float>(static_cast<uint32_t>(localFrame));
    else if (mode == 1)
        *f = static_cast<float>(static_cast<uint32_t>(sceneEndFrame - localFrame));
    else
        return false;
    return true;
}

void opFrameCounter(const GraphEval&, const GraphNode& n, NodeValue& v) {
    float f = 0.0f, out = 0.0f;
    if (clockValue(nearest(n.params[1]), &f)) out = n.params[0] * f;
    eachElement(v, [=](uint32_t) { return Float4{out, out, out, out}; });
}

void opFrameTime(const GraphEval&, const GraphNode& n, NodeValue& v) {
    float f = 0.0f, out = 0.0f;
    if (clockValue(nearest(n.params[2]), &f)) out = (f + n.params[1]) * n.params[0];
    eachElement(v, [=](uint32_t) { return Float4{out, out, out, out}; });
}

//-----------------------------------------------------------------------------
// grid (36)
//-----------------------------------------------------------------------------

// A centred nx by ny by nz lattice, x varying fastest; nz follows from the element count.
void opGrid(const GraphEval&, const GraphNode& n, NodeValue& v) {
    int64_t nx = nearest(n.params[0]), ny = nearest(n.params[1]);
    if (nx == 0) nx = 1;
    if (ny == 0) ny = 1;
    int64_t nz = nearest(static_cast<float>(v.count) / static_cast<float>(nx * ny));
    // Element indices are unsigned 32-bit; the plane size is kept in 64 bits so it cannot wrap to 0.
    uint64_t ux = static_cast<uint32_t>(nx), uy = static_cast<uint32_t>(ny);
    float sx = n.params[2], sy = n.params[3], sz = n.params[4];
    eachElement(v, [=](uint32_t e) {
        int64_t ix = static_cast<int64_t>(e % ux);
        int64_t iy = static_cast<int64_t>((e / ux) % uy);
        int64_t iz = static_cast<int64_t>(e / (ux * uy));
        return Float4{static_cast<float>(2 * ix - nx + 1) * sx * 0.5f,
                      static_cast<float>(2 * iy - ny + 1) * sy * 0.5f,
                      static_cast<float>(2 * iz - nz + 1) * sz * 0.5f, 0.0f};
    });
}

//-----------------------------------------------------------------------------
// random (39)
//-----------------------------------------------------------------------------

// The same seed p0 gives the same numbers every frame: the state restarts at each evaluation.
void opRandom(const GraphEval&, const GraphNode& n, NodeValue& v) {
    float seed = n.params[0] * 8388607.0f;
    uint32_t s = static_cast<uint32_t>(nearest(seed));
    float lo = n.params[1], range = n.params[2] - n.params[1];
    auto next = [&]() {
        s = s * 1103515245u + 12345u;
        return static_cast<float>((s >> 16) & 32767u) / 32767.0f * range + lo;
    };
    for (uint32_t e = 0; e < v.count; ++e) {
        float x = next(), y = next(), z = next(), w = next();
        v.data[e] = Float4{x, y, z, w};
    }
}

//-----------------------------------------------------------------------------
// Spectrum (41, 42)
//-----------------------------------------------------------------------------

static float spectrumBins[512];

// Queries a spectrum of 64, 128, 256 or 512 bins and stores scale * bin[start + e] in every
// component of element e; bins past the end of the spectrum read 0.
static void spectrumOp(const GraphNode& n, NodeValue& v, float scale, bool scaled) {
    uint32_t want = nearestU(n.params[0]);
    uint32_t size = want <= 64 ? 64 : want <= 128 ? 128 : want <= 256 ? 256 : 512;
    querySpectrum(spectrumBins, size);
    uint32_t start = nearestU(n.params[1]);
    if (start > size) start = size;
    eachElement(v, [=](uint32_t e) {
        uint32_t bin = start + e;
        float b = bin < size ? spectrumBins[bin] : 0.0f;
        float x = scaled ? scale * b : b;
        return Float4{x, x, x, x};
    });
}

void opSpectrum(const GraphEval&, const GraphNode& n, NodeValue& v) {
    spectrumOp(n, v, 1.0f, false);
}
void opSpectrumScaled(const GraphEval&, const GraphNode& n, NodeValue& v) {
    spectrumOp(n, v, n.params[2], true);
}

//-----------------------------------------------------------------------------
// argument (55)
//-----------------------------------------------------------------------------

// With no arguments, (p1, p2, p3, p4) into element 0; else element 0 of argument nearest(p0).
void opArgument(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    bool none = true;
    for (const NodeValue* ref : g.args->refs) none = none && ref == nullptr;
    if (none) {
        storeElement(v, 0, Float4{n.params[1], n.params[2], n.params[3], n.params[4]});
        return;
    }
    uint32_t k = nearestU(n.params[0]);
    if (k > 4) k = 4;
    const NodeValue* ref = g.args->refs[k];
    storeElement(v, 0, ref ? sampleElement(*ref, 0) : Float4{0, 0, 0, 0});
}
