// frame_passes.h - the steps of a rendered frame and their one name each, as the frame's timers book
// them (FrameInput::passTimes with glFinish, render/pass_timer.h with timer queries) and as the edit
// mode's pass costs, the render benchmark's counters and `qz001-tool passes` print them.
//
//     framePassName(kDofBlurPass)   // "dof_blur": the entry's name without k and Pass, in snake case
//
// A new pass is one entry below, in the order renderFrame (frame.h) runs it; its name follows.
#pragma once

#include <cstdint>

#include "base/enum_names.h"

// clang-format off
QZ_NAMED_ENUM(FramePass, int,
    kSetupPass,     // arena, camera, constants, clears
    kVelocityPass,  // velocity and depth of the opaque list
    kScenePass,     // opaque list, blended list, sprites
    kDofBlurPass,   // the blurred scene that depth of field mixes in
    kBloomPass,     // highlight and its blur
    kSceneMipsPass, // the scene's mip chain, for motion blur and the next frame's bloom
    kCompositePass,
    kFxaaPass,
    kPresentPass,
    kFramePassCount,
);
// clang-format on

struct FramePassTimes {
    double seconds[kFramePassCount]; // summed over the frames rendered with this record
    uint32_t runs[kFramePassCount];
};

//-----------------------------------------------------------------------------
// Names
//-----------------------------------------------------------------------------

inline constexpr int kFramePassNameCapacity = 24; // bytes of a pass's name, with its zero

struct FramePassNames {
    char names[kFramePassCount][kFramePassNameCapacity];
    bool ok; // every entry is kNamePass and its name fits
};

// "kSceneMipsPass" -> "scene_mips": the name between "k" and "Pass", a '_' before each inner capital,
// all in lower case.
constexpr bool passNameOf(const char* entry, char* out) {
    int length = 0;
    while (entry && entry[length]) ++length;
    if (length < 6 || entry[0] != 'k' || entry[length - 4] != 'P' || entry[length - 3] != 'a' ||
        entry[length - 2] != 's' || entry[length - 1] != 's')
        return false;
    int used = 0;
    for (int i = 1; i < length - 4; ++i) {
        const char c = entry[i];
        const bool capital = c >= 'A' && c <= 'Z';
        if (capital && i > 1) out[used++] = '_';
        out[used++] = capital ? (char)(c - 'A' + 'a') : c;
        if (used >= kFramePassNameCapacity - 1) return false;
    }
    out[used] = 0;
    return used > 0;
}

constexpr FramePassNames readFramePassNames() {
    FramePassNames table = {};
    const EnumNames entries = readEnumNames(FramePassText);
    table.ok = entries.ok && entries.last == kFramePassCount;
    for (int p = 0; p < kFramePassCount && table.ok; ++p)
        table.ok = passNameOf(enumName(entries, p), table.names[p]);
    return table;
}

inline constexpr FramePassNames kFramePassNames = readFramePassNames();
static_assert(kFramePassNames.ok, "every frame pass is named kNamePass, in order, with a short name");

// The pass's name ("dof_blur"), or nullptr outside 0..kFramePassCount-1 (render/frame.cpp).
const char* framePassName(int pass);
