// output_ops.cpp - the operations through which a graph reaches the screen: draw records, sprites,
// line segments, the camera and the frame settings. None writes its own value.
//
// List capacities are fixed (4096 records per draw list, 64 sprites, 1024 line vertices); records
// past a list's capacity are dropped rather than written past its end.
#include <cstring>

#include "director/director_state.h"
#include "director/node_ops.h"

static constexpr float kHalfPi = 1.5707964f;

static void copy3(float* out, Float4 v) {
    out[0] = v.x, out[1] = v.y, out[2] = v.z;
}
static void set3(float* out, float x, float y, float z) {
    out[0] = x, out[1] = y, out[2] = z;
}

//-----------------------------------------------------------------------------
// Draw records (45..48)
//-----------------------------------------------------------------------------

// Appends `record` to its list; the list slot hands its old transform on as the previous one.
static void emitDraw(const DrawRecord& record, bool blended) {
    DrawList& list = blended ? drawListBlended : drawListOpaque;
    if (list.count >= kDrawListCapacity) return;
    DrawRecord& slot = list.records[list.count++];
    float position[3], scale[3], rotation[3];
    std::memcpy(position, slot.position, sizeof(position));
    std::memcpy(scale, slot.scale, sizeof(scale));
    std::memcpy(rotation, slot.rotation, sizeof(rotation));
    slot = record;
    std::memcpy(slot.prevPosition, position, sizeof(position));
    std::memcpy(slot.prevScale, scale, sizeof(scale));
    std::memcpy(slot.prevRotation, rotation, sizeof(rotation));
}

enum class ScaleRule { onePlus, orOne };

struct DrawShape {
    ScaleRule scale;  // onePlus: (1 + x, 1 + y, 1 + z); orOne: (x, y, z), or (1, 1, 1) when in1 is empty
    int optionInputs; // options 0.. come from in3 onwards; the rest are zero
    bool textured;    // texture = nearest(p4) and list from p5, else texture 0 and the opaque list
};

// n = nearest(p1) instances; every input sampled at the instance index.
static void drawInstances(const GraphEval& g, const GraphNode& n, DrawShape shape) {
    uint32_t count = nearestU(n.params[1]);
    if (count == 0) return;
    const NodeValue &position = in(g, n, 0), &scale = in(g, n, 1), &rotation = in(g, n, 2);
    DrawRecord record = {};
    record.mesh = nearest(n.params[0]);
    record.vertexShader = nearest(n.params[2]);
    record.pixelShader = nearest(n.params[3]);
    record.texture = shape.textured ? nearest(n.params[4]) : 0;
    bool blended = shape.textured && nearest(n.params[5]) != 0;
    DrawList& list = blended ? drawListBlended : drawListOpaque;
    for (uint32_t i = 0; i < count && list.count < kDrawListCapacity; ++i) {
        copy3(record.position, sampleElement(position, i));
        Float4 s = sampleElement(scale, i);
        if (shape.scale == ScaleRule::onePlus)
            set3(record.scale, 1.0f + s.x, 1.0f + s.y, 1.0f + s.z);
        else if (scale.count == 0)
            set3(record.scale, 1.0f, 1.0f, 1.0f);
        else
            copy3(record.scale, s);
        copy3(record.rotation, sampleElement(rotation, i));
        for (int k = 0; k < shape.optionInputs; ++k) record.options[k] = sampleElement(in(g, n, 3 + k), i);
        emitDraw(record, blended);
    }
}

uint32_t collectShaderPairs(const SceneTable& scenes, DrawShaderPair* out, uint32_t capacity) {
    uint32_t count = 0;
    for (const SceneEntry& scene : scenes.scenes) {
        for (int slot = 0; scene.nodes && slot < kSlotsPerScene; ++slot) {
            const NodeSource& n = scene.nodes[slot];
            if (n.op < kOpDrawPlain || n.op > kOpDrawMesh) continue;
            const DrawShaderPair pair = {nearest(n.params[2]), nearest(n.params[3])};
            bool known = false;
            for (uint32_t i = 0; i < count && !known; ++i)
                known = out[i].vertexShader == pair.vertexShader && out[i].pixelShader == pair.pixelShader;
            if (!known && count < capacity) out[count++] = pair;
        }
    }
    return count;
}

void opDrawPlain(const GraphEval& g, const GraphNode& n, NodeValue&) {
    drawInstances(g, n, DrawShape{ScaleRule::onePlus, 0, false});
}
void opDrawThreeOptions(const GraphEval& g, const GraphNode& n, NodeValue&) {
    drawInstances(g, n, DrawShape{ScaleRule::onePlus, 3, false});
}
void opDrawFiveOptions(const GraphEval& g, const GraphNode& n, NodeValue&) {
    drawInstances(g, n, DrawShape{ScaleRule::orOne, 5, false});
}
void opDrawMesh(const GraphEval& g, const GraphNode& n, NodeValue&) {
    drawInstances(g, n, DrawShape{ScaleRule::orOne, 5, true});
}

//-----------------------------------------------------------------------------
// Lines and points (44, 49)
//-----------------------------------------------------------------------------

static void appendLineVertex(Float4 p) {
    LineVertex& v = lineList.vertices[lineList.count++];
    v.position[0] = p.x, v.position[1] = p.y, v.position[2] = p.z, v.position[3] = 1.0f;
    std::memset(v.zeros, 0, sizeof(v.zeros));
    v.colour = 0xFFFFFFFFu;
}

