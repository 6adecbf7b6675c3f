// sprite.glsl - the screen sprite: an aspect-correct, rotatable rectangle sampled from `sprite`.

#ifdef QZ_VERTEX_STAGE

spriteVO A_8_spriteVS(VI v) {
    const vec2 uvs[4] = vec2[4](vec2(0.0, 0.0), vec2(1.0, 0.0), vec2(0.0, 1.0), vec2(1.0, 1.0));
    float k = w_height / w_width;
    float left = (2.0 * spriteDstRect.x - 1.0) * k;
    float right = (2.0 * spriteDstRect.z - 1.0) * k;
    float top = -(2.0 * spriteDstRect.y - 1.0);
    float bottom = -(2.0 * spriteDstRect.w - 1.0);
    int id = clamp(v.id, 0, 3);
    vec2 corner = vec2((id & 1) == 0 ? left : right, id < 2 ? top : bottom);
    vec2 centre = vec2((left + right) * 0.5, (top + bottom) * 0.5);
    float g = spriteRot.x + 3.14159;
    vec2 d = corner - centre;
    spriteVO o;
    o.pos = vec4(d.x * cos(g) - d.y * sin(g) + centre.x, d.x * sin(g) + d.y * cos(g) + centre.y, 0.0, 1.0);
    o.uv = uvs[id];
    return o;
}

#endif // QZ_VERTEX_STAGE

#ifdef QZ_PIXEL_STAGE

// Set while the bound blend state asks for alpha to coverage. The targets have one sample, where GL
// ignores alpha to coverage, so the shader drops what would get no coverage: alpha below one half.
uniform int spriteAlphaToCoverage;

// The reversed interpolation cancels the half turn of the vertex stage: rotation 0 is upright.
vec4 A_8_spritePS(spriteVO i) {
    vec2 tc = vec2(spritesrcRect.x * i.uv.x + spritesrcRect.z * (1.0 - i.uv.x),
                   spritesrcRect.y * i.uv.y + spritesrcRect.w * (1.0 - i.uv.y));
    vec4 c = texture(sprite, tc) * spriteAlpha.x;
    if (spriteAlphaToCoverage != 0 && c.a < 0.5) discard;
    return c;
}

#endif // QZ_PIXEL_STAGE
