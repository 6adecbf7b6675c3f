// value_ops.cpp - the value operations: element-wise arithmetic on float4 arrays, rotations,
// swizzles and the table that reaches every operation by its NodeOp code.
//
// Unless stated, an operation loops e = 0 .. count - 1 over its own value, samples its inputs at e
// (shorter inputs repeat their last element, missing ones read zero) and stores one float4 per
// element. Parameters are read once per evaluation.
#include <array>
#include <cmath>

#include "base/dx_math.h"
#include "director/node_ops.h"

//-----------------------------------------------------------------------------
// Element-wise helpers
//-----------------------------------------------------------------------------

template <class F> static void eachElement(NodeValue& value, F f) {
    for (uint32_t e = 0; e < value.count; ++e) value.data[e] = f(e);
}

// result = f(a) with a = in0 sampled at e.
template <class F> static void mapInput0(const GraphEval& g, const GraphNode& node, NodeValue& value, F f) {
    const NodeValue& a = in(g, node, 0);
    eachElement(value, [&](uint32_t e) { return f(sampleElement(a, e)); });
}

// result = f(a, b) with a, b = in0, in1 sampled at e.
template <class F> static void mapInputs01(const GraphEval& g, const GraphNode& node, NodeValue& value, F f) {
    const NodeValue& a = in(g, node, 0);
    const NodeValue& b = in(g, node, 1);
    eachElement(value, [&](uint32_t e) { return f(sampleElement(a, e), sampleElement(b, e)); });
}

static float clampf(float t, float lo, float hi) {
    return std::fmin(std::fmax(t, lo), hi);
}
static float length4(Float4 a) {
    return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z + a.w * a.w);
}

//-----------------------------------------------------------------------------
// Arithmetic (1..7, 10..13)
//-----------------------------------------------------------------------------

static void opCopy(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    mapInput0(g, n, v, [](Float4 a) { return a; });
}
static void opAdd(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    mapInputs01(g, n, v, [](Float4 a, Float4 b) { return a + b; });
}
static void opSub(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    mapInputs01(g, n, v, [](Float4 a, Float4 b) { return a - b; });
}
static void opDiv(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    mapInputs01(g, n, v, [](Float4 a, Float4 b) { return a / b; });
}
static void opMul(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    mapInputs01(g, n, v, [](Float4 a, Float4 b) { return a * b; });
}

static void opMinMax(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    bool useMax = nearest(n.params[0]) != 0;
    mapInputs01(g, n, v, [useMax](Float4 a, Float4 b) {
        auto pick = [useMax](float x, float y) { return useMax ? (x > y ? x : y) : (x < y ? x : y); };
        return Float4{pick(a.x, b.x), pick(a.y, b.y), pick(a.z, b.z), pick(a.w, b.w)};
    });
}

static void opDifference(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    const NodeValue& a = in(g, n, 0);
    uint32_t shift = nearestU(n.params[0]);
    eachElement(v, [&](uint32_t e) { return sampleElement(a, e + shift) - sampleElement(a, e); });
}

static void opOffset3(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    float p0 = n.params[0], p1 = n.params[1], p2 = n.params[2];
    mapInput0(g, n, v, [=](Float4 a) { return Float4{a.x + p0, a.y + p1, a.z + p2, a.w}; });
}
static void opOffset4(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    Float4 p = {n.params[0], n.params[1], n.params[2], n.params[3]};
    mapInput0(g, n, v, [=](Float4 a) { return a + p; });
}
static void opScale(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    float p0 = n.params[0];
    mapInput0(g, n, v, [=](Float4 a) { return a * p0; });
}
static void opClamp(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    float lo = n.params[0], hi = n.params[1];
    mapInput0(g, n, v, [=](Float4 a) { return perComponent(a, [=](float c) { return clampf(c, lo, hi); }); });
}

//-----------------------------------------------------------------------------
// Rotations (8, 9)
//-----------------------------------------------------------------------------

static void opRotateFixed(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    glm::quat q;
    D3DXQuaternionRotationYawPitchRoll(&q, n.params[0], n.params[1], n.params[2]);
    float lengthSquared = glm::dot(q, q);
    glm::quat conj = glm::conjugate(q);
    mapInput0(g, n, v, [&](Float4 a) {
        glm::quat r = q * glm::quat(0.0f, a.x, a.y, a.z) * conj;
        return Float4{r.x / lengthSquared, r.y / lengthSquared, r.z / lengthSquared, 0.0f};
    });
}

static void opRotateByInput(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    mapInputs01(g, n, v, [](Float4 a, Float4 b) {
        glm::mat4 m;
        D3DXMatrixRotationYawPitchRoll(&m, b.x, b.y, b.z);
        glm::vec3 p = transformPoint(glm::vec3(a.x, a.y, a.z), m);
        return Float4{p.x, p.y, p.z, 0.0f};
    });
}

//-----------------------------------------------------------------------------
// Functions of one component (14..27)
//-----------------------------------------------------------------------------

