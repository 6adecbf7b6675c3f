// scene_length.cpp - the length literal found and rewritten, the last scene or the next one giving the
// difference, both steps joined in the undo list.
#include "edit/session/scene_length.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <dirent.h>

#include "data/scene_build.h"
#include "director/demo_clock.h"
#include "edit/session/file_change.h"

namespace {

// The two length steps of one change, planned in full before either is written.
struct LengthStep {
    int scene;
    int32_t before, after;
    int file;
    SourceFile* source;
    LiteralEdit change;
    uint32_t fromAnchor; // from the scene's entry to the literal
};

bool planStep(EditSession& e, const SceneSet& scenes, LengthStep& step, char* error, size_t size) {
    char name[256];
    if (!findSceneFile(e.folder, step.scene, name, sizeof name, error, size)) return false;
    step.source = editedFile(e, name, step.file, error, size);
    if (!step.source || !takeDiskText(e, *step.source, error, size)) return false;
    // The file holds the length last written, or the built one after the maker's own save.
    const int32_t candidates[2] = {step.before, scenes.scenes.scenes[step.scene].duration};
    for (int c = 0; c < 2; ++c) {
        uint32_t entry = 0;
        if ((c == 0 || candidates[1] != candidates[0]) &&
            planLengthEdit(*step.source, step.scene, candidates[c], step.after, step.change, error, size) &&
            findSceneEntry(step.source->text, step.source->length, step.scene, entry)) {
            step.fromAnchor = step.change.begin - entry;
            return true;
        }
    }
    return false;
}

// Writes the planned steps, every file or none, and puts them in the running table and the undo list
// as one change.
void carryOut(EditSession& e, LengthStep* steps, int count) {
    char error[1400] = "";
    FileChange change[2];
    for (int k = 0; k < count; ++k) change[k] = literalChange(steps[k].source, steps[k].change);
    const bool saved = writeFileChange(e.scratch.files, change, count, error, sizeof error);
    for (int k = 0; k < count; ++k) {
        const LengthStep& s = steps[k];
        const SlotEdit edit = {s.scene,        kSceneLengthSlot, 0,     (float)s.before,
                               (float)s.after, s.file,           saved, s.change,
                               k > 0,          s.fromAnchor,     -1};
        e.table.scenes[s.scene].duration = s.after;
        pushEdit(e.history, edit);
        e.unchecked += saved;
    }
    ++e.liveChanges;
    char text[512] = "";
    for (int k = 0; k < count; ++k) {
        const size_t used = std::strlen(text);
        std::snprintf(text + used, sizeof text - used, "%sscene %d %d -> %d frames", k ? ", " : "",
                      steps[k].scene, steps[k].before, steps[k].after);
    }
    if (saved)
        sayEdit(e, false, "%s", text);
    else
        sayEdit(e, true, "%s plays, unsaved (neither file was written): %s", text, error);
}

bool checkLength(EditSession& e, int scene, int32_t frames) {
    if (frames >= 1 && frames <= kShowFrameCount) return true;
    sayEdit(e, true, "scene %d would be %d frames long (1..%d); nothing changed", scene, frames,
            kShowFrameCount);
    return false;
}

} // namespace

int32_t barFrame(int32_t bar) {
    return (int32_t)std::lround(bar * (double)kBarFrames);
}

int32_t snapToBar(int32_t frame) {
    return barFrame((int32_t)std::lround(frame / (double)kBarFrames));
}

void sceneStarts(const SceneTable& table, int32_t starts[kSceneCount + 1]) {
    starts[0] = 0;
    for (int s = 0; s < kSceneCount; ++s) starts[s + 1] = starts[s] + table.scenes[s].duration;
}

