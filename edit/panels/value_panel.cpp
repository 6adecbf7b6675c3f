// value_panel.cpp - the value editor and the operation tooltip.
#include "edit/panels/value_panel.h"

#include <cmath>
#include <cstdio>
#include <imgui.h>

#include "data/scene_build.h"
#include "director/director_state.h"
#include "director/node_info.h"
#include "edit/panels/panel_kit.h"

namespace {

bool fieldUnsaved(const EditSession& e, int scene, int32_t slot, int field) {
    for (int k = e.history.done - 1; k >= 0; --k) {
        const SlotEdit& s = e.history.steps[k];
        if (s.scene == scene && s.slot == slot && s.field == field) return !s.saved;
    }
    return false;
}

void nameChoice(const ValueEditor& in, int field, const ValueNames& names, const char* label) {
    const float value = nodeBlocks[in.scene][in.slot].params[field];
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
            editSlotValue(*in.edits, *in.scenes, in.scene, in.slot, field, (float)n.value);
    }
    ImGui::EndCombo();
}

bool typing(const TypedField& typed, int scene, int32_t slot, int field) {
    return typed.active && typed.field == field && typed.slot == slot && typed.scene == scene;
}

void startTyping(TypedField& typed, int scene, int32_t slot, int field, float value) {
    typed = TypedField{true, scene, slot, field, "", true};
    std::snprintf(typed.text, sizeof typed.text, "%.9g", (double)value);
}

// The text box in the field's place while the maker types; Enter writes, Escape or a click elsewhere
// leaves the value as it was.
void typedField(const ValueEditor& in, const char* label) {
    TypedField& typed = *in.typed;
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
    if (entered) editSlotText(*in.edits, *in.scenes, typed.scene, typed.slot, typed.field, typed.text);
    if (entered || !ImGui::IsItemActive()) typed.active = false;
}

void numberField(const ValueEditor& in, int field, const char* label, bool whole) {
    if (typing(*in.typed, in.scene, in.slot, field)) return typedField(in, label);
    EditSession& e = *in.edits;
    const int scene = in.scene;
    const int32_t slot = in.slot;
    float& live = nodeBlocks[scene][slot].params[field];
    float value = live;
    const float speed =
        whole ? 0.05f : std::fmax(std::fabs(e.nodes[scene][slot].params[field]) * 0.01f, 0.001f);
    if (ImGui::DragFloat(label, &value, speed, 0, 0, whole ? "%.0f" : "%.5g", ImGuiSliderFlags_NoInput) &&
        std::isfinite(value)) {
        live = value; // the next frame drawn shows it; the file is written when the drag ends
        ++e.liveChanges;
    }
    if (ImGui::IsItemDeactivatedAfterEdit() && !editSlotValue(e, *in.scenes, scene, slot, field, value)) {
        live = e.nodes[scene][slot].params[field]; // refused: the value before the drag plays on
        ++e.liveChanges;
    }
    if (ImGui::IsItemHovered() &&
        (ImGui::IsMouseDoubleClicked(0) || (ImGui::IsMouseClicked(0) && ImGui::GetIO().KeyCtrl)))
        startTyping(*in.typed, scene, slot, field, live);
}

// The element count, typed (a whole number, checked in full on Enter).
void countField(const ValueEditor& in) {
    char text[32];
    std::snprintf(text, sizeof text, "%u", in.edits->nodes[in.scene][in.slot].outputCount);
    if (ImGui::InputText("elements", text, sizeof text, ImGuiInputTextFlags_EnterReturnsTrue))
        editSlotText(*in.edits, *in.scenes, in.scene, in.slot, kCountField, text);
}

} // namespace

bool slotUnsaved(const EditSession& e, int scene, int32_t slot) {
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

void drawValueEditor(const ValueEditor& in) {
    const EditSession& e = *in.edits;
    const int scene = in.scene;
    const int32_t slot = in.slot;
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
            nameChoice(in, p, names, label);
        else
            numberField(in, p, label,
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
    countField(in);
    ImGui::PopItemWidth();
    ImGui::PopID();
}

// In a box of three lines whatever it says, so that what lies below does not move with it.
void drawEditMessage(const EditSession& e, int scene, int32_t slot) {
    const bool about = e.aboutScene < 0 || (e.aboutScene == scene && e.aboutSlot == slot);
    ImGui::BeginChild("message", ImVec2(0, 3 * ImGui::GetTextLineHeightWithSpacing()));
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
    ImGui::EndChild();
}
