// slot_place.cpp - a slot's call found in the file as it stands now, and an undo step's literal found
// again from it.
#include "edit/session/slot_place.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "data/scene_build.h"

const char* fieldLabel(int field, int slot) {
    if (slot < 0) return "(frames)";
    static const char* const names[] = {"p0", "p1", "p2", "p3", "p4", "p5", "p6", "p7", "element count"};
    return field >= 0 && field <= kCountField ? names[field] : "?";
}

const char* slotLabel(const SceneSet& scenes, int scene, int slot) {
    if (slot < 0) return "length";
    const char* name =
        scenes.names && scenes.names[scene].slots ? enumName(*scenes.names[scene].slots, slot) : nullptr;
    return name ? name : "(unnamed)";
}

const char* inputLabel(const SceneSet& scenes, int scene, int32_t input) {
    return input < 0 ? "kNone" : slotLabel(scenes, scene, input);
}

// Where the slot's call stands in the file now: found by its assignment `s[kAt] = builder(...)` (the
// maker may have added or removed lines since the scene data was built), else at the compiler's place.
bool findSlotCallNow(const SourceFile& file, const SceneSet& scenes, int scene, int slot, SlotPlace& now,
                     uint32_t& offset) {
    const SlotPlace& place = scenes.names[scene].places[slot];
    now = place;
    const char* name = scenes.names[scene].slots ? enumName(*scenes.names[scene].slots, slot) : nullptr;
    uint32_t calls[4];
    const int count = name ? findSlotCalls(file.text, file.length, name, calls, 4) : 0;
    int match = -1, matches = 0;
    for (int k = 0; k < count && k < 4; ++k) {
        char callee[64];
        calleeName(file.text, file.length, calls[k], callee, sizeof callee);
        if (std::strcmp(callee, slotFormBuilder((SlotForm)place.form)) == 0) match = k, ++matches;
    }
    if (matches != 1) { // at the compiler's place: its callee's name (the place may be at its '(')
        if (!offsetOf(file.text, file.length, place.line, place.column, offset)) return false;
        uint32_t at = offset;
        while (at > 0 && (file.text[at] == '(' || file.text[at - 1] == ' ')) --at;
        while (at > 0 && (std::isalnum((unsigned char)file.text[at - 1]) || file.text[at - 1] == '_')) --at;
        if (file.text[offset] == '(' && at < offset) offset = at;
        return true;
    }
    offset = calls[match];
    uint32_t lineStart = offset;
    while (lineStart > 0 && file.text[lineStart - 1] != '\n') --lineStart;
    now.line = lineOf(file.text, offset);
    now.column = offset - lineStart + 1;
    return true;
}

// The line that sets the slot, for a refusal: its `s[kAt] = ...` where the file has one.
uint32_t slotAssignmentLine(const SourceFile& file, const SceneSet& scenes, int scene, int slot) {
    const char* name = scenes.names[scene].slots ? enumName(*scenes.names[scene].slots, slot) : nullptr;
    uint32_t call = 0;
    if (name && findSlotCalls(file.text, file.length, name, &call, 1) == 1) return lineOf(file.text, call);
    return scenes.names[scene].places[slot].line;
}

// Which call of the slot's builder in the file the call at `anchor` is (a builder that sets several
// slots, `addOrbitingEye(s, ...)`, is found again by it); -1 where the slot's own `s[kAt] =` finds it.
int32_t slotCallOrdinal(const SourceFile& file, const SceneSet& scenes, int scene, int slot,
                        uint32_t anchor) {
    const char* name = scenes.names[scene].slots ? enumName(*scenes.names[scene].slots, slot) : nullptr;
    uint32_t named = 0;
    if (name && findSlotCalls(file.text, file.length, name, &named, 1) == 1 && named == anchor) return -1;
    uint32_t calls[kSlotsPerScene];
    const char* builder = slotFormBuilder((SlotForm)scenes.names[scene].places[slot].form);
    const int count = findCalls(file.text, file.length, builder, calls, kSlotsPerScene);
    for (int k = 0; k < count && k < kSlotsPerScene; ++k)
        if (calls[k] == anchor) return k;
    return -1;
}