static void opSine(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    float p0 = n.params[0];
    mapInput0(g, n, v, [=](Float4 a) { return Float4{std::sin(a.x) * p0, 0, 0, 0}; });
}
static void opCosine(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    float p0 = n.params[0];
    mapInput0(g, n, v, [=](Float4 a) { return Float4{std::cos(a.x) * p0, 0, 0, 0}; });
}
static void opCircle(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    float p0 = n.params[0];
    mapInput0(g, n, v, [=](Float4 a) { return Float4{std::cos(a.x) * p0, std::sin(a.x) * p0, 0, 0}; });
}
static void opArcTangent(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    mapInput0(g, n, v, [](Float4 a) { return Float4{std::atan(a.x), 0, 0, 0}; });
}
static void opNormalize(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    float p0 = n.params[0];
    mapInput0(g, n, v, [=](Float4 a) {
        float length = length4(a);
        if (!(std::fabs(length) > 1.1754944e-37f)) length = 1.1754944e-37f;
        float d = length / p0;
        return Float4{a.x / d, a.y / d, a.z / d, a.w / d};
    });
}
static void opTangent(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    float p0 = n.params[0];
    mapInput0(g, n, v, [=](Float4 a) { return Float4{std::tan(a.x) * p0, 0, 0, 0}; });
}
static void opExponential(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    float p0 = n.params[0], p1 = n.params[1];
    mapInput0(g, n, v, [=](Float4 a) { return Float4{expf2(p0 * a.x) * p1, 0, 0, 0}; });
}
static void opFalloff(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    float p0 = n.params[0], p1 = n.params[1];
    mapInput0(g, n, v, [=](Float4 a) {
        float f = std::fabs(a.x) < 1.1754944e-38f ? 1.0f : expf2(-p0 * powf2(a.x, p1));
        return Float4{f, 0, 0, 0};
    });
}
static void opRangePower(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    float lo = n.params[0], hi = n.params[1], power = n.params[2];
    mapInput0(g, n, v, [=](Float4 a) {
        return perComponent(a,
                            [=](float c) { return powf2(clampf((c - lo) / (hi - lo), 0.0f, 1.0f), power); });
    });
}
static void opModulo(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    float p0 = n.params[0];
    mapInput0(g, n, v, [=](Float4 a) { return perComponent(a, [=](float c) { return std::fmod(c, p0); }); });
}
static void opLength(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    mapInput0(g, n, v, [](Float4 a) { return Float4{length4(a), 0, 0, 0}; });
}
static void opDistance(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    Float4 p = {n.params[0], n.params[1], n.params[2], n.params[3]};
    mapInput0(g, n, v, [=](Float4 a) { return Float4{length4(a - p), 0, 0, 0}; });
}
static void opRepeat(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    const NodeValue& a = in(g, n, 0);
    eachElement(v, [&](uint32_t e) { return a.count == 0 ? Float4{0, 0, 0, 0} : a.data[e % a.count]; });
}
static void opSmoothStep(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    float lo = n.params[0], hi = n.params[1];
    mapInput0(g, n, v, [=](Float4 a) {
        float t = clampf((a.x - lo) / (hi - lo), 0.0f, 1.0f);
        return Float4{t * t * (3.0f - 2.0f * t), 0, 0, 0};
    });
}

//-----------------------------------------------------------------------------
// Building and routing values (28..33, 37, 38)
//-----------------------------------------------------------------------------

static void opConstant(const GraphEval&, const GraphNode& n, NodeValue& v) {
    Float4 p = {n.params[0], n.params[1], n.params[2], n.params[3]};
    eachElement(v, [=](uint32_t) { return p; });
}

static void opCompose(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    const NodeValue &a = in(g, n, 0), &b = in(g, n, 1), &c = in(g, n, 2), &d = in(g, n, 3);
    eachElement(v, [&](uint32_t e) {
        return Float4{sampleElement(a, e).x, sampleElement(b, e).x, sampleElement(c, e).x,
                      sampleElement(d, e).x};
    });
}

// Selectors 0..3 pick x, y, z, w; 4 and above pick 0.
static float select(Float4 a, uint32_t s) {
    return s < 4 ? component(a, s) : 0.0f;
}

static void opSwizzle3(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    uint32_t s0 = nearestU(n.params[0]), s1 = nearestU(n.params[1]), s2 = nearestU(n.params[2]);
    mapInput0(g, n, v, [=](Float4 a) { return Float4{select(a, s0), select(a, s1), select(a, s2), 0}; });
}
static void opSwizzle4(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    uint32_t s0 = nearestU(n.params[0]), s1 = nearestU(n.params[1]);
    uint32_t s2 = nearestU(n.params[2]), s3 = nearestU(n.params[3]);
    mapInput0(g, n, v, [=](Float4 a) {
        return Float4{select(a, s0), select(a, s1), select(a, s2), select(a, s3)};
    });
}

static void opStep(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    float p0 = n.params[0];
    mapInput0(g, n, v, [=](Float4 a) { return a.x > p0 ? Float4{1, 1, 1, 1} : Float4{0, 0, 0, 0}; });
}

