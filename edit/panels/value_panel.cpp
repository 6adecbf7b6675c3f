// value_panel.cpp - the value editor and the operation tooltip.
#include "edit/panels/value_panel.h"

#include <cmath>
#include <cstdio>
#include <imgui.h>

#include "data/scene_build.h"
#include "director/director_state.h"
#include "director/node_info.h"

namespace {

const ImU32 kUnsavedColour = IM_COL32(255, 150, 80, 255);
const ImU32 kFailedColour = IM_COL32(255, 120, 110, 255);

bool fieldUnsaved(const ValueEdits& e, int scene, int32_t slot, int field) {
    for (int k = e.history.done - 1; k >= 0; --k) {
        const SlotEdit& s = e.history.steps[k];
        if (s.scene == scene && s.slot == slot && s.field == field) return !s.saved;
    }
    return false;
}

void nameChoice(ValueEdits& e, const SceneSet& scenes, int scene, int32_t slot, int field,
                const ValueNames& names, const char* label) {
    const float value = nodeBlocks[scene][slot].params[field];
    const char* shown = "?";
    for (int i = 0; i < names.count; ++i)
        if ((float)names.names[i].value == value) {
            shown = names.names[i].label ? names.names[i].label : names.names[i].symbol;
            break;
        }
    if (!ImGui::BeginCombo(label, shown)) return;
    for (int i = 0; i < names.count; ++i) {
        const ValueName& n = names.names[i];
        char item[128];
        std::snprintf(item, sizeof item, "%s (%d)", n.label ? n.label : n.symbol, n.value);
        if (ImGui::Selectable(item, (float)n.value == value) && (float)n.value != value)
            editSlotValue(e, scenes, scene, slot, field, (float)n.value);
    }
    ImGui::EndCombo();
}

// The field being typed into (Ctrl+click or a double click on a number): the maker's text as typed,
// checked in full on Enter.
struct TypedField {
    int scene;
    int32_t slot;
    int field; // -1: none
    char text[64];
    bool focus; // the text box takes the keyboard on its first frame
};
TypedField typed = {-1, -1, -1, "", false};

bool typing(int scene, int32_t slot, int field) {
    return typed.field == field && typed.slot == slot && typed.scene == scene;
}

void startTyping(int scene, int32_t slot, int field, float value) {
    typed = TypedField{scene, slot, field, "", true};
    std::snprintf(typed.text, sizeof typed.text, "%.9g", (double)value);
}

// The text box in the field's place while the maker types; Enter writes, Escape or a click elsewhere
// leaves the value as it was.
void typedField(ValueEdits& e, const SceneSet& scenes, const char* label) {
    if (typed.focus) ImGui::SetKeyboardFocusHere();
    ImGui::PushID("typed"); // an item of its own: the drag the click started ends with its frame
    const bool entered =
        ImGui::InputText(label, typed.text, sizeof typed.text,
                         ImGuiInputTextFlags_EnterReturnsTrue | ImGuiInputTextFlags_AutoSelectAll);
    ImGui::PopID();
    if (typed.focus) {
        typed.focus = false;
        return;
    }
    if (entered) editSlotText(e, scenes, typed.scene, typed.slot, typed.field, typed.text);
    if (entered || !ImGui::IsItemActive()) typed.field = -1;
}

void numberField(ValueEdits& e, const SceneSet& scenes, int scene, int32_t slot, int field, const char* label,
                 bool whole) {
    if (typing(scene, slot, field)) return typedField(e, scenes, label);
    float& live = nodeBlocks[scene][slot].params[field];
    float value = live;
    const float speed =
        whole ? 0.05f : std::fmax(std::fabs(e.nodes[scene][slot].params[field]) * 0.01f, 0.001f);
    if (ImGui::DragFloat(label, &value, speed, 0, 0, whole ? "%.0f" : "%.5g", ImGuiSliderFlags_NoInput) &&
        std::isfinite(value)) {
        live = value; // the next frame drawn shows it; the file is written when the drag ends
        ++e.liveChanges;
    }
    if (ImGui::IsItemDeactivatedAfterEdit() && !editSlotValue(e, scenes, scene, slot, field, value)) {
        live = e.nodes[scene][slot].params[field]; // refused: the value before the drag plays on
        ++e.liveChanges;
    }
    if (ImGui::IsItemHovered() &&
        (ImGui::IsMouseDoubleClicked(0) || (ImGui::IsMouseClicked(0) && ImGui::GetIO().KeyCtrl)))
        startTyping(scene, slot, field, live);
}

// The element count, typed (a whole number, checked in full on Enter).
void countField(ValueEdits& e, const SceneSet& scenes, int scene, int32_t slot) {
    char text[32];
    std::snprintf(text, sizeof text, "%u", e.nodes[scene][slot].outputCount);
    if (ImGui::InputText("elements", text, sizeof text, ImGuiInputTextFlags_EnterReturnsTrue))
        editSlotText(e, scenes, scene, slot, kCountField, text);
}

} // namespace

