// edit_panels.h - where the edit mode's panels lie (Dear ImGui): the transport window below the frame
// and the scene window beside it where the screen has room, else both over the frame, half see-through.
// The panels themselves are one file each (transport_panel.h, timeline_panel.h, slot_table_panel.h,
// outputs_panel.h, tracks_panel.h, graph_panel.h); the edit mode opens these windows and draws them inside.
//
//     EditLayout layout = editLayoutFor(screenWidth, screenHeight);  // the window's size
//     startEditPanels(window, dev);
//     beginPanelFrame(input);                                         // each frame, in the overlay
//     beginTransportWindow(layout); ...; ImGui::End();
//     if (beginSceneWindow(layout, scene, name)) { tabs...; endSceneWindow(); }
//     endPanelFrame(dev);
#pragma once

#include <SDL.h>

#include "edit/panels/panel_input.h"
#include "render/device.h"

inline constexpr int kEditSidePanelWidth = 480;
inline constexpr int kEditBottomPanelHeight = 330;
inline constexpr double kEditSlowFrameMs = 2000; // a frame that takes longer pauses the play head

struct EditLayout {
    int width; // the window
    int height;
    SDL_Rect frame; // where the picture lies
    bool overFrame; // the screen is too small for panels beside the frame: they lie over it
};

// Dear ImGui on the show's window and GL context (dev.api chooses the shaders' version), and off again.
void startEditPanels(SDL_Window* window, const RenderDevice& dev);
void stopEditPanels();

// Around the panels of one frame: the events taken since the last (panel_input.h) in, then the panels
// drawn over the picture.
void beginPanelFrame(const PanelInput& input);
void endPanelFrame(const RenderDevice& dev);

// The panels beside and below the frame where the screen has room, else over it.
EditLayout editLayoutFor(int screenWidth, int screenHeight);

void beginTransportWindow(const EditLayout& layout);
// The keys of the edit mode, one line, at the transport window's foot.
void keysHelpLine();

// The scene window and its tab bar; false when it is folded away (then nothing to end).
bool beginSceneWindow(const EditLayout& layout, int scene, const char* name);
void endSceneWindow();
