// slot_structure.cpp - the four plans, each a few replacements of whole lines of the scene file.
#include "edit/session/slot_structure.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "data/scene_build.h"
#include "edit/session/slot_place.h"
#include "edit/session/slot_text.h"

//-----------------------------------------------------------------------------
// Plans
//-----------------------------------------------------------------------------

namespace {

bool addPart(StructurePlan& plan, uint32_t begin, uint32_t end, const std::string& text, char* error,
             size_t size) {
    if (plan.count == kStructurePartCapacity || text.size() >= (size_t)kStructureTextCapacity)
        return editFail(error, size, "the change is too large to plan");
    int at = plan.count++;
    for (; at > 0 && plan.parts[at - 1].begin > begin; --at) plan.parts[at] = plan.parts[at - 1];
    StructurePart& part = plan.parts[at];
    part.begin = begin;
    part.end = end;
    std::memcpy(part.text, text.c_str(), text.size() + 1);
    return true;
}

const char* fileNameOf(const SourceFile& file) {
    const char* slash = std::strrchr(file.path, '/');
    return slash ? slash + 1 : file.path;
}

bool validSlotName(const char* name) {
    if (!name || name[0] != 'k' || !std::isupper((unsigned char)name[1]) || std::strlen(name) > 60)
        return false;
    for (const char* p = name; *p; ++p)
        if (!isNameChar(*p)) return false;
    return true;
}

} // namespace

std::string plannedText(const SourceFile& file, const StructurePlan& plan) {
    std::string out;
    uint32_t at = 0;
    for (int k = 0; k < plan.count; ++k) {
        out.append(file.text + at, plan.parts[k].begin - at);
        out += plan.parts[k].text;
        at = plan.parts[k].end;
    }
    out.append(file.text + at, file.length - at);
    return out;
}

bool planAddSlot(const SourceFile& file, const SceneSet& scenes, int scene, const char* name,
                 const NodeSource& node, int32_t after, StructurePlan& plan, char* error, size_t size) {
    plan.count = 0;
    const char* t = file.text;
    const uint32_t n = file.length;
    if (!validSlotName(name))
        return editFail(error, size, "\"%s\" is not a slot name: k, a capital, then letters, digits or _",
                        name ? name : "");
    uint32_t used = 0;
    if (findWord(t, n, name, used))
        return editFail(error, size, "%s is already a name in %s (line %u)", name, fileNameOf(file),
                        lineOf(t, used));
    EnumNames names = {};
    int32_t count = 0;
    if (!readSlotEnum(t, n, names, count, error, size)) return false;
    if (count >= kSlotsPerScene)
        return editFail(error, size, "scene %d has %d slots, as many as a scene holds", scene, count);
    uint32_t open = 0, close = 0, entry = 0, entryEnd = 0;
    bool pinned = false;
    findSlotEnum(t, n, open, close);
    const char* countName = enumName(names, count);
    if (!countName || !findEntryLine(t, open, close, countName, entry, entryEnd, pinned))
        return editFail(error, size, "the slot enum's last entry is not a line of its own");
    char call[kStructureTextCapacity / 2];
    if (!slotCallText(node, names, call, sizeof call))
        return editFail(error, size, "the new slot's call cannot be written (an input without a name)");
    uint32_t begin = 0, end = 0;
    const char* afterName = after >= 0 ? slotLabel(scenes, scene, after) : nullptr;
    if (!afterName || !slotStatement(file, afterName, begin, end)) {
        uint32_t ret = n; // at the end of the scene's build: before its last `return s;`
        while (ret > 0 && !(ret + 9 <= n && std::memcmp(t + ret, "return s;", 9) == 0)) --ret;
        if (ret == 0)
            return editFail(error, size, "%s has no `return s;` to add the slot before", fileNameOf(file));
        begin = end = lineStartOf(t, ret);
    }
    const std::string indent = indentOf(t, n, begin), entryIndent = indentOf(t, n, entry);
    std::string entries = entryIndent + name + ",\n"; // before the count: it takes the count's number
    uint32_t entryStop = entry;
    if (pinned) { // `kSlotCount = kAlpha7 + 5,`: the new slot takes that number, the count follows it
        const std::string line(t + entry, entryEnd - entry);
        const size_t equals = line.find('='), comma = line.find(',', equals);
        if (comma == std::string::npos)
            return editFail(error, size, "the slot enum's count is not `%s = ...,`", countName);
        entries = entryIndent + name + " " + line.substr(equals, comma - equals) + ",\n" + entryIndent +
                  countName + line.substr(comma); // its comment stays with the count
        entryStop = entryEnd;
    }
    return addPart(plan, entry, entryStop, entries, error, size) &&
           addPart(plan, end, end, wrapStatement(indent + "s[" + name + "] = " + call + ";") + "\n", error,
                   size);
}

