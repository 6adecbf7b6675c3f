// post_effects.h - the post effects a scene switches on for one frame, one record each: its name, the
// node operation that switches it on, the switch in the frame settings and in b0, the pass that makes
// what the composite mixes in, and that pass's shader entry. The renderer reads the switches, picks the
// composite's program and tells the shaders each effect's bit from this table; the edit mode, the render
// benchmark and `qz001-tool passes` print its names.
//
//     for (const PostEffect& e : kPostEffects)
//         if (settings.*e.on) ...                        // e.name "bloom", e.pass kBloomPass
//     compositeShaderFor(settings)                       // the composite without the effects that are off
//
// In GLSL, effect k's bit (1 << k) is QZ_EFFECT_<NAME> ("QZ_EFFECT_DEPTH_OF_FIELD"); QZ_EFFECTS_ALL
// holds every bit, and a composite variant is compiled with QZ_COMPOSITE_EFFECTS set to its bits
// (render/shaders/post.glsl). Transitions are not here: the composite always runs them, picked by a
// value rather than a switch; nor is FXAA, which the device turns on, not a scene.
#pragma once

#include <cstdint>

#include "data/draw_names.h"
#include "director/director_types.h"
#include "render/constants.h"
#include "render/frame_passes.h"

struct PostEffect {
    const char* name;                 // lower case and '_': also its GLSL bit's name
    NodeOp op;                        // the operation that switches it on (director/output_ops.cpp)
    const char* setting;              // the switch's name, the same in FrameSettings and b0
    uint8_t FrameSettings::*on;       // the switch, back to 0 after every present (endFrameOutputs)
    int32_t PerFrameData::*onInBlock; // the same switch as the shaders read it
    FramePass pass;                   // the pass whose result the composite mixes in
    PixelShaderId shader;             // that pass's entry
};

// The switch's name and both places it lives, from the one member name they share.
#define QZ_EFFECT_SWITCH(member) #member, &FrameSettings::member, &PerFrameData::member

// In the order of their composite bits (1, 2, 4, ...).
inline constexpr PostEffect kPostEffects[] = {
    {"depth_of_field", kOpDepthOfField, QZ_EFFECT_SWITCH(isRenderDof), kDofBlurPass,
     shader_entry::A_6_gauss1PS},
    {"motion_blur", kOpMotionBlur, QZ_EFFECT_SWITCH(isBlur), kVelocityPass,
     shader_entry::A_1_create_velocity_and_depthPS},
    {"bloom", kOpBloom, QZ_EFFECT_SWITCH(isRenderBloom), kBloomPass, shader_entry::A_5_bloomHighlightPS},
};

#undef QZ_EFFECT_SWITCH

inline constexpr int kPostEffectCount = (int)(sizeof kPostEffects / sizeof kPostEffects[0]);
inline constexpr int kCompositeVariantCount = 1 << kPostEffectCount; // one per set of effects

// The composite bits of the effects `settings` switches on.
constexpr int compositeEffectsOf(const FrameSettings& settings) {
    int bits = 0;
    for (int k = 0; k < kPostEffectCount; ++k)
        if (settings.*kPostEffects[k].on) bits |= 1 << k;
    return bits;
}

// Each operation, switch and pass serves one effect, and a name is a GLSL name's tail.
constexpr bool postEffectsApart() {
    for (int a = 0; a < kPostEffectCount; ++a) {
        const PostEffect& e = kPostEffects[a];
        if (e.op <= kOpEmpty || e.op >= kNodeOpCount || e.pass < 0 || e.pass >= kFramePassCount) return false;
        if (!e.name[0]) return false;
        for (const char* c = e.name; *c; ++c)
            if (!((*c >= 'a' && *c <= 'z') || *c == '_')) return false;
        for (int b = 0; b < a; ++b) {
            const PostEffect& f = kPostEffects[b];
            if (e.op == f.op || e.on == f.on || e.onInBlock == f.onInBlock || e.pass == f.pass) return false;
        }
    }
    return true;
}
static_assert(postEffectsApart(),
              "each post effect has its own operation, switch and pass, and a lower-case name");
