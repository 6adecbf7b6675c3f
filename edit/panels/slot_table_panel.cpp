// slot_table_panel.cpp - the selected slot (editor, plot, elements) and the table of the scene's slots.
#include "edit/panels/slot_table_panel.h"

#include <cfloat>
#include <cstdio>
#include <cstring>
#include <imgui.h>

#include "data/scene_build.h"
#include "director/director_state.h"
#include "edit/panels/panel_kit.h"

namespace {

void valueText(const NodeValue& value, char* out, size_t size) {
    if (value.count == 0 || !value.data) {
        std::snprintf(out, size, "-");
        return;
    }
    const Float4 f = value.data[0];
    std::snprintf(out, size, "%.3f %.3f %.3f %.3f%s", f.x, f.y, f.z, f.w, value.count > 1 ? " ..." : "");
}

// Each axis of the plotted element over the frames recorded.
void historyPlots(const SlotHistory& h) {
    static const char* const kAxes[4] = {"x", "y", "z", "w"};
    for (int axis = 0; axis < 4; ++axis) {
        struct Axis { // the getter sees one axis through an offset index
            const SlotHistory* history;
            int axis;
        } data = {&h, axis};
        auto getter = [](void* d, int i) {
            const Axis& a = *static_cast<Axis*>(d);
            const SlotHistory& h = *a.history;
            const Float4& f = h.values[(h.next - h.count + i + kEditHistoryFrames) % kEditHistoryFrames];
            return a.axis == 0 ? f.x : a.axis == 1 ? f.y : a.axis == 2 ? f.z : f.w;
        };
        ImGui::PlotLines(kAxes[axis], getter, &data, h.count, 0, nullptr, FLT_MAX, FLT_MAX,
                         ImVec2(ImGui::GetContentRegionAvail().x - 20, 34));
    }
}

void selectedSlot(const InspectorInput& in) {
    const int scene = in.scene;
    const int32_t slot = in.selected;
    const NodeValue& value = valueBlocks[scene][slot];
    char label[64];
    slotLabel(*in.scenes, scene, slot, label, sizeof label);
    ImGui::Text("slot %d %s: %u elements", slot, label, value.count);
    if (in.edits) drawValueEditor(ValueEditor{in.edits, in.scenes, in.typed, scene, slot});
    historyPlots(*in.history);
    ImGui::Checkbox("all elements", &in.history->allElements);
    if (!in.history->allElements || !value.data) return;
    ImGui::BeginChild("elements", ImVec2(0, 140), true);
    for (uint32_t e = 0; e < value.count; ++e) {
        const Float4 f = value.data[e];
        ImGui::Text("%4u  %10.4f %10.4f %10.4f %10.4f", e, f.x, f.y, f.z, f.w);
    }
    ImGui::EndChild();
}

// One slot's row; true when it was clicked.
bool slotRow(const InspectorInput& in, int32_t slot) {
    const int scene = in.scene;
    const GraphNode& node = nodeBlocks[scene][slot];
    char label[64], inputs[160] = "", value[96], id[16];
    ImGui::TableNextRow();
    ImGui::TableNextColumn();
    std::snprintf(id, sizeof id, "%d", slot);
    const bool clicked = ImGui::Selectable(id, in.selected == slot, ImGuiSelectableFlags_SpanAllColumns);
    ImGui::TableNextColumn();
    slotLabel(*in.scenes, scene, slot, label, sizeof label);
    ImGui::TextUnformatted(label);
    if (in.edits && slotUnsaved(*in.edits, scene, slot)) {
        ImGui::SameLine();
        ImGui::TextColored(ImColor(kUnsavedColour), "unsaved");
    }
    ImGui::TableNextColumn();
    ImGui::TextUnformatted(opName(node.op));
    if (ImGui::IsItemHovered()) operationTooltip(node.op);
    ImGui::TableNextColumn();
    for (int i = 0; i < 8 && node.inputs[i] >= 0; ++i) {
        slotLabel(*in.scenes, scene, node.inputs[i], label, sizeof label);
        const size_t used = std::strlen(inputs);
        std::snprintf(inputs + used, sizeof inputs - used, "%s%s", i ? ", " : "", label);
    }
    ImGui::TextUnformatted(inputs);
    if (ImGui::IsItemHovered() && inputs[0]) ImGui::SetTooltip("%s", inputs);
    ImGui::TableNextColumn();
    valueText(valueBlocks[scene][slot], value, sizeof value);
    ImGui::TextUnformatted(value);
    if (ImGui::IsItemHovered()) ImGui::SetTooltip("%s", value); // the whole value, however narrow the column
    return clicked;
}

} // namespace

void recordSlotHistory(SlotHistory& h, int scene, int32_t slot) {
    if (slot != h.slot || scene != h.scene) {
        h.slot = slot;
        h.scene = scene;
        h.count = h.next = 0;
    }
    if (slot < 0) return;
    const NodeValue& value = valueBlocks[scene][slot];
    h.values[h.next] = value.count && value.data ? value.data[0] : Float4{};
    h.next = (h.next + 1) % kEditHistoryFrames;
    if (h.count < kEditHistoryFrames) ++h.count;
}

void drawSelectedSlot(const InspectorInput& in) {
    if (in.selected >= 0) selectedSlot(in);
}

int32_t drawSlotTable(const InspectorInput& in) {
    int32_t selected = in.selected;
    const ImGuiTableFlags flags = ImGuiTableFlags_RowBg | ImGuiTableFlags_ScrollY |
                                  ImGuiTableFlags_BordersInnerV | ImGuiTableFlags_SizingFixedFit;
    if (!ImGui::BeginTable("slots", 5, flags, ImVec2(0, ImGui::GetContentRegionAvail().y))) return selected;
    ImGui::TableSetupScrollFreeze(0, 1);
    ImGui::TableSetupColumn("#");
    ImGui::TableSetupColumn("slot");
    ImGui::TableSetupColumn("operation");
    ImGui::TableSetupColumn("inputs", ImGuiTableColumnFlags_WidthFixed, 120);
    ImGui::TableSetupColumn("value", ImGuiTableColumnFlags_WidthStretch);
    ImGui::TableHeadersRow();
    for (int32_t slot = 0; slot < kSlotsPerScene; ++slot)
        if (nodeBlocks[in.scene][slot].op != kOpEmpty && slotRow(in, slot))
            selected = selected == slot ? -1 : slot;
    ImGui::EndTable();
    return selected;
}
