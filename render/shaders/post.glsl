// post.glsl - screen-space entry points: velocity and depth, composite, FXAA, bloom highlight and the
// two passes of the separable Gaussian blur.

#ifdef QZ_VERTEX_STAGE

// Velocity and depth of the opaque objects; with motion blur, faces that trail the motion stay at the
// previous position so the footprint covers the swept area.
VO A_1_create_velocity_and_depthVS(VI v) {
    VO o = emptyVO();
    vec4 cur = worldViewProj * v.P;
    vec3 n = mat3(worldViewProj) * v.N.xyz;
    o.pos = cur;
    if (isBlur != 0) {
        vec4 prev = oldWorldViewProj * v.P;
        if (dot(normalize(cur.xyz - prev.xyz), normalize(n)) < 0.0) o.pos = prev;
        vec2 velocity = (cur.xy / cur.w - prev.xy / prev.w) * 0.5;
        o.velocity = vec4(velocity.x, -velocity.y, 0.0, 0.0);
    }
    return o;
}

VO A_3_postprocessVS(VI v) {
    VO o = emptyVO();
    o.pos = fullScreenCorner(v.id);
    return o;
}

// col_.xy: texture coordinate of the corner; col_.zw: the same moved back by 0.75 texel.
VO A_4_fxaaVS(VI v) {
    const vec2 uvs[4] = vec2[4](vec2(0.0, 1.0), vec2(1.0, 1.0), vec2(0.0, 0.0), vec2(1.0, 0.0));
    VO o = emptyVO();
    o.pos = fullScreenCorner(v.id);
    vec2 uv = uvs[clamp(v.id, 0, 3)];
    o.col_ = vec4(uv, uv - vec2(0.75 / w_width, 0.75 / w_height));
    return o;
}

VO A_5_bloomHighlightVS(VI v) {
    VO o = emptyVO();
    o.pos = fullScreenCorner(v.id);
    return o;
}

VO A_6_gauss1VS(VI v) {
    VO o = emptyVO();
    o.pos = fullScreenCorner(v.id);
    return o;
}

VO A_7_gauss2VS(VI v) {
    VO o = emptyVO();
    o.pos = fullScreenCorner(v.id);
    return o;
}

#endif // QZ_VERTEX_STAGE

#ifdef QZ_PIXEL_STAGE

// (velocity, 1, depth of the placed position)
vec4 A_1_create_velocity_and_depthPS(VO i) {
    return vec4(i.velocity.xy, 1.0, i.pos.z);
}

// The post effects this program of the composite can apply, as bits of render/post_effects.h's table
// (QZ_EFFECT_*); the library also compiles one program per set of effects, leaving out the others' code.
#ifndef QZ_COMPOSITE_EFFECTS
#define QZ_COMPOSITE_EFFECTS QZ_EFFECTS_ALL
#endif
const bool kMayDof = (QZ_COMPOSITE_EFFECTS & QZ_EFFECT_DEPTH_OF_FIELD) != 0;
const bool kMayBlur = (QZ_COMPOSITE_EFFECTS & QZ_EFFECT_MOTION_BLUR) != 0;
const bool kMayBloom = (QZ_COMPOSITE_EFFECTS & QZ_EFFECT_BLOOM) != 0;

// Depth of field or motion blur, then bloom, then the scene transition.
vec4 A_3_postprocessPS(VO i) {
    vec2 uv = vec2(i.pos.x / w_width, i.pos.y / w_height);
    vec4 c = texture(colorMap, uv);
    if (kMayDof && isRenderDof != 0) {
        float t = abs(texture(velocityAndDepthMap, uv).w - dofFocus);
        c = mix(c, texture(dofBokhRT, uv), t);
    } else if (kMayBlur && isBlur != 0) {
        vec2 v = texture(velocityAndDepthMap, uv).xy / 10.0;
        vec3 sum = vec3(0.0);
        for (int k = 1; k <= 9; ++k) sum += texture(colorMap, uv + v * float(k)).rgb;
        c.rgb = sum / 10.0;
        c.a = 1.0;
    }
    if (kMayBloom && isRenderBloom != 0) c += texture(bloomMap, uv * 0.5);
    if (transitionType == 1u) {
        c = c * saturate(transitionFactor);
    } else if (transitionType == 2u) {
        c = saturate(c + saturate(1.0 - transitionFactor));
    } else if (transitionType == 3u) {
        vec2 p = vec2((i.pos.x - w_width / 2.0) / (w_width / 2.0), (i.pos.y - w_height / 2.0) / (w_width / 2.0));
        if (length(p) >= transitionFactor * 1.18) c = vec4(0.0, 0.0, 0.0, 1.0);
    }
    return c;
}

