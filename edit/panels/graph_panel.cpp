// graph_panel.cpp - the graph panel: the canvas and its mouse (select, pan, zoom, a wire's end dragged
// to rewire), the wires, the boxes. The layout is graph_layout.cpp's.
#include "edit/panels/graph_panel.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <imgui.h>

#include "director/director_state.h"
#include "director/node_info.h"
#include "edit/panels/panel_kit.h"

//-----------------------------------------------------------------------------
// The panel
//-----------------------------------------------------------------------------

namespace {

const ImU32 kCanvasColour = IM_COL32(22, 26, 34, 255);
const ImU32 kBoxColour = IM_COL32(44, 52, 66, 255);
const ImU32 kBoxHoveredColour = IM_COL32(60, 70, 90, 255);
const ImU32 kBorderColour = IM_COL32(95, 105, 125, 255);
const ImU32 kReaderColour = IM_COL32(255, 140, 70, 255);     // a box that reads the selected slot
const ImU32 kWireColour = IM_COL32(150, 160, 180, 100);      // a wire that touches no selected slot
const ImU32 kInputWireColour = IM_COL32(120, 180, 255, 255); // a wire into the selected slot
const ImU32 kSlotNumberColour = IM_COL32(140, 150, 170, 255);
const ImU32 kOpColour = IM_COL32(175, 185, 205, 255);
const ImU32 kValueColour = IM_COL32(130, 190, 140, 255);
constexpr float kMinZoom = 0.2f, kMaxZoom = 2.5f;

// The canvas on screen: graph units to pixels and back.
struct View {
    ImVec2 corner, size;
    float panX, panY, zoom;
    ImVec2 at(float x, float y) const {
        return ImVec2(corner.x + panX + x * zoom, corner.y + panY + y * zoom);
    }
    ImVec2 graphAt(ImVec2 p) const {
        return ImVec2((p.x - corner.x - panX) / zoom, (p.y - corner.y - panY) / zoom);
    }
    bool shows(ImVec2 a, ImVec2 b) const {
        return b.x >= corner.x && a.x <= corner.x + size.x && b.y >= corner.y && a.y <= corner.y + size.y;
    }
};

View viewOf(const GraphPanelState& own, ImVec2 corner, ImVec2 size) {
    return View{corner, size, own.panX, own.panY, own.zoom};
}

// The colour along a box's top: where values come from, what turns them, what the frame gets.
ImU32 familyColour(int32_t op) {
    const char* family = nodeOpInfo(op).family;
    if (!std::strcmp(family, "source")) return IM_COL32(110, 200, 120, 255);
    if (!std::strcmp(family, "output")) return IM_COL32(230, 110, 90, 255);
    if (!std::strcmp(family, "rotation") || !std::strcmp(family, "routing"))
        return IM_COL32(190, 140, 230, 255);
    return IM_COL32(100, 150, 230, 255);
}

bool reads(const GraphWiring& node, int32_t slot) {
    for (int i = 0; i < 8 && node.inputs[i] >= 0; ++i)
        if (node.inputs[i] == slot) return true;
    return false;
}

// The first element of a slot's value, short: "0.5 -1.25 0 1".
void valueLine(const NodeValue& value, char* out, size_t size) {
    if (value.count == 0 || !value.data) {
        std::snprintf(out, size, "-");
        return;
    }
    const Float4 f = value.data[0];
    std::snprintf(out, size, "%.3g %.3g %.3g %.3g", f.x, f.y, f.z, f.w);
}

// A scene shown anew starts at the sources, at zoom 1; a reload or an edit keeps the view.
void relayout(GraphPanelState& own, const GraphNode* nodes, int scene) {
    layoutGraph(nodes, kSlotsPerScene, own.layout);
    if (own.scene == scene && own.zoom > 0) return;
    own.scene = scene;
    own.panX = own.panY = 8;
    own.zoom = 1;
    own.followed = -1;
    own.panning = false;
}

enum ViewAsk { kViewKept, kViewFit, kViewActualSize };

ViewAsk toolbar(const GraphPanelState& own) {
    ViewAsk ask = kViewKept;
    if (ImGui::SmallButton("fit")) ask = kViewFit;
    ImGui::SameLine();
    if (ImGui::SmallButton("1:1")) ask = kViewActualSize;
    ImGui::SameLine();
    ImGui::TextDisabled("%d columns  click: select  drag: pan  wheel: zoom (%.0f%%)", own.layout.columns,
                        own.zoom * 100);
    return ask;
}

// The whole graph in the canvas (never larger than its actual size), or its actual size around the
// canvas's middle.
void changeView(GraphPanelState& own, const View& view, ViewAsk ask) {
    const GraphLayout& g = own.layout;
    if (ask == kViewFit && g.columns > 0) {
        const float width = g.columns * kGraphColumnStep - kGraphColumnGap,
                    height = g.rows * kGraphRowStep - kGraphRowGap;
        float zoom = std::fmin((view.size.x - 16) / width, (view.size.y - 16) / height);
        own.zoom = zoom < kMinZoom ? kMinZoom : zoom > 1 ? 1 : zoom;
        own.panX = (view.size.x - width * own.zoom) / 2;
        own.panY = 8;
    } else if (ask == kViewActualSize) {
        const ImVec2 middle =
            view.graphAt(ImVec2(view.corner.x + view.size.x / 2, view.corner.y + view.size.y / 2));
        own.zoom = 1;
        own.panX = view.size.x / 2 - middle.x;
        own.panY = view.size.y / 2 - middle.y;
    }
}

// A slot selected elsewhere (the inspector) whose box lies out of sight is brought to the middle.
void follow(GraphPanelState& own, const View& view, int32_t selected) {
    if (selected == own.followed) return;
    own.followed = selected;
    if (selected < 0 || selected >= own.layout.count || own.layout.column[selected] < 0) return;
    const GraphBox b = graphBox(own.layout, selected);
    const ImVec2 a = view.at(b.x0, b.y0), z = view.at(b.x1, b.y1);
    const ImVec2 end = ImVec2(view.corner.x + view.size.x, view.corner.y + view.size.y);
    if (a.x >= view.corner.x && a.y >= view.corner.y && z.x <= end.x && z.y <= end.y) return;
    own.panX = view.size.x / 2 - (b.x0 + b.x1) / 2 * own.zoom;
    own.panY = view.size.y / 2 - (b.y0 + b.y1) / 2 * own.zoom;
}

// Where input `input` of `inputs` meets the left edge of its reader's box.
ImVec2 wireEnd(const View& view, GraphBox to, int input, int inputs) {
    return view.at(to.x0, to.y0 + (to.y1 - to.y0) * (float)(input + 1) / (float)(inputs + 1));
}

// The wire's end under the mouse (within a few pixels of its dot); false where none is.
bool wireEndAt(const GraphLayout& g, const View& view, ImVec2 mouse, int32_t& reader, int& input) {
    for (int32_t r = 0; r < g.count; ++r) {
        const GraphWiring& node = g.wiring[r];
        int inputs = 0;
        while (inputs < 8 && node.inputs[inputs] >= 0) ++inputs;
        for (int i = 0; i < inputs; ++i) {
            if (!graphWireDrawn(g, node.inputs[i], r)) continue;
            const ImVec2 b = wireEnd(view, graphBox(g, r), i, inputs);
            const float dx = b.x - mouse.x, dy = b.y - mouse.y;
            if (dx * dx + dy * dy > 49) continue;
            reader = r, input = i;
            return true;
        }
    }
    return false;
}

// The wire's end being dragged, from its reader to the mouse.
void drawRewiring(const GraphPanelState& own, const View& view, ImDrawList* draw) {
    const GraphWiring& node = own.layout.wiring[own.reader];
    int inputs = 0;
    while (inputs < 8 && node.inputs[inputs] >= 0) ++inputs;
    const ImVec2 b = wireEnd(view, graphBox(own.layout, own.reader), own.input, inputs);
    draw->AddLine(ImGui::GetIO().MousePos, b, kPlayHeadColour, 2.0f);
}

// A wire's end let go of on a box: the ask to read that box's slot instead.
void rewireDrag(const GraphInput& in, const View& view, GraphAsk& ask) {
    GraphPanelState& own = *in.own;
    const ImGuiIO& io = ImGui::GetIO();
    if (ImGui::IsItemActive()) return;
    own.rewiring = false;
    const ImVec2 at = view.graphAt(io.MousePos);
    const int32_t target = graphSlotAt(own.layout, at.x, at.y);
    if (target < 0 || target == own.layout.wiring[own.reader].inputs[own.input]) return;
    ask.rewire = true;
    ask.reader = own.reader;
    ask.input = own.input;
    ask.from = target;
}

// The wheel zooms around the mouse; a press on a wire's end starts rewiring it, on a box selects it, on
// the background starts a pan, and a click there (no drag) clears the selection.
void mouse(const GraphInput& in, const View& view, GraphAsk& ask) {
    GraphPanelState& own = *in.own;
    const ImGuiIO& io = ImGui::GetIO();
    if (ImGui::IsItemHovered() && io.MouseWheel != 0) {
        const ImVec2 at = view.graphAt(io.MousePos);
        const float zoom = own.zoom * std::pow(1.2f, io.MouseWheel);
        own.zoom = zoom < kMinZoom ? kMinZoom : zoom > kMaxZoom ? kMaxZoom : zoom;
        own.panX = io.MousePos.x - view.corner.x - at.x * own.zoom;
        own.panY = io.MousePos.y - view.corner.y - at.y * own.zoom;
    }
    if (ImGui::IsItemActivated() && wireEndAt(own.layout, view, io.MousePos, own.reader, own.input))
        own.rewiring = true;
    if (own.rewiring) return rewireDrag(in, view, ask);
    if (ImGui::IsItemActivated()) {
        const ImVec2 at = view.graphAt(io.MousePos);
        const int32_t slot = graphSlotAt(own.layout, at.x, at.y);
        own.panning = slot < 0;
        if (slot >= 0) ask.select = true, ask.slot = slot;
    }
    if (ImGui::IsItemActive() && own.panning) own.panX += io.MouseDelta.x, own.panY += io.MouseDelta.y;
    if (ImGui::IsItemDeactivated() && own.panning && io.MouseDragMaxDistanceSqr[0] < 9 && in.selected >= 0)
        ask.select = true, ask.slot = -1;
    if (!ImGui::IsItemActive()) own.panning = false;
}

// From the right edge of `from` to input `input` of `inputs` along the left edge of `to`.
void wire(const View& view, ImDrawList* draw, GraphBox from, GraphBox to, int input, int inputs,
          ImU32 colour) {
    const ImVec2 a = view.at(from.x1, (from.y0 + from.y1) / 2);
    const ImVec2 b = wireEnd(view, to, input, inputs);
    if (!view.shows(ImVec2(a.x, std::fmin(a.y, b.y)), ImVec2(b.x, std::fmax(a.y, b.y)))) return;
    const float bend = (b.x - a.x) * 0.5f;
    const bool lit = colour != kWireColour;
    draw->AddBezierCubic(a, ImVec2(a.x + bend, a.y), ImVec2(b.x - bend, b.y), b, colour, lit ? 2.0f : 1.2f);
    draw->AddCircleFilled(b, 2.5f * view.zoom, colour);
}

// The wires that touch no selected slot first, then those from the selected slot to its readers and
// into it from its inputs, over them.
void drawWires(const GraphInput& in, const View& view, ImDrawList* draw) {
    const GraphLayout& g = in.own->layout;
    for (int pass = 0; pass < 2; ++pass)
        for (int32_t reader = 0; reader < g.count; ++reader) {
            const GraphWiring& node = g.wiring[reader];
            int inputs = 0;
            while (inputs < 8 && node.inputs[inputs] >= 0) ++inputs;
            for (int i = 0; i < inputs; ++i) {
                const int32_t input = node.inputs[i];
                if (!graphWireDrawn(g, input, reader)) continue;
                const ImU32 colour = input == in.selected    ? kPlayHeadColour
                                     : reader == in.selected ? kInputWireColour
                                                             : kWireColour;
                if ((colour != kWireColour) == (pass == 1))
                    wire(view, draw, graphBox(g, input), graphBox(g, reader), i, inputs, colour);
            }
        }
}

// Text at whole pixels: the panels' font is a bitmap one, and a dot at a fraction of a pixel fades.
void boxLine(ImDrawList* draw, float size, float x, float y, ImU32 colour, const char* text) {
    draw->AddText(ImGui::GetFont(), size, ImVec2(std::floor(x), std::floor(y)), colour, text);
}

// Name and slot number, operation (and element count), the value's first element in its own colour
// (the font's own size: scaled down, the bitmap font loses the dots of the numbers).
void boxText(const GraphInput& in, const View& view, ImDrawList* draw, int32_t slot, ImVec2 a, ImVec2 b) {
    const float size = ImGui::GetFontSize() * view.zoom, pad = 5 * view.zoom, top = a.y + 4 * view.zoom;
    if (size < 6) return; // too small to read: the boxes alone
    char text[64];
    draw->PushClipRect(a, b, true);
    std::snprintf(text, sizeof text, "%d", slot);
    const float numberWidth = ImGui::GetFont()->CalcTextSizeA(size, 1e9f, 0, text).x;
    boxLine(draw, size, b.x - pad - numberWidth, top, kSlotNumberColour, text);
    slotLabel(*in.scenes, in.scene, slot, text, sizeof text);
    boxLine(draw, size, a.x + pad, top, IM_COL32_WHITE, text);
    const NodeValue& value = valueBlocks[in.scene][slot];
    const char* op = opName(nodeBlocks[in.scene][slot].op);
    if (value.count > 1)
        std::snprintf(text, sizeof text, "%s x%u", op, value.count);
    else
        std::snprintf(text, sizeof text, "%s", op);
    boxLine(draw, size, a.x + pad, top + size * 1.05f, kOpColour, text);
    valueLine(value, text, sizeof text);
    boxLine(draw, size, a.x + pad, top + size * 2.1f, kValueColour, text);
    draw->PopClipRect();
}

void drawBoxes(const GraphInput& in, const View& view, ImDrawList* draw, int32_t hovered) {
    const GraphLayout& g = in.own->layout;
    const float rounding = 4 * view.zoom;
    for (int32_t slot = 0; slot < g.count; ++slot) {
        if (g.column[slot] < 0) continue;
        const GraphBox box = graphBox(g, slot);
        const ImVec2 a = view.at(box.x0, box.y0), b = view.at(box.x1, box.y1);
        if (!view.shows(a, b)) continue;
        const bool selected = slot == in.selected,
                   reader = in.selected >= 0 && reads(g.wiring[slot], in.selected);
        draw->AddRectFilled(a, b, slot == hovered ? kBoxHoveredColour : kBoxColour, rounding);
        draw->AddRectFilled(a, ImVec2(b.x, a.y + 3 * view.zoom), familyColour(g.wiring[slot].op), rounding,
                            ImDrawFlags_RoundCornersTop);
        draw->AddRect(a, b,
                      selected ? kPlayHeadColour
                      : reader ? kReaderColour
                               : kBorderColour,
                      rounding, 0,
                      selected ? 3.0f
                      : reader ? 2.0f
                               : 1.0f);
        boxText(in, view, draw, slot, a, b);
    }
}

// The hovered slot in full: what it reads by name, its value's first element, its operation's text.
void hoverTip(const GraphInput& in, int32_t slot) {
    const GraphWiring& node = in.own->layout.wiring[slot];
    const NodeValue& value = valueBlocks[in.scene][slot];
    char label[64], inputs[256] = "";
    for (int i = 0; i < 8 && node.inputs[i] >= 0; ++i) {
        slotLabel(*in.scenes, in.scene, node.inputs[i], label, sizeof label);
        const size_t used = std::strlen(inputs);
        std::snprintf(inputs + used, sizeof inputs - used, "%s%s", i ? ", " : "", label);
    }
    slotLabel(*in.scenes, in.scene, slot, label, sizeof label);
    ImGui::BeginTooltip();
    ImGui::Text("slot %d %s: %s", slot, label, opName(node.op));
    ImGui::Text("reads: %s", inputs[0] ? inputs : "nothing");
    if (value.count && value.data) {
        const Float4 f = value.data[0];
        ImGui::Text("%u elements, the first %.4f %.4f %.4f %.4f", value.count, f.x, f.y, f.z, f.w);
    }
    ImGui::PushTextWrapPos(ImGui::GetFontSize() * 32);
    ImGui::TextDisabled("%s", nodeOpInfo(node.op).computes);
    ImGui::PopTextWrapPos();
    ImGui::EndTooltip();
}

} // namespace

