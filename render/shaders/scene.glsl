// scene.glsl - the shaders a draw record selects: flat and simple lit shaders, Cook-Torrance, and the
// deformations driven by the record's options (crash, neuron, spike).

#ifdef QZ_VERTEX_STAGE

//-----------------------------------------------------------------------------
// Simple lit, flat and test shaders
//-----------------------------------------------------------------------------

VO A_0_debuglineVS(VI v) {
    VO o = emptyVO();
    o.pos = viewProj * v.P;
    o.col_ = v.C;
    return o;
}

VO simpleLit(VI v) {
    VO o = emptyVO();
    o.pos = worldViewProj * v.P;
    o.uv = v.T.xy;
    float s = saturate(dot(normalize(lightDirVS), v.N));
    o.col_ = vec4(0.3 + 0.3 * s, 0.3 + 0.3 * s, 0.3 + 0.3 * s, 1.0);
    return o;
}

VO A_backcubeVS(VI v) {
    return simpleLit(v);
}

VO testModelVS(VI v) {
    return simpleLit(v);
}

VO x_cam_VS(VI v) {
    return simpleLit(v);
}

VO baseAmbientVS(VI v) {
    VO o = emptyVO();
    o.pos = worldViewProj * v.P;
    o.col_ = options[0];
    return o;
}

VO texTestVS(VI v) {
    VO o = emptyVO();
    o.pos = worldViewProj * v.P;
    o.uv = v.T.xy;
    return o;
}

// P is already in clip space; only P.xyz and T.xy are read.
VO testVS(VI v) {
    VO o = emptyVO();
    o.pos = vec4(v.P.xyz, 1.0);
    o.uv = v.T.xy;
    return o;
}

//-----------------------------------------------------------------------------
// Cook-Torrance
//-----------------------------------------------------------------------------

// Wrapped diffuse in col_; the pixel stage adds the specular term.
VO baseCookVS(VI v) {
    VO o = emptyVO();
    o.pos = worldViewProj * v.P;
    o.uv = v.T.xy;
    float g = dot(v.N, -lightDirVS);
    o.col_ = options[0] + options[1] * (g * 2.0 + 1.0) * 0.5;
    o.normal = mat3(worldViewProj) * v.N.xyz;
    o.localPos = v.P.xyz;
    return o;
}

//-----------------------------------------------------------------------------
// Deformations
//-----------------------------------------------------------------------------

// Every face flies off from the origin as a projectile, spinning until it lands on y = 0.
VO crashVS(VI v) {
    float tau = options[0].x;
    float vh = options[2].x;
    float vv = options[2].y;
    float grav = options[2].z;
    vec3 dir = normalize(v.G.xyz);
    vec2 horizontalVelocity = vh * dir.xz;
    float u = vv * dir.y;
    float landing = u / grav * 2.0;
    float flight = min(tau, landing);
    vec2 horizontalMove = horizontalVelocity * flight;
    float verticalMove = u * tau - grav * tau * tau;

    vec3 axis = normalize(cross(v.G.xyz, vec3(0.0, 1.0, 0.0)));
    vec3 offset = (v.P - v.G).xyz;
    float angle = -flight;
    vec3 spun = offset * cos(angle) + cross(axis, offset) * sin(angle) +
                axis * dot(axis, offset) * (1.0 - cos(angle));

    vec4 drift = options[1] * min(options[0], vec4(landing));
    vec3 moved = v.G.xyz + spun + vec3(horizontalMove.x, verticalMove, horizontalMove.y) + drift.xyz;
    moved.y = max(moved.y, 0.0);

    VO o = emptyVO();
    o.pos = worldViewProj * vec4(moved, 1.0);
    o.uv = v.T.xy;
    o.col_ = options[3] + options[3] * max(-lightDirVS.w, dot(v.N, -lightDirVS));
    o.normal = v.N.xyz;
    o.localPos = moved;
    return o;
}