// One opaque white segment between each pair of consecutive elements of in0.
void opLineStrip(const GraphEval& g, const GraphNode& n, NodeValue&) {
    const NodeValue& points = in(g, n, 0);
    for (uint32_t e = 1; e < points.count && lineList.count + 2 <= kLineVertexCapacity; ++e) {
        appendLineVertex(sampleElement(points, e - 1));
        appendLineVertex(sampleElement(points, e));
    }
}

// The point list has no reader in this system: the slot is only marked evaluated.
void opPointFrame(const GraphEval&, const GraphNode&, NodeValue&) {}

//-----------------------------------------------------------------------------
// Sprites (50)
//-----------------------------------------------------------------------------

void opSprite(const GraphEval& g, const GraphNode& n, NodeValue&) {
    uint32_t count = nearestU(n.params[1]);
    uint32_t room = kSpriteCapacity - spriteList.count;
    if (count > room) count = room;
    const NodeValue &rect = in(g, n, 0), &centre = in(g, n, 1), &scale = in(g, n, 2);
    const NodeValue &rotation = in(g, n, 3), &alpha = in(g, n, 4);
    SpriteRecord* records = spriteList.records + spriteList.count;
    spriteList.count += count;
    for (uint32_t i = 0; i < count; ++i) {
        SpriteRecord& s = records[i];
        Float4 r = rect.count ? sampleElement(rect, i) : Float4{0, 0, 1, 1};
        s.srcRect[0] = r.x, s.srcRect[1] = r.y, s.srcRect[2] = r.z, s.srcRect[3] = r.w;
        Float4 c = sampleElement(centre, i);
        s.centre[0] = c.x, s.centre[1] = c.y;
        Float4 k = scale.count ? sampleElement(scale, i) : Float4{1, 1, 0, 0};
        s.scale[0] = k.x, s.scale[1] = k.y;
        s.rotation = sampleElement(rotation, i).x;
        s.texture = nearest(n.params[0]);
        s.blend = nearest(n.params[2]);
        s.key = n.params[3];
        s.alpha = alpha.count ? sampleElement(alpha, i).x : 1.0f;
    }
}

//-----------------------------------------------------------------------------
// Camera (52, 53)
//-----------------------------------------------------------------------------

// Copies input `slot`'s first element, or (x, y, z) when the input is empty.
static void copy3Or(float* out, const GraphEval& g, const GraphNode& n, int slot, float x, float y, float z) {
    if (isEmpty(g, n, slot))
        set3(out, x, y, z);
    else
        copy3(out, first(g, n, slot));
}

void opLookAtCamera(const GraphEval& g, const GraphNode& n, NodeValue&) {
    CameraState c;
    copy3(c.eye, first(g, n, 0));
    copy3(c.at, first(g, n, 1));
    copy3Or(c.up, g, n, 2, 0, 1, 0);
    c.fovy = kHalfPi;
    c.aspect = g.renderer->aspect;
    c.near = 0.05f;
    c.far = 1000.0f;
    cameraState = c;
}

void opCamera(const GraphEval& g, const GraphNode& n, NodeValue&) {
    CameraState c;
    copy3Or(c.eye, g, n, 0, 1, 1, 1);
    copy3(c.at, first(g, n, 1));
    copy3Or(c.up, g, n, 2, 0, 1, 0);
    c.fovy = isEmpty(g, n, 3) ? kHalfPi : first(g, n, 3).x;
    c.aspect = g.renderer->aspect;
    if (isEmpty(g, n, 4)) {
        c.near = 0.05f;
        c.far = 1000.0f;
    } else {
        Float4 range = first(g, n, 4);
        c.near = range.x;
        c.far = range.y;
    }
    cameraState = c;
}

//-----------------------------------------------------------------------------
// Frame settings (43, 51, 56..59)
//-----------------------------------------------------------------------------

void opSetLight(const GraphEval& g, const GraphNode& n, NodeValue&) {
    frameSettings.lightDirVS = isEmpty(g, n, 1) ? Float4{1, 1, 1, 1} : first(g, n, 1);
}

void opSetClearColor(const GraphEval& g, const GraphNode& n, NodeValue&) {
    frameSettings.clearColor = first(g, n, 0);
}

void opDepthOfField(const GraphEval& g, const GraphNode& n, NodeValue&) {
    frameSettings.dofFocus = first(g, n, 0).x;
    frameSettings.isRenderDof = 1;
}

// A factor above 1 (or not a number) changes nothing.
void opTransition(const GraphEval& g, const GraphNode& n, NodeValue&) {
    float x = first(g, n, 0).x;
    if (x <= 1.0f) {
        frameSettings.transitionType = nearest(n.params[0]);
        frameSettings.transitionFactor = x;
    }
}

void opMotionBlur(const GraphEval&, const GraphNode& n, NodeValue&) {
    frameSettings.blurJumpThreshold = n.params[0];
    frameSettings.isBlur = 1;
}

void opBloom(const GraphEval& g, const GraphNode& n, NodeValue&) {
    frameSettings.bloomThrethold = first(g, n, 0).x;
    frameSettings.bloomDispersion = first(g, n, 1).x * 0.1f;
    frameSettings.bloomColor = first(g, n, 2).x;
    frameSettings.isRenderBloom = 1;
}
