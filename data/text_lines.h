// text_lines.h - the show's 18 lines of solid 3D text (defined in data/text_lines.cpp), handed to
// createTextMeshes by the show's start-up.
//
//     createTextMeshes(textStrings, kTextLineCount);
#pragma once

#include "mesh/text_mesh.h"

extern const char* const textStrings[kTextLineCount]; // the lines: title, credits, greetings