// Twist about Y by a phase plus the distance from the axis, and squash towards y = 0.
VO neuronVS(VI v) {
    float s = options[0].x;
    float k = sin(s);
    float phase = 2.0 * cos(s);
    float w = length(v.P.xz) * k;
    float a = w + phase;
    vec3 p = v.P.xyz;
    vec3 moved = vec3(cos(a) * p.x + sin(a) * p.z, p.y * (1.0 - abs(w)), -sin(a) * p.x + cos(a) * p.z);
    VO o = emptyVO();
    o.pos = worldViewProj * vec4(moved, 1.0);
    o.uv = v.T.xy;
    o.localPos = moved;
    o.normal = v.N.xyz;
    return o;
}

// Pulsing cells: the sphere split into 10 x 10 angular cells, each scaled and coloured by time.
VO spikeVS(VI v) {
    vec2 angles = cart2sph(v.P.xyz);
    float t = options[0].x * 0.005;
    float i = trunc(angles.x * 10.0);
    float j = trunc(angles.y * 10.0);
    float m = sin(i * 5.0 * t);
    float g = cos(j * 5.0 * t);
    vec4 p = vec4(v.P.xyz * (m * g * 0.5 + 0.4), v.P.w);
    VO o = emptyVO();
    o.pos = worldViewProj * p;
    o.col_ = vec4(m * 0.5, g * 0.5, m * g * 0.5, 1.0);
    return o;
}

#endif // QZ_VERTEX_STAGE

#ifdef QZ_PIXEL_STAGE

//-----------------------------------------------------------------------------
// Simple lit, flat and test shaders
//-----------------------------------------------------------------------------

vec4 A_0_debuglinePS(VO i) {
    return i.col_;
}

vec4 A_backcubePS(VO i) {
    return vec4(0.7, 0.7, 0.7, 1.0);
}

vec4 testModelPS(VO i) {
    return i.col_;
}

vec4 x_cam_lookat_PS(VO i) {
    return vec4(1.0, 1.0, 0.0, 1.0);
}

vec4 x_cam_pos_PS(VO i) {
    return vec4(1.0, 0.0, 0.0, 1.0);
}

vec4 baseAmbientPS(VO i) {
    return i.col_;
}

vec4 hogePS(VO i) {
    return options[0];
}

vec4 texTestPS(VO i) {
    return texture(colorTex, i.uv);
}

P0 testPS(VO i) {
    P0 o;
    o.color1 = vec4(texture(colorMap, i.uv).rgb, 1.0);
    return o;
}

//-----------------------------------------------------------------------------
// Cook-Torrance: Beckmann distribution (m = 0.35), the geometric term, Fresnel with index 20
//-----------------------------------------------------------------------------

vec4 cookTorrance(VO i, vec4 specular) {
    const float m = 0.35;
    vec3 L = -lightDirVS.xyz;
    vec3 n = normalize(i.normal);
    vec3 v = normalize(eyePosVS.xyz - i.localPos);
    vec3 h = normalize(L + v);
    float NV = dot(n, v);
    float NH = dot(n, h);
    float VH = dot(v, h);
    float NL = dot(n, L);
    float LH = dot(L, h);
    float NH2 = NH * NH;
    float D = exp(-(1.0 - NH2) / (NH2 * m * m)) / (4.0 * m * m * NH2 * NH2);
    float G = min(1.0, min(2.0 * NH * NV / VH, 2.0 * NH * NL / VH));
    float g = sqrt(400.0 + LH * LH - 1.0);
    float gm = g - LH;
    float gp = g + LH;
    float a = LH * gp - 1.0;
    float b = LH * gm + 1.0;
    float F = 0.5 * (gm * gm) / (gp * gp) * (1.0 + (a * a) / (b * b));
    return i.col_ + specular * max(0.0, F * D * G / NV);
}

vec4 baseCookPS(VO i) {
    return cookTorrance(i, options[2]);
}

vec4 crashPS(VO i) {
    return cookTorrance(i, options[3]);
}

//-----------------------------------------------------------------------------
// Deformations
//-----------------------------------------------------------------------------

// Bright silhouettes plus rings moving outwards from the origin.
vec4 neuronPS(VO i) {
    float s = (options[1].x - length(i.localPos)) * 2.0;
    float ring = saturate(sin(s) * 0.5);
    float f = dot(normalize(i.normal), normalize(eyePosVS.xyz - i.localPos));
    return vec4(0.5 - abs(f) + ring);
}

vec4 spikePS(VO i) {
    return i.col_;
}

#endif // QZ_PIXEL_STAGE