static void opMix(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    const NodeValue &a = in(g, n, 0), &b = in(g, n, 1), &c = in(g, n, 2);
    eachElement(v, [&](uint32_t e) {
        float t = clampf(sampleElement(c, e).x, 0.0f, 1.0f);
        return sampleElement(a, e) * t + sampleElement(b, e) * (1.0f - t);
    });
}

static void opShift(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    const NodeValue& a = in(g, n, 0);
    uint32_t shift = nearestU(n.params[0]);
    eachElement(v, [&](uint32_t e) { return sampleElement(a, e + shift); });
}

// Mode 0 clamps, 1 wraps into [p0, p1), 2 mirrors about p0; any other mode writes nothing.
static void opFold(const GraphEval& g, const GraphNode& n, NodeValue& v) {
    float lo = n.params[0], hi = n.params[1];
    int32_t mode = nearest(n.params[2]);
    if (mode == 0)
        mapInput0(g, n, v,
                  [=](Float4 a) { return perComponent(a, [=](float c) { return clampf(c, lo, hi); }); });
    else if (mode == 1)
        mapInput0(g, n, v, [=](Float4 a) {
            return perComponent(a, [=](float c) { return lo + std::fmod(c - lo, hi - lo); });
        });
    else if (mode == 2)
        mapInput0(g, n, v,
                  [=](Float4 a) { return perComponent(a, [=](float c) { return lo + std::fabs(c - lo); }); });
}

//-----------------------------------------------------------------------------
// Operation table
//-----------------------------------------------------------------------------

namespace {

// Each operation by its code; the table below is indexed by them, whatever order they are listed in.
struct OpEntry {
    NodeOp op;
    NodeOpFn run;
};

constexpr OpEntry kOperations[] = {
    {kOpCopy, opCopy},
    {kOpAdd, opAdd},
    {kOpSub, opSub},
    {kOpDiv, opDiv},
    {kOpMul, opMul},
    {kOpMinMax, opMinMax},
    {kOpDifference, opDifference},
    {kOpRotateFixed, opRotateFixed},
    {kOpRotateByInput, opRotateByInput},
    {kOpOffset3, opOffset3},
    {kOpOffset4, opOffset4},
    {kOpScale, opScale},
    {kOpClamp, opClamp},
    {kOpSine, opSine},
    {kOpCosine, opCosine},
    {kOpCircle, opCircle},
    {kOpArcTangent, opArcTangent},
    {kOpNormalize, opNormalize},
    {kOpTangent, opTangent},
    {kOpExponential, opExponential},
    {kOpFalloff, opFalloff},
    {kOpRangePower, opRangePower},
    {kOpModulo, opModulo},
    {kOpLength, opLength},
    {kOpDistance, opDistance},
    {kOpRepeat, opRepeat},
    {kOpSmoothStep, opSmoothStep},
    {kOpConstant, opConstant},
    {kOpCompose, opCompose},
    {kOpSwizzle3, opSwizzle3},
    {kOpSwizzle4, opSwizzle4},
    {kOpStep, opStep},
    {kOpMix, opMix},
    {kOpFrameCounter, opFrameCounter},
    {kOpFrameTime, opFrameTime},
    {kOpGrid, opGrid},
    {kOpShift, opShift},
    {kOpFold, opFold},
    {kOpRandom, opRandom},
    {kOpTrackSample, opTrackSample},
    {kOpSpectrum, opSpectrum},
    {kOpSpectrumScaled, opSpectrumScaled},
    {kOpSetLight, opSetLight},
    {kOpLineStrip, opLineStrip},
    {kOpDrawPlain, opDrawPlain},
    {kOpDrawThreeOptions, opDrawThreeOptions},
    {kOpDrawFiveOptions, opDrawFiveOptions},
    {kOpDrawMesh, opDrawMesh},
    {kOpPointFrame, opPointFrame},
    {kOpSprite, opSprite},
    {kOpSetClearColor, opSetClearColor},
    {kOpLookAtCamera, opLookAtCamera},
    {kOpCamera, opCamera},
    {kOpSubScene, opSubScene},
    {kOpArgument, opArgument},
    {kOpDepthOfField, opDepthOfField},
    {kOpTransition, opTransition},
    {kOpMotionBlur, opMotionBlur},
    {kOpBloom, opBloom},
};

// True when every code 1..kNodeOpCount-1 has exactly one operation.
constexpr bool everyCodeOnce() {
    int seen[kNodeOpCount] = {};
    for (const OpEntry& e : kOperations) {
        if (e.op <= kOpEmpty || e.op >= kNodeOpCount || !e.run) return false;
        ++seen[e.op];
    }
    for (int op = 1; op < kNodeOpCount; ++op)
        if (seen[op] != 1) return false;
    return true;
}
static_assert(everyCodeOnce(), "every operation code has one entry in kOperations");

constexpr std::array<NodeOpFn, kNodeOpCount> operationTable() {
    std::array<NodeOpFn, kNodeOpCount> table = {}; // code 0, an empty slot, is never evaluated
    for (const OpEntry& e : kOperations) table[e.op] = e.run;
    return table;
}

} // namespace

constinit const std::array<NodeOpFn, kNodeOpCount> nodeOpTable = operationTable();
