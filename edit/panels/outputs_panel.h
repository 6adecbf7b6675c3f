// outputs_panel.h - the frame's outputs (Dear ImGui), read from the director's tables as the last
// evaluation left them: the camera, the frame settings, the draw lists, the sprites and the lines.
//
//     drawOutputs();   // inside a window, after the frame was evaluated
#pragma once

void drawOutputs();