namespace {

// The second element of the braces opening at `at` (`{nodes, LENGTH}`) up to the closing brace, spaces
// and all. Refused where a comment stands inside the braces or they do not hold two elements.
bool lengthElement(const char* t, uint32_t n, uint32_t at, const char* name, const char* entry,
                   uint32_t& begin, uint32_t& end, char* error, size_t errorSize) {
    int depth = 0;
    int element = 0;
    for (uint32_t i = at; i < n; ++i) {
        const char c = t[i];
        if (c == '/' && i + 1 < n && (t[i + 1] == '/' || t[i + 1] == '*'))
            return editFail(error, errorSize,
                            "%s:%u: a comment inside %s; open the line to change the length", name,
                            lineOf(t, i), entry);
        if (c == '(' || c == '{' || c == '[') ++depth;
        if (c == ')' || c == '}' || c == ']') {
            if (--depth == 0) {
                end = i;
                break;
            }
        }
        if (c == ',' && depth == 1 && ++element == 1)
            begin = i + 1;
        else if (c == ',' && depth == 1)
            return editFail(error, errorSize, "%s:%u: %s has more than two elements", name, lineOf(t, i),
                            entry);
    }
    if (element != 1 || end == 0)
        return editFail(error, errorSize, "%s:%u: %s is not written as {nodes, length}", name, lineOf(t, at),
                        entry);
    return true;
}

} // namespace

bool planLengthEdit(const SourceFile& file, int scene, int32_t oldFrames, int32_t newFrames,
                    LiteralEdit& edit, char* error, size_t errorSize) {
    edit = LiteralEdit{};
    const char* name = std::strrchr(file.path, '/') ? std::strrchr(file.path, '/') + 1 : file.path;
    char entry[48];
    const int entryLength = std::snprintf(entry, sizeof entry, "SceneEntry scene%d", scene);
    const char* t = file.text;
    const uint32_t n = file.length;
    uint32_t at = 0;
    if (!findSceneEntry(t, n, scene, at))
        return editFail(error, errorSize, "%s holds no `%s = {...}`", name, entry);
    at += entryLength;
    while (at < n && (isSpaceChar(t[at]) || t[at] == '=')) ++at;
    if (at >= n || t[at] != '{')
        return editFail(error, errorSize, "%s:%u: %s is not written as {nodes, length}", name, lineOf(t, at),
                        entry);
    uint32_t begin = 0, end = 0;
    if (!lengthElement(t, n, at, name, entry, begin, end, error, errorSize)) return false;
    while (begin < end && isSpaceChar(t[begin])) ++begin;
    while (end > begin && isSpaceChar(t[end - 1])) --end;
    const uint32_t length = end - begin;
    float written = 0;
    const bool number = length < (uint32_t)kLiteralCapacity &&
                        readNumberLiteral(t + begin, length, written) && written == std::trunc(written) &&
                        !std::memchr(t + begin, '.', length);
    if (!number) {
        const int shown = length < 80 ? (int)length : 80;
        return editFail(error, errorSize, "%s:%u: the length is computed (%.*s); open the line to change it",
                        name, lineOf(t, begin), shown, t + begin);
    }
    std::memcpy(edit.before, t + begin, length);
    edit.before[length] = 0;
    if ((int32_t)written != oldFrames)
        return editFail(error, errorSize,
                        "%s:%u: the file writes %s frames where scene %d is %d (changed since it "
                        "was built?)",
                        name, lineOf(t, begin), edit.before, scene, oldFrames);
    edit.begin = begin;
    edit.end = end;
    edit.line = lineOf(t, begin);
    std::snprintf(edit.text, sizeof edit.text, "%d", newFrames);
    return true;
}

bool findSceneFile(const char* folder, int scene, char* name, size_t size, char* error, size_t errorSize) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "scene_%02d_", scene);
    DIR* dir = opendir(folder);
    if (!dir) return editFail(error, errorSize, "cannot read the folder %s", folder);
    int found = 0;
    while (const dirent* entry = readdir(dir)) {
        const size_t length = std::strlen(entry->d_name);
        if (std::strncmp(entry->d_name, prefix, std::strlen(prefix)) != 0 || length < 4 ||
            std::strcmp(entry->d_name + length - 4, ".cpp") != 0)
            continue;
        if (!found++) std::snprintf(name, size, "%s", entry->d_name);
    }
    closedir(dir);
    if (found == 1) return true;
    if (found)
        return editFail(error, errorSize, "%s holds %d files %s*.cpp: which is scene %d's?", folder, found,
                        prefix, scene);
    return editFail(error, errorSize, "%s holds no %s*.cpp (scene %d's file)", folder, prefix, scene);
}

void startLengthEdits(LengthEdits& l, const SceneTable& table) {
    sceneStarts(table, l.startsBefore);
    l.lastScene = -1;
}

