// value_names.cpp - the name lists, each entry made from its symbol so that text and value agree.
#include "data/value_names.h"

#include <cstdio>

#include "data/draw_names.h"
#include "data/images.h"
#include "data/scene_build.h"
#include "data/scene_data.h"
#include "data/track_names.h"

namespace {

#define QZ_NAME(symbol)                                                                                      \
    { #symbol, symbol, nullptr }

const ValueName kImages[] = {
    QZ_NAME(kImgCheckerCoarse),
    QZ_NAME(kImgCheckerFine),
    QZ_NAME(kImgGreyGrid),
    QZ_NAME(kImgMagentaGrid),
    QZ_NAME(kImgHighlightPage),
    QZ_NAME(kImgHighlightBar),
    QZ_NAME(kImgHighlightMark),
    QZ_NAME(kImgHighlightTwoBars),
    QZ_NAME(kImgHighlightLinesA),
    QZ_NAME(kImgHighlightLinesB),
    QZ_NAME(kImgHighlightLinesC),
    QZ_NAME(kImgHighlightMarkLow),
    QZ_NAME(kImgCredits),
    QZ_NAME(kImgRedSquares),
    QZ_NAME(kImgZigzagPanel),
    QZ_NAME(kImgFloppyFront),
    QZ_NAME(kImgFloppyFrontMirrored),
    QZ_NAME(kImgFloppyBack),
    QZ_NAME(kImgFloppyBackMirrored),
    QZ_NAME(kImgZigzagPanelLarge),
    QZ_NAME(kImgPanelPieces),
    QZ_NAME(kImgMarble),
    QZ_NAME(kImgZigzagBand),
    QZ_NAME(kImgRedBars),
    QZ_NAME(kImgBinaryDigits),
    QZ_NAME(kImgGreenSquare),
    QZ_NAME(kImgGreenBars),
    QZ_NAME(kImgCaption),
    QZ_NAME(kImgLattice),
    QZ_NAME(kImgYellowBarLow),
    QZ_NAME(kImgYellowBarHigh),
};
static_assert(sizeof(kImages) / sizeof(kImages[0]) == kEmbeddedImageCount);

const ValueName kDrawLists[] = {QZ_NAME(kOpaque), QZ_NAME(kBlended)};
const ValueName kComponents[] = {QZ_NAME(kX), QZ_NAME(kY), QZ_NAME(kZ), QZ_NAME(kW), QZ_NAME(kZero)};
const ValueName kBlends[] = {{"0", 0, "opaque"}, {"kBlendAlpha", kBlendAlpha, "alpha"}, {"2", 2, "additive"}};
#undef QZ_NAME

// Lists made from an enum's own names: "shader_entry::" before each shader entry, meshes and tracks as
// they are.
struct BuiltNames {
    ValueName names[2 + kEnumNameCapacity];
    char text[2 * kEnumNameTextCapacity];
    int count;
};

void addNames(BuiltNames& b, const EnumNames& names, int count, const char* prefix) {
    int used = 0;
    for (int v = 0; v < count; ++v) {
        const char* name = enumName(names, v);
        if (!name) continue;
        char* at = b.text + used;
        used += std::snprintf(at, sizeof b.text - used, "%s%s", prefix, name) + 1;
        b.names[b.count++] = {at, v, nullptr};
    }
}

} // namespace

ValueNames valueNamesOf(ParamKind kind) {
    static BuiltNames meshes, vertex, pixel, tracks;
    if (!vertex.count) {
        constexpr EnumNames kMeshNames = readEnumNames(GpuMeshIdText);
        static_assert(kMeshNames.ok);
        addNames(meshes, kMeshNames, kMeshNames.last + 1, "");
        vertex.names[vertex.count++] = {"kVsBaseCook", kVsBaseCook, nullptr};
        vertex.names[vertex.count++] = {"kVsTexTest", kVsTexTest, nullptr};
        addNames(vertex, readEnumNames(shader_entry::VertexShaderIdText), kVertexShaderCount,
                 "shader_entry::");
        pixel.names[pixel.count++] = {"kPsBaseCook", kPsBaseCook, nullptr};
        pixel.names[pixel.count++] = {"kPsTexTest", kPsTexTest, nullptr};
        addNames(pixel, readEnumNames(shader_entry::PixelShaderIdText), kPixelShaderCount, "shader_entry::");
        addNames(tracks, trackNames, kTrackCount, "");
    }
    auto of = [](const ValueName* names, int count) { return ValueNames{names, count}; };
    switch (kind) {
    case kParamMesh:
        return of(meshes.names, meshes.count);
    case kParamImage:
        return of(kImages, kEmbeddedImageCount);
    case kParamDrawList:
        return of(kDrawLists, 2);
    case kParamComponent:
        return of(kComponents, 5);
    case kParamBlend:
        return of(kBlends, 3);
    case kParamVertexShader:
        return of(vertex.names, vertex.count);
    case kParamPixelShader:
        return of(pixel.names, pixel.count);
    case kParamTrack:
        return of(tracks.names, tracks.count);
    default:
        return of(nullptr, 0);
    }
}