bool planDeleteSlot(const SourceFile& file, const SceneSet& scenes, int scene, int32_t slot,
                    StructurePlan& plan, char* error, size_t size) {
    plan.count = 0;
    const char* t = file.text;
    const uint32_t n = file.length;
    const char* name = slotLabel(scenes, scene, slot);
    uint32_t open = 0, close = 0, entry = 0, entryEnd = 0, begin = 0, end = 0;
    bool pinned = false;
    if (!findSlotEnum(t, n, open, close) || !findEntryLine(t, open, close, name, entry, entryEnd, pinned))
        return editFail(error, size, "%s has no line of its own in the slot enum of %s", name,
                        fileNameOf(file));
    if (pinned)
        return editFail(error, size, "%s is pinned: its number (%d) is written in the slot enum, so it stays",
                        name, slot);
    if (!slotStatement(file, name, begin, end))
        return editFail(error, size, "%s is written by a call of several slots (line %u): write it out first",
                        name, slotAssignmentLine(file, scenes, scene, slot));
    if (!addPart(plan, entry, entryEnd, "", error, size) || !addPart(plan, begin, end, "", error, size))
        return false;
    const std::string left = plannedText(file, plan);
    uint32_t still = 0;
    if (findWord(left.c_str(), (uint32_t)left.size(), name, still))
        return editFail(error, size, "%s is still used on line %u of %s", name, lineOf(left.c_str(), still),
                        fileNameOf(file));
    EnumNames was = {}, names = {};
    int32_t wasCount = 0, count = 0;
    if (!readSlotEnum(t, n, was, wasCount, error, size) ||
        !readSlotEnum(left.c_str(), (uint32_t)left.size(), names, count, error, size))
        return false;
    const int unnamed = unnamedSlots(was, wasCount);
    if (unnamedSlots(names, count) == unnamed) return true;
    // A number left without a name before a pinned slot: the enum's last entry takes it.
    int32_t gap = 0;
    bool gapPinned = false;
    uint32_t p0 = 0, p1 = 0, l0 = 0, l1 = 0;
    for (; gap < count && !gapPinned; ++gap)
        gapPinned = names.offset[gap] < 0 && enumName(names, gap + 1) &&
                    findEntryLine(t, open, close, enumName(names, gap + 1), p0, p1, gapPinned) && gapPinned;
    const char* lastName = enumName(names, count - 1);
    bool lastPinned = true;
    if (!gapPinned || !lastName || !findEntryLine(t, open, close, lastName, l0, l1, lastPinned) ||
        lastPinned || l0 < p0)
        return editFail(error, size, "deleting %s would leave a slot before a pinned one without a name",
                        name);
    if (!addPart(plan, p0, p0, std::string(t + l0, l1 - l0), error, size) ||
        !addPart(plan, l0, l1, "", error, size))
        return false;
    const std::string moved = plannedText(file, plan);
    if (!readSlotEnum(moved.c_str(), (uint32_t)moved.size(), names, count, error, size)) return false;
    if (unnamedSlots(names, count) != unnamed)
        return editFail(error, size, "deleting %s would leave a slot without a name", name);
    return true;
}

namespace {

// Where a builder's call writes input `input` of its slot: argument and element, as slotArgument.
SlotArgument slotInputArgument(SlotForm form, int input) {
    switch (form) {
    case kFormNode:
        return SlotArgument{1, (int8_t)input};
    case kFormTrackAt:
    case kFormSwizzle:
    case kFormKickPulse:
        return input == 0 ? SlotArgument{0, -1} : SlotArgument{-1, -1};
    case kFormDrawMesh:
        return input < 6 ? SlotArgument{0, (int8_t)input} : SlotArgument{-1, -1};
    case kFormSprite:
        return input < 5 ? SlotArgument{0, (int8_t)input} : SlotArgument{-1, -1};
    default:
        return SlotArgument{-1, -1};
    }
}

} // namespace

