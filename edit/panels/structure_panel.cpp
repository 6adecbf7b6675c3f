// structure_panel.cpp - the pickers, the buttons and the add form.
#include "edit/panels/structure_panel.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <imgui.h>

#include "edit/panels/panel_kit.h"
#include "edit/panels/value_panel.h"
#include "edit/session/structure_edit.h"

namespace {

// The find field at the top of an open list, focused as the list opens and empty then.
void findField(char* find, size_t size) {
    if (ImGui::IsWindowAppearing()) {
        find[0] = 0;
        ImGui::SetKeyboardFocusHere();
    }
    ImGui::SetNextItemWidth(-1);
    ImGui::InputTextWithHint("##find", "type to find", find, size);
}

// Whether `name` holds `find`, in any case (an empty find: every name).
bool holds(const char* name, const char* find) {
    for (const char* at = name; *at; ++at) {
        size_t k = 0;
        while (find[k] && at[k] && std::tolower((unsigned char)at[k]) == std::tolower((unsigned char)find[k]))
            ++k;
        if (!find[k]) return true;
    }
    return !find[0];
}

// A list of the scene's slots, and none; true when the maker picked another.
bool slotPicker(const char* label, const StructureInput& in, int32_t& slot) {
    char shown[64] = "none";
    if (slot >= 0) slotLabel(*in.scenes, in.scene, slot, shown, sizeof shown);
    ImGui::SetNextItemWidth(150);
    if (!ImGui::BeginCombo(label, shown, ImGuiComboFlags_HeightLarge)) return false;
    char* find = in.form->find;
    findField(find, sizeof in.form->find);
    bool picked = false;
    if (holds("none", find) && ImGui::Selectable("none", slot < 0)) slot = kNone, picked = true;
    for (int32_t k = 0; k < kSlotsPerScene; ++k) {
        if (in.edits->nodes[in.scene][k].op == kOpEmpty) continue;
        char name[64];
        slotLabel(*in.scenes, in.scene, k, name, sizeof name);
        if (!holds(name, find)) continue;
        ImGui::PushID(k);
        if (ImGui::Selectable(name, slot == k)) slot = k, picked = true;
        ImGui::PopID();
    }
    ImGui::EndCombo();
    return picked;
}

// The inputs the operation reads, each a picker; the last one changed is asked for.
void inputPickers(const StructureInput& in, const NodeSource& node, int32_t* inputs, StructureAsk* ask) {
    int shown = 0;
    for (int i = 0; i < 8; ++i) {
        if (!operationReadsInput(node.op, i)) continue;
        char label[8];
        std::snprintf(label, sizeof label, "in%d", i);
        if (shown++ % 2) ImGui::SameLine();
        int32_t from = inputs[i];
        if (!slotPicker(label, in, from)) continue;
        inputs[i] = from;
        if (ask) *ask = StructureAsk{StructureAskKind::rewire, in.selected, i, from, {}, ""};
    }
}

void slotButtons(const StructureInput& in, StructureAsk& ask) {
    int32_t readers[8];
    const int count = slotReaders(*in.edits, in.scene, in.selected, readers, 8);
    if (count == 0) {
        if (ImGui::Button("delete slot"))
            ask = StructureAsk{StructureAskKind::remove, in.selected, 0, 0, {}, ""};
    } else {
        ImGui::TextDisabled("read by");
        for (int k = 0; k < count && k < 8; ++k) {
            char name[64];
            slotLabel(*in.scenes, in.scene, readers[k], name, sizeof name);
            ImGui::SameLine();
            ImGui::PushID(k);
            if (ImGui::SmallButton(name))
                ask = StructureAsk{StructureAskKind::select, readers[k], 0, 0, {}, ""};
            ImGui::PopID();
        }
    }
    ImGui::SameLine();
    if (ImGui::Button("write out")) ask = StructureAsk{StructureAskKind::writeOut, in.selected, 0, 0, {}, ""};
    if (ImGui::IsItemHovered())
        ImGui::SetTooltip("the call that writes this slot (a helper's, or a builder of several slots)\n"
                          "replaced by one builder line a slot, so that each value is edited in place");
}

void operationPicker(const StructureInput& in, StructureForm& form) {
    ImGui::SetNextItemWidth(200);
    if (!ImGui::BeginCombo("operation", opName(form.node.op), ImGuiComboFlags_HeightLarge)) return;
    findField(form.find, sizeof form.find);
    for (int32_t op = 1; op < kNodeOpCount; ++op) {
        if (!holds(opName(op), form.find)) continue;
        if (ImGui::Selectable(opName(op), form.node.op == op))
            form.node = newSlotNode(*in.edits, in.scene, op);
        if (ImGui::IsItemHovered()) operationTooltip(op);
    }
    ImGui::EndCombo();
}

void addForm(const StructureInput& in, StructureAsk& ask) {
    StructureForm& form = *in.form;
    if (!form.open) {
        if (ImGui::Button("add slot...")) {
            form.open = true;
            form.focusName = true; // the name is typed first
            form.name[0] = 0;
            form.node = newSlotNode(*in.edits, in.scene, kOpConstant);
        }
        return;
    }
    ImGui::PushID("form");
    ImGui::Separator();
    ImGui::TextDisabled("%s", in.selected >= 0 ? "a new slot, after the selected one" : "a new slot");
    ImGui::SetNextItemWidth(200);
    if (form.focusName) ImGui::SetKeyboardFocusHere();
    form.focusName = false;
    ImGui::InputText("name", form.name, sizeof form.name);
    ImGui::SameLine();
    operationPicker(in, form);
    inputPickers(in, form.node, form.node.inputs, nullptr);
    int count = (int)form.node.outputCount;
    ImGui::SetNextItemWidth(120);
    if (ImGui::InputInt("elements", &count)) form.node.outputCount = (uint32_t)(count < 1 ? 1 : count);
    if (ImGui::Button("add")) {
        ask = StructureAsk{StructureAskKind::add, in.selected, 0, 0, form.node, ""};
        std::snprintf(ask.name, sizeof ask.name, "%s", form.name);
        form.open = false;
    }
    ImGui::SameLine();
    if (ImGui::Button("cancel")) form.open = false;
    ImGui::PopID();
}

} // namespace

StructureAsk drawStructureEditor(const StructureInput& in) {
    StructureAsk ask = {};
    if (!in.edits) return ask;
    ImGui::PushID("structure");
    if (in.selected >= 0 && in.edits->nodes[in.scene][in.selected].op != kOpEmpty) {
        NodeSource node = in.edits->nodes[in.scene][in.selected];
        inputPickers(in, node, node.inputs, &ask);
        slotButtons(in, ask);
        ImGui::SameLine();
    }
    addForm(in, ask);
    drawEditMessage(*in.edits, in.scene, in.selected); // below the controls, which stay where they are
    ImGui::PopID();
    return ask;
}
