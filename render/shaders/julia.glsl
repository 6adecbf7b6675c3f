// julia.glsl - a quaternion Julia set, ray-marched by distance estimation on a full-screen quad that
// sits at the depth of the drawn object's origin. Quaternions are (scalar, vector) in (x, yzw).

#ifdef QZ_VERTEX_STAGE

VO juliaVS(VI v) {
    vec4 origin = worldViewProj * vec4(0.0, 0.0, 0.0, 1.0);
    VO o = emptyVO();
    o.pos = fullScreenCorner(min(v.id, 3));
    o.pos.z = origin.z / origin.w;
    return o;
}

#endif // QZ_VERTEX_STAGE

#ifdef QZ_PIXEL_STAGE

const float kJuliaEpsilon = 0.003;
const int kJuliaMaxSteps = 4096; // a safety bound; real marches leave the r2 < 3 ball far earlier

vec4 quatMul(vec4 a, vec4 b) {
    return vec4(a.x * b.x - dot(a.yzw, b.yzw), a.x * b.yzw + b.x * a.yzw + cross(a.yzw, b.yzw));
}

vec4 quatSquare(vec4 q) {
    return vec4(q.x * q.x - dot(q.yzw, q.yzw), 2.0 * q.x * q.yzw);
}

// Distance estimate 0.5 |z| log|z| / |dz| after up to 10 iterations with escape at |z|^2 >= 10.
float juliaDistance(vec3 o, vec4 c) {
    vec4 z = vec4(o, 0.0);
    vec4 dz = vec4(1.0, 0.0, 0.0, 0.0);
    for (int n = 0; n < 10 && dot(z, z) < 10.0; ++n) {
        dz = 2.0 * quatMul(z, dz);
        z = quatSquare(z) + c;
    }
    float lz = length(z);
    return 0.5 * lz * log(lz) / length(dz);
}

// Marches o along d until the estimate drops under epsilon (a hit) or o leaves r2 < 3.
bool juliaMarch(inout vec3 o, vec3 d, vec4 c) {
    float dist = kJuliaEpsilon;
    float r2 = 0.0;
    for (int step = 0; dist >= kJuliaEpsilon && r2 < 3.0 && step < kJuliaMaxSteps; ++step) {
        dist = juliaDistance(o, c);
        o += d * dist;
        r2 = dot(o, o);
    }
    return dist < kJuliaEpsilon;
}

// |z| after exactly 10 iterations, no escape test.
float juliaMagnitude(vec3 p, vec4 c) {
    vec4 z = vec4(p, 0.0);
    for (int n = 0; n < 10; ++n) z = quatSquare(z) + c;
    return length(z);
}

vec4 juliaPS(VO i) {
    vec2 q = vec2((i.pos.x - w_width / 2.0) / (w_height / 2.0) * 3.0,
                  (i.pos.y - w_height / 2.0) / (w_width / 2.0) * 3.0);
    vec3 d = vec3(q.x, -q.y, 1.0) * mat3(viewProj);
    vec3 o = eyePosVS.xyz * 0.5;
    vec3 lightPoint = lightDirVS.xyz;
    vec4 c = options[2];
    if (!juliaMarch(o, d, c)) return vec4(0.0);

    const float e = 1e-6;
    vec3 normal = normalize(vec3(juliaMagnitude(o + vec3(e, 0, 0), c) - juliaMagnitude(o - vec3(e, 0, 0), c),
                                 juliaMagnitude(o + vec3(0, e, 0), c) - juliaMagnitude(o - vec3(0, e, 0), c),
                                 juliaMagnitude(o + vec3(0, 0, e), c) - juliaMagnitude(o - vec3(0, 0, e), c)));
    vec3 toLight = normalize(lightPoint - o);
    vec4 colour = vec4(options[1].rgb * (dot(normal, toLight) + 0.5), 1.0);
    vec3 shadowOrigin = o + normal * 0.006;
    if (juliaMarch(shadowOrigin, toLight, c)) colour.rgb *= 0.5;
    return colour;
}

#endif // QZ_PIXEL_STAGE
