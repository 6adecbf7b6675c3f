// entry.glsl - main() for the entry point named by QZ_ENTRY: reads the stage's inputs, calls the
// entry, writes its outputs. Every vertex stage writes the same varyings, matched by name.

#ifdef QZ_VERTEX_STAGE

layout(location = 0) in vec4 inP;
layout(location = 1) in vec4 inN;
layout(location = 2) in vec4 inT;
layout(location = 3) in vec4 inC;
layout(location = 4) in vec4 inG;

out vec4 voCol;
out vec2 voUv;
out vec3 voNormal;
out vec3 voLocalPos;
out vec4 voVelocity;

// The entries compute positions with row 0 at the top and depth 0..1. GL puts clip-space y = -1 on
// row 0 and takes depth from -1..1: negate y, stretch z (the depth buffer then holds z / w).
vec4 glClipPosition(vec4 p) {
    return vec4(p.x, -p.y, 2.0 * p.z - p.w, p.w);
}

void writeOutputs(VO o) {
    gl_Position = glClipPosition(o.pos);
    voCol = o.col_;
    voUv = o.uv;
    voNormal = o.normal;
    voLocalPos = o.localPos;
    voVelocity = o.velocity;
}

void writeOutputs(spriteVO o) {
    gl_Position = glClipPosition(o.pos);
    voCol = vec4(0.0);
    voUv = o.uv;
    voNormal = vec3(0.0);
    voLocalPos = vec3(0.0);
    voVelocity = vec4(0.0);
}

void main() {
    VI v;
    v.P = inP;
    v.N = inN;
    v.T = inT;
    v.C = inC;
    v.G = inG;
    v.id = gl_VertexID;
    writeOutputs(QZ_ENTRY(v));
}

#endif // QZ_VERTEX_STAGE

#ifdef QZ_PIXEL_STAGE

in vec4 voCol;
in vec2 voUv;
in vec3 voNormal;
in vec3 voLocalPos;
in vec4 voVelocity;
layout(location = 0) out vec4 target0;

VO pixelInput() {
    VO i;
    i.pos = gl_FragCoord;
    i.col_ = voCol;
    i.uv = voUv;
    i.normal = voNormal;
    i.localPos = voLocalPos;
    i.velocity = voVelocity;
    return i;
}

spriteVO spritePixelInput() {
    spriteVO i;
    i.pos = gl_FragCoord;
    i.uv = voUv;
    return i;
}

vec4 colourOf(vec4 c) {
    return c;
}

vec4 colourOf(P0 p) {
    return p.color1;
}

void main() {
    target0 = colourOf(QZ_ENTRY(QZ_PIXEL_INPUT));
}

#endif // QZ_PIXEL_STAGE