bool slotUnsaved(const ValueEdits& e, int scene, int32_t slot) {
    for (int f = 0; f <= kCountField; ++f)
        if (fieldUnsaved(e, scene, slot, f)) return true;
    return false;
}

void operationTooltip(int32_t op) {
    const NodeOpInfo& info = nodeOpInfo(op);
    ImGui::BeginTooltip();
    ImGui::PushTextWrapPos(ImGui::GetFontSize() * 32);
    const char* name =
        op > kOpEmpty && op < kNodeOpCount ? enumName(kNodeOpNames, op) + 3 : "empty"; // kOpCircle
    ImGui::Text("%s (%d, %s)", name, op, info.family);
    ImGui::TextWrapped("%s%s", info.perElement ? "Per element: " : "", info.computes);
    if (info.inputs[0]) ImGui::TextWrapped("Inputs: %s.", info.inputs);
    for (int p = 0; p < kNodeInfoParams; ++p)
        if (info.params[p].kind != kParamUnused)
            ImGui::TextWrapped("p%d (%s): %s.", p, paramKindName(info.params[p].kind),
                               info.params[p].meaning);
    ImGui::PopTextWrapPos();
    ImGui::EndTooltip();
}

void drawValueEditor(ValueEdits& e, const SceneSet& scenes, int scene, int32_t slot) {
    const GraphNode& node = nodeBlocks[scene][slot];
    const NodeOpInfo& info = nodeOpInfo(node.op);
    ImGui::PushID("values");
    ImGui::PushItemWidth(ImGui::GetContentRegionAvail().x * 0.55f);
    for (int p = 0; p < kNodeInfoParams; ++p) {
        const NodeParamInfo& param = info.params[p];
        if (param.kind == kParamUnused && node.params[p] == 0) continue; // neither read nor written
        char label[32];
        std::snprintf(label, sizeof label, "p%d", p);
        const ValueNames names = fieldNames(node.op, p);
        if (names.count)
            nameChoice(e, scenes, scene, slot, p, names, label);
        else
            numberField(e, scenes, scene, slot, p, label,
                        param.kind == kParamWhole || param.kind == kParamMode || param.kind == kParamScene);
        if (ImGui::IsItemHovered() && !ImGui::IsItemActive())
            ImGui::SetTooltip(
                "%s: %s\n%s", label, param.meaning ? param.meaning : "not read by this operation",
                names.count ? "pick a name" : "drag (Shift coarse, Alt fine), or Ctrl+click to type");
        ImGui::SameLine();
        if (fieldUnsaved(e, scene, slot, p))
            ImGui::TextColored(ImColor(kUnsavedColour), "unsaved");
        else
            ImGui::TextDisabled("%s", param.kind == kParamUnused ? "unused" : paramKindName(param.kind));
    }
    countField(e, scenes, scene, slot);
    ImGui::PopItemWidth();
    // What the last edit said, where it is about this slot or none in particular (an undo, a rebuild).
    const bool about = e.aboutScene < 0 || (e.aboutScene == scene && e.aboutSlot == slot);
    if (e.message[0] && about) {
        ImGui::PushStyleColor(ImGuiCol_Text,
                              e.failed ? kFailedColour : ImGui::GetColorU32(ImGuiCol_TextDisabled));
        ImGui::TextWrapped("%s", e.message);
        ImGui::PopStyleColor();
    }
    if (e.openLine[0] && about) {
        ImGui::TextUnformatted(e.openLine);
        ImGui::SameLine();
        if (ImGui::SmallButton("copy")) ImGui::SetClipboardText(e.openLine);
    }
    ImGui::PopID();
}