GraphAsk drawGraph(const GraphInput& in) {
    GraphPanelState& own = *in.own;
    const GraphNode* nodes = nodeBlocks[in.scene];
    if (own.zoom <= 0 || own.scene != in.scene || !graphLayoutMatches(own.layout, nodes, kSlotsPerScene))
        relayout(own, nodes, in.scene);
    const ViewAsk viewAsk = toolbar(own);
    const ImVec2 corner = ImGui::GetCursorScreenPos(), avail = ImGui::GetContentRegionAvail();
    const ImVec2 size = ImVec2(std::fmax(avail.x, 32), std::fmax(avail.y, 32));
    ImGui::InvisibleButton("graph", size);
    changeView(own, viewOf(own, corner, size), viewAsk);
    follow(own, viewOf(own, corner, size), in.selected);
    GraphAsk ask = {};
    mouse(in, viewOf(own, corner, size), ask);
    const View view = viewOf(own, corner, size);
    const ImVec2 mouseAt = view.graphAt(ImGui::GetIO().MousePos);
    const int32_t hovered = ImGui::IsItemHovered() ? graphSlotAt(own.layout, mouseAt.x, mouseAt.y) : -1;
    ImDrawList* draw = ImGui::GetWindowDrawList();
    draw->PushClipRect(corner, ImVec2(corner.x + size.x, corner.y + size.y), true);
    draw->AddRectFilled(corner, ImVec2(corner.x + size.x, corner.y + size.y), kCanvasColour);
    drawWires(in, view, draw);
    drawBoxes(in, view, draw, hovered);
    if (own.rewiring) drawRewiring(own, view, draw);
    draw->PopClipRect();
    if (hovered >= 0 && !own.panning && !own.rewiring) hoverTip(in, hovered);
    return ask;
}
