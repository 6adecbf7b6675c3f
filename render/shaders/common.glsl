// common.glsl - declarations shared by every entry point of the shader library.
//
// Each entry point is compiled on its own: the library prepends the dialect's prelude ("#version 330
// core", or "#version 300 es" with highp defaults), QZ_VERTEX_STAGE or QZ_PIXEL_STAGE and QZ_ENTRY (the
// entry's name), and entry.glsl at the end of the bodies supplies the main() that calls it. Constant
// blocks are std140; after linking, the library binds each to its register number and each sampler
// to its texture unit 0..7. Matrices are uploaded unchanged from the row-vector CPU convention and used
// as `M * v`, which gives the same result as the CPU's `v x M`. Everything here must compile as GLSL
// 3.30 and GLSL ES 3.00: no implicit int-to-float conversions, unsigned literals with `u`.

//-----------------------------------------------------------------------------
// Constant blocks (b0..b6)
//-----------------------------------------------------------------------------

layout(std140) uniform PerFrameData {
    mat4 viewProj;
    vec4 eyePosVS;
    vec4 lightDirVS;
    int isBlur;
    int isRenderDof;
    int isRenderBloom;
    int pfdDum0;
};

layout(std140) uniform PerObjectData {
    mat4 world;
    mat4 worldViewProj;
    mat4 oldWorldViewProj;
    vec4 options[8];
};

layout(std140) uniform PostEffectData {
    float bloomColor;
    float bloomThrethold;
    float bloomPadding0;
    float bloomPadding1;
};

layout(std140) uniform GaussFilterData {
    float gasWeight0;
    float gasWeight1;
    float gasWeight2;
    float gasWeight3;
    float gasWeight4;
    float gasWeight5;
    float gasWeight6;
    float gasWeight7;
    float gasScale;
    float gasPad0;
    float gasPad1;
    float gasPad2;
};

// The composite's block; GLSL needs a block name of its own (b2 is also a PostEffectData).
layout(std140) uniform PostEffectData4 {
    float dofFocus;
    uint transitionType;
    float transitionFactor;
    float pedPadding0;
};

layout(std140) uniform OneTimeData {
    mat4 g_60;
    mat4 g_61;
    float w_width;
    float w_height;
    float g_b60;
    float g_b61;
};

// The sprite's block; GLSL needs a block name of its own (b5 is also a OneTimeData).
layout(std140) uniform OneTimeData6 {
    vec4 spritesrcRect;
    vec4 spriteDstRect;
    vec4 spriteZ;
    vec4 spriteRot;
    vec4 spriteAlpha;
};

//-----------------------------------------------------------------------------
// Texture slots (t0..t7, in this order); one linear, wrapping sampler object serves every unit
//-----------------------------------------------------------------------------

uniform sampler2D colorMap;
uniform sampler2D velocityAndDepthMap;
uniform sampler2D bloomMap;
uniform sampler2D postEffectRT;
uniform sampler2D backBufferRT;
uniform sampler2D dofBokhRT;
uniform sampler2D sprite;
uniform sampler2D colorTex;

//-----------------------------------------------------------------------------
// Interpolators and inputs
//-----------------------------------------------------------------------------

struct VO {
    vec4 pos;      // clip position out of the vertex stage, window position in the pixel stage
    vec4 col_;
    vec2 uv;
    vec3 normal;
    vec3 localPos;
    vec4 velocity;
};

struct P0 {
    vec4 color1;
};

struct spriteVO {
    vec4 pos;
    vec2 uv;
};

// One vertex as the vertex stage sees it: the 68-byte mesh vertex plus its index.
struct VI {
    vec4 P; // position, w = 1
    vec4 N; // normal, w = 1
    vec4 T; // texture coordinate
    vec4 C; // colour, unsigned normalised bytes
    vec4 G; // centre of the vertex's face, w = 1
    int id; // vertex index, for the strips drawn without a vertex buffer
};

VO emptyVO() {
    VO o;
    o.pos = vec4(0.0);
    o.col_ = vec4(0.0);
    o.uv = vec2(0.0);
    o.normal = vec3(0.0);
    o.localPos = vec3(0.0);
    o.velocity = vec4(0.0);
    return o;
}

// Corners of the full-screen strip for vertex ids 0..3.
vec4 fullScreenCorner(int id) {
    const vec2 corners[4] = vec2[4](vec2(-1.0, -1.0), vec2(1.0, -1.0), vec2(-1.0, 1.0), vec2(1.0, 1.0));
    return vec4(corners[clamp(id, 0, 3)], 0.0, 1.0);
}

//-----------------------------------------------------------------------------
// Helpers
//-----------------------------------------------------------------------------

// atan2 with the value 0 where both arguments are 0 (GLSL leaves that case undefined).
float atan2(float y, float x) {
    return (x == 0.0 && y == 0.0) ? 0.0 : atan(y, x);
}

// Spherical angles of p, both mapped to 0..1: (elevation, azimuth).
vec2 cart2sph(vec3 p) {
    const float pi = 3.1415926535;
    float elevation = atan2(p.z, length(p.xy));
    float azimuth = 0.0;
    if (p.x > 0.0 && p.y > 0.0) {
        azimuth = atan2(p.y, p.x);
    } else if (p.x <= 0.0 && p.y > 0.0) {
        azimuth = atan2(-p.x, p.y) + pi / 2.0;
    } else if (p.x <= 0.0 && p.y <= 0.0) {
        azimuth = atan2(-p.y, -p.x) + pi;
    } else if (p.x > 0.0 && p.y <= 0.0) {
        azimuth = atan2(p.x, -p.y) + 1.5 * pi;
    }
    return vec2((elevation + pi / 2.0) / pi, azimuth / (2.0 * pi));
}

#ifdef QZ_PIXEL_STAGE
vec4 blm(vec2 uv) {
    return texture(bloomMap, uv);
}
#endif

float saturate(float v) {
    return clamp(v, 0.0, 1.0);
}
vec4 saturate(vec4 v) {
    return clamp(v, 0.0, 1.0);
}