bool editSceneLength(EditSession& e, LengthEdits& l, const SceneSet& scenes, int scene, int32_t frames) {
    e.openLine[0] = 0;
    if (scene < 0 || scene >= kLastScene) {
        sayEdit(e, true,
                scene == kLastScene
                    ? "the last scene ends with the show (frame %d); change an earlier scene's length"
                    : "no scene %d; nothing changed",
                scene == kLastScene ? kShowFrameCount : scene);
        return false;
    }
    const int32_t before = e.table.scenes[scene].duration;
    const int32_t last = e.table.scenes[kLastScene].duration;
    if (!checkLength(e, scene, frames)) return false;
    if (frames == before) {
        sayEdit(e, false, "scene %d is %d frames long already", scene, frames);
        return false;
    }
    const int32_t lastAfter = last - (frames - before);
    if (!checkLength(e, kLastScene, lastAfter)) return false;
    LengthStep steps[2] = {{scene, before, frames, -1, nullptr, {}, 0},
                           {kLastScene, last, lastAfter, -1, nullptr, {}, 0}};
    const int count = 2; // the last scene gives what this one takes
    char error[1400];
    for (int k = 0; k < count; ++k)
        if (!planStep(e, scenes, steps[k], error, sizeof error)) {
            sayEdit(e, true, "scene %d's length: %s; nothing changed", steps[k].scene, error);
            return false;
        }
    carryOut(e, steps, count);
    l.lastScene = scene;
    return true;
}

int32_t sceneShift(const LengthEdits& l, const SceneTable& table, int scene) {
    int32_t starts[kSceneCount + 1];
    sceneStarts(table, starts);
    return scene >= 0 && scene <= kSceneCount ? starts[scene] - l.startsBefore[scene] : 0;
}

int32_t laterScenesShift(const LengthEdits& l, const SceneTable& table) {
    return l.lastScene >= 0 && l.lastScene + 2 <= kLastScene ? sceneShift(l, table, l.lastScene + 2) : 0;
}

bool keepLaterScenesInPlace(EditSession& e, LengthEdits& l, const SceneSet& scenes) {
    e.openLine[0] = 0;
    const int32_t shift = laterScenesShift(l, e.table);
    if (shift == 0) {
        sayEdit(e, false, "the later scenes start where they did; nothing changed");
        return false;
    }
    const int next = l.lastScene + 1;
    const int32_t nextBefore = e.table.scenes[next].duration,
                  lastBefore = e.table.scenes[kLastScene].duration;
    if (!checkLength(e, next, nextBefore - shift) || !checkLength(e, kLastScene, lastBefore + shift))
        return false;
    LengthStep steps[2] = {{next, nextBefore, nextBefore - shift, -1, nullptr, {}, 0},
                           {kLastScene, lastBefore, lastBefore + shift, -1, nullptr, {}, 0}};
    char error[1400];
    for (int k = 0; k < 2; ++k)
        if (!planStep(e, scenes, steps[k], error, sizeof error)) {
            sayEdit(e, true, "scene %d's length: %s; nothing changed", steps[k].scene, error);
            return false;
        }
    carryOut(e, steps, 2);
    return true;
}

void takeEditedLengths(const EditSession& e, SceneSet& playing) {
    for (int s = 0; s < kSceneCount; ++s) playing.scenes.scenes[s].duration = e.table.scenes[s].duration;
}

void describeSceneShifts(const LengthEdits& l, const SceneTable& table, char* out, size_t size) {
    out[0] = 0;
    size_t used = 0;
    for (int j = 1; j < kSceneCount;) {
        const int32_t shift = sceneShift(l, table, j);
        int last = j;
        while (last + 1 < kSceneCount && sceneShift(l, table, last + 1) == shift) ++last;
        if (shift && used < size) {
            const bool many = last > j;
            const char* format = used   ? (many ? ", scenes %d..%d %+d" : ", scene %d%.0d %+d")
                                 : many ? "scenes %d..%d start %+d frames off where they started"
                                        : "scene %d%.0d starts %+d frames off where it started";
            used += (size_t)std::snprintf(out + used, size - used, format, j, many ? last : 0, shift);
        }
        j = last + 1;
    }
}
