// value_names.h - the names a slot's parameter may take, as the scene files write them: meshes,
// shader entries, images, tracks, draw lists, sprite blends and swizzle components. The edit mode
// offers them in a list where a parameter is a name, and writes the one picked into the scene file.
//
//     ValueNames names = valueNamesOf(kParamImage);
//     for (int i = 0; i < names.count; ++i) ... names.names[i].symbol ... names.names[i].value
#pragma once

#include <cstdint>

#include "director/node_info.h"

struct ValueName {
    const char* symbol; // "kMeshCube", "shader_entry::juliaVS": what the scene file writes
    int32_t value;
    const char* label; // what the list shows; null = the symbol
};

struct ValueNames {
    const ValueName* names;
    int count; // 0: the parameter is a plain number
};

// The names of `kind`; the first name of a value is the one written for it.
ValueNames valueNamesOf(ParamKind kind);