float fxaaLuma(vec3 rgb) {
    return dot(rgb, vec3(0.299, 0.587, 0.114));
}

vec4 A_4_fxaaPS(VO i) {
    vec2 xy = i.col_.xy;
    vec2 zw = i.col_.zw;
    vec3 rgbNW = textureLodOffset(postEffectRT, zw, 0.0, ivec2(0, 0)).rgb;
    vec3 rgbNE = textureLodOffset(postEffectRT, zw, 0.0, ivec2(1, 0)).rgb;
    vec3 rgbSW = textureLodOffset(postEffectRT, zw, 0.0, ivec2(0, 1)).rgb;
    vec3 rgbSE = textureLodOffset(postEffectRT, zw, 0.0, ivec2(1, 1)).rgb;
    vec3 rgbM = textureLod(postEffectRT, xy, 0.0).rgb;
    float lumaNW = fxaaLuma(rgbNW);
    float lumaNE = fxaaLuma(rgbNE);
    float lumaSW = fxaaLuma(rgbSW);
    float lumaSE = fxaaLuma(rgbSE);
    float lumaM = fxaaLuma(rgbM);
    float lumaMin = min(lumaM, min(min(lumaNW, lumaNE), min(lumaSW, lumaSE)));
    float lumaMax = max(lumaM, max(max(lumaNW, lumaNE), max(lumaSW, lumaSE)));
    vec2 dir = vec2(-((lumaNW + lumaNE) - (lumaSW + lumaSE)), (lumaNW + lumaSW) - (lumaNE + lumaSE));
    float reduce = max((lumaNW + lumaNE + lumaSW + lumaSE) * 0.25 * (1.0 / 8.0), 1.0 / 128.0);
    float rcpDirMin = 1.0 / (min(abs(dir.x), abs(dir.y)) + reduce);
    dir = clamp(dir * rcpDirMin, vec2(-8.0), vec2(8.0)) * vec2(1.0 / w_width, 1.0 / w_height);
    vec3 rgbA = 0.5 * (textureLod(postEffectRT, xy + dir * (1.0 / 3.0 - 0.5), 0.0).rgb +
                       textureLod(postEffectRT, xy + dir * (2.0 / 3.0 - 0.5), 0.0).rgb);
    vec3 rgbB = rgbA * 0.5 + 0.25 * (textureLod(postEffectRT, xy + dir * -0.5, 0.0).rgb +
                                     textureLod(postEffectRT, xy + dir * 0.5, 0.0).rgb);
    float lumaB = fxaaLuma(rgbB);
    if (lumaB < lumaMin || lumaB > lumaMax) return vec4(rgbA, 1.0);
    return vec4(rgbB, 1.0);
}

// The scene at half resolution into the top-left quarter: bloomColor where the luma passes.
vec4 A_5_bloomHighlightPS(VO i) {
    vec2 uv = vec2(i.pos.x * 2.0 / w_width, i.pos.y * 2.0 / w_height);
    vec3 c = texture(colorMap, uv).rgb;
    float luma = 0.29891 * c.r + 0.58661 * c.g + 0.11448 * c.b;
    if (luma > bloomThrethold) return vec4(bloomColor, bloomColor, bloomColor, 1.0);
    return vec4(0.0, 0.0, 0.0, 1.0);
}

float gaussWeight(int k) {
    float w[8] = float[8](gasWeight0, gasWeight1, gasWeight2, gasWeight3, gasWeight4, gasWeight5,
                          gasWeight6, gasWeight7);
    return w[k];
}

// 16 taps at odd pixel offsets -15..15 along x, in units of the screen width.
vec4 A_6_gauss1PS(VO i) {
    vec2 base = vec2(i.pos.x * gasScale / w_width, i.pos.y * gasScale / w_height);
    vec4 sum = vec4(0.0);
    for (int k = 0; k < 8; ++k) {
        vec2 offset = vec2(float(2 * k + 1) / w_width, 0.0);
        sum += gaussWeight(k) * (blm(base - offset) + blm(base + offset));
    }
    return sum;
}

// The same along y, in units of the screen height.
vec4 A_7_gauss2PS(VO i) {
    vec2 base = vec2(i.pos.x * gasScale / w_width, i.pos.y * gasScale / w_height);
    vec4 sum = vec4(0.0);
    for (int k = 0; k < 8; ++k) {
        vec2 offset = vec2(0.0, float(2 * k + 1) / w_height);
        sum += gaussWeight(k) * (blm(base - offset) + blm(base + offset));
    }
    return sum;
}

#endif // QZ_PIXEL_STAGE