// The offset of what holds the step's literal in `file` now: the slot's call, or the scene's entry.
static bool stepAnchor(const SceneSet& scenes, const SlotEdit& s, const SourceFile& file, uint32_t& anchor) {
    if (s.slot < 0) return findSceneEntry(file.text, file.length, s.scene, anchor);
    if (!scenes.names || !scenes.names[s.scene].places) return false;
    if (s.call >= 0) {
        uint32_t calls[kSlotsPerScene];
        const char* builder = slotFormBuilder((SlotForm)scenes.names[s.scene].places[s.slot].form);
        const int count = findCalls(file.text, file.length, builder, calls, kSlotsPerScene);
        if (s.call >= count || s.call >= kSlotsPerScene) return false;
        anchor = calls[s.call];
        return true;
    }
    SlotPlace now = {};
    return findSlotCallNow(file, scenes, s.scene, s.slot, now, anchor);
}

// The literal of the step's field in the slot's call at `anchor`, whatever it reads now.
static bool relocateLiteral(const SceneSet& scenes, const SlotEdit& s, const SourceFile& file,
                            uint32_t anchor, LiteralEdit& found, char* why, size_t size) {
    const SlotForm form = (SlotForm)scenes.names[s.scene].places[s.slot].form;
    const SlotArgument where = slotArgument(form, s.field);
    CallArgument arg = {};
    if (where.argument < 0 || !findCallArgument(file.text, file.length, anchor, slotFormBuilder(form),
                                                where.argument, where.element, arg, why, size))
        return false;
    const uint32_t length = arg.end - arg.begin;
    if (arg.kind == ArgumentKind::absent || length >= (uint32_t)kLiteralCapacity) return false;
    found.begin = arg.begin;
    std::memcpy(found.before, file.text + arg.begin, length);
    found.before[length] = 0;
    return true;
}

// Where the step's literal stands now, found again by the call that holds it: the bytes the step wrote
// (undo) or replaced (redo), to become the other. False with the reason where they are gone.
bool locateStepLiteral(const SceneSet& scenes, const SlotEdit& s, const SourceFile& file, bool undo,
                       LiteralEdit& out, char* error, size_t size) {
    const char* from = undo ? s.change.text : s.change.before;
    const char* to = undo ? s.change.before : s.change.text;
    const uint32_t n = (uint32_t)std::strlen(from);
    const char* name = strrchr(file.path, '/') ? strrchr(file.path, '/') + 1 : file.path;
    uint32_t anchor = 0;
    if (!stepAnchor(scenes, s, file, anchor)) {
        std::snprintf(error, size, "%s no longer writes %s %s", name, slotLabel(scenes, s.scene, s.slot),
                      s.slot < 0 ? "as SceneEntry" : "with the call the edit changed");
        return false;
    }
    auto holds = [&](uint32_t at) {
        return at + n <= file.length && std::memcmp(file.text + at, from, n) == 0;
    };
    uint32_t at = anchor + s.fromAnchor;
    if (!holds(at) && n > 0) { // the call was changed inside: its argument, if it still reads the same
        LiteralEdit found = {};
        char why[512];
        const float value = undo ? s.after : s.before;
        const bool planned =
            s.slot < 0 ? planLengthEdit(file, s.scene, (int32_t)value, (int32_t)value, found, why, sizeof why)
                       : relocateLiteral(scenes, s, file, anchor, found, why, sizeof why);
        if (!planned || std::strcmp(found.before, from) != 0) {
            std::snprintf(error, size, "%s:%u: %s %s no longer holds %s%s%s", name, lineOf(file.text, anchor),
                          slotLabel(scenes, s.scene, s.slot), fieldLabel(s.field, s.slot), from,
                          planned ? "; it holds " : "", planned ? found.before : "");
            return false;
        }
        at = found.begin;
    }
    out = LiteralEdit{};
    out.begin = at;
    out.end = at + n;
    std::snprintf(out.text, sizeof out.text, "%s", to);
    std::snprintf(out.before, sizeof out.before, "%s", from);
    out.line = lineOf(file.text, at);
    return true;
}