bool planRewire(const SourceFile& file, const SceneSet& scenes, int scene, int32_t slot, int input,
                int32_t from, StructurePlan& plan, char* error, size_t size) {
    plan.count = 0;
    const char* name = slotLabel(scenes, scene, slot);
    const SlotForm form = (SlotForm)scenes.names[scene].places[slot].form;
    const SlotArgument where = slotInputArgument(form, input);
    SlotPlace now = {};
    uint32_t call = 0;
    char callee[64] = "";
    if (findSlotCallNow(file, scenes, scene, slot, now, call))
        calleeName(file.text, file.length, call, callee, sizeof callee);
    if (where.argument < 0 || std::strcmp(callee, slotFormBuilder(form)) != 0)
        return editFail(error, size,
                        "%s's in%d is not written as a name in its call (line %u): write it out first", name,
                        input, slotAssignmentLine(file, scenes, scene, slot));
    CallArgument arg = {};
    char why[256];
    if (!findCallArgument(file.text, file.length, call, callee, where.argument, where.element, arg, why,
                          sizeof why))
        return editFail(error, size, "%s in%d: %s", name, input, why);
    const char* fromName = inputLabel(scenes, scene, from);
    std::string replacement = fromName;
    if (arg.kind == ArgumentKind::absent && where.element >= 0) {
        replacement.clear();
        for (int k = arg.present; k < where.element; ++k) replacement += std::string(k ? ", " : "") + "kNone";
        replacement += std::string(where.element ? ", " : "") + fromName;
        arg.begin = arg.end = arg.insertAt;
    } else if (arg.kind != ArgumentKind::name) {
        return editFail(error, size, "%s's in%d is an expression on line %u: write it as a name first", name,
                        input, lineOf(file.text, arg.begin));
    }
    uint32_t begin = lineStartOf(file.text, arg.begin);
    uint32_t end = nextLineStart(file.text, file.length, arg.end);
    std::string lines(file.text + begin, end - begin);
    lines.replace(arg.begin - begin, arg.end - arg.begin, replacement);
    uint32_t statement = 0, statementEnd = 0; // the statement broken again as the files break it
    if (slotStatement(file, name, statement, statementEnd) && statement <= begin && end <= statementEnd) {
        std::string whole(file.text + statement, arg.begin - statement);
        whole += replacement;
        whole.append(file.text + arg.end, statementEnd - arg.end);
        const std::string joined = joinStatement(whole);
        if (!joined.empty()) lines = wrapStatement(joined) + "\n", begin = statement, end = statementEnd;
    }
    return addPart(plan, begin, end, lines, error, size);
}

namespace {

// Every slot written by the same call as `slot` in the built data: a builder of several slots.
int slotsOfCall(const SceneSet& scenes, int scene, int32_t slot, int32_t* written) {
    const SlotPlace* places = scenes.names[scene].places;
    const SlotPlace& p = places[slot];
    int count = 0;
    for (int32_t k = 0; k < kSlotsPerScene; ++k) {
        const SlotPlace& q = places[k];
        if (q.file && q.line == p.line && q.column == p.column && std::strcmp(q.file, p.file) == 0)
            written[count++] = k;
    }
    return count;
}

// The comment that ends a statement's last line, to keep it ("// an arc on the floor").
std::string trailingComment(const char* t, uint32_t begin, uint32_t end) {
    std::string lines(t + begin, end - begin);
    const size_t semicolon = lines.rfind(';');
    const size_t comment = lines.find("//", semicolon == std::string::npos ? 0 : semicolon);
    if (comment == std::string::npos) return "";
    std::string tail = lines.substr(comment);
    while (!tail.empty() && (tail.back() == '\n' || tail.back() == '\r')) tail.pop_back();
    return " " + tail;
}

} // namespace

bool planWriteOut(const SourceFile& file, const SceneSet& scenes, int scene, const NodeSource* nodes,
                  int32_t slot, StructurePlan& plan, int32_t* written, int& writtenCount, char* error,
                  size_t size) {
    plan.count = 0;
    writtenCount = 0;
    const char* t = file.text;
    const char* name = slotLabel(scenes, scene, slot);
    const SlotPlace& place = scenes.names[scene].places[slot];
    if (!place.file) return editFail(error, size, "%s is an empty slot", name);
    const char* builder = slotFormBuilder((SlotForm)place.form);
    uint32_t begin = 0, end = 0, call = 0;
    char callee[64] = "";
    if (findSlotCalls(t, file.length, name, &call, 1) == 1) { // s[kName] = helper(...);
        if (!slotStatement(file, name, begin, end))
            return editFail(error, size, "%s's statement on line %u is not a line of its own", name,
                            lineOf(t, call));
        written[writtenCount++] = slot;
    } else { // a builder of several slots: addOrbitingEye(s, kOrbitTime, ...);
        SlotPlace now = {};
        if (!findSlotCallNow(file, scenes, scene, slot, now, call)) call = file.length;
        if (call < file.length) calleeName(t, file.length, call, callee, sizeof callee);
        if (std::strcmp(callee, builder) != 0 || !statementLines(t, file.length, call, begin, end))
            return editFail(error, size,
                            "%s is written inside a helper (line %u of %s): its call cannot be written out",
                            name, place.line, placeFileName(place));
        writtenCount = slotsOfCall(scenes, scene, slot, written);
    }
    const std::string indent = indentOf(t, file.length, begin);
    const std::string comment = trailingComment(t, begin, end);
    std::string lines;
    for (int k = 0; k < writtenCount; ++k) {
        char text[kStructureTextCapacity / 2];
        if (!slotCallText(nodes[written[k]], *scenes.names[scene].slots, text, sizeof text))
            return editFail(error, size, "%s's call cannot be written", slotLabel(scenes, scene, written[k]));
        lines += wrapStatement(indent + "s[" + slotLabel(scenes, scene, written[k]) + "] = " + text + ";") +
                 (k + 1 == writtenCount ? comment : "") + "\n";
    }
    if (lines == std::string(t + begin, end - begin))
        return editFail(error, size,
                        "%s is written in full already (line %u): its values are edited in place", name,
                        lineOf(t, begin));
    return addPart(plan, begin, end, lines, error, size);
}
