// block_layout.h - the constant blocks' fields as the CPU writes them (render/constants.h), checked
// against a linked program: a shader file whose block lost a field, moved one or changed its size
// would draw with garbage, so the live reload refuses it with the block and the field named.
//
//     if (!checkBlockLayouts(program, error, sizeof error)) refuse(error);
#pragma once

#include <cstddef>
#include <epoxy/gl.h>

// True when every block of the seven that `program` uses has the CPU's size and field offsets;
// else false with "block PerObjectData: field world ..." in `error`.
bool checkBlockLayouts(GLuint program, char* error, size_t errorSize);
