// entry.glsl - main() for the entry point named by QZ_ENTRY: reads the stage's inputs, calls the
// entry, writes its outputs. Varyings are matched by location between separately linked stages.

#ifdef QZ_VERTEX_STAGE

layout(location = 0) in vec4 inP;
layout(location = 1) in vec4 inN;
layout(location = 2) in vec4 inT;
layout(location = 3) in vec4 inC;
layout(location = 4) in vec4 inG;

out gl_PerVertex {
    vec4 gl_Position;
};
layout(location = 0) out vec4 voCol;
layout(location = 1) out vec2 voUv;
layout(location = 2) out vec3 voNormal;
layout(location = 3) out vec3 voLocalPos;
layout(location = 4) out vec4 voVelocity;

void writeOutputs(VO o) {
    gl_Position = o.pos;
    voCol = o.col_;
    voUv = o.uv;
    voNormal = o.normal;
    voLocalPos = o.localPos;
    voVelocity = o.velocity;
}

void writeOutputs(spriteVO o) {
    gl_Position = o.pos;
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

layout(location = 0) in vec4 voCol;
layout(location = 1) in vec2 voUv;
layout(location = 2) in vec3 voNormal;
layout(location = 3) in vec3 voLocalPos;
layout(location = 4) in vec4 voVelocity;
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
