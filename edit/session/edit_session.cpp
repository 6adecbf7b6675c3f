// edit_session.cpp - the session's start, its files as read, its message, and the edits no file holds.
#include "edit/session/edit_session.h"

#include <cstdarg>
#include <cstring>

#include "edit/session/slot_place.h"
#include "show/show.h"

void sayEdit(EditSession& e, bool failed, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(e.message, sizeof e.message, format, args);
    va_end(args);
    e.failed = failed;
    e.aboutScene = e.aboutSlot = -1;
    std::fprintf(stderr, "qz001: %s\n", e.message);
}

SourceFile* editedFile(EditSession& e, const char* name, int& index, char* error, size_t size) {
    char path[2048];
    std::snprintf(path, sizeof path, "%s/%s", e.folder, name);
    for (int f = 0; f < e.fileCount; ++f)
        if (std::strcmp(e.files[f].path, path) == 0) return &e.files[(index = f)];
    if (e.fileCount == kEditFileCapacity) {
        std::snprintf(error, size, "more than %d files edited in one session", kEditFileCapacity);
        return nullptr;
    }
    SourceFile& file = e.files[e.fileCount];
    if (!readSourceFile(path, file, error, size)) return nullptr;
    index = e.fileCount++;
    return &file;
}

// The maker's editor may have saved the file since it was last read: then its new text is the base.
bool takeDiskText(EditSession& e, SourceFile& file, char* error, size_t size) {
    SourceFile& now = e.scratch.files.onDisk;
    if (!readSourceFile(file.path, now, error, size)) return false;
    if (now.length == file.diskLength && std::memcmp(now.text, file.disk, now.length) == 0) return true;
    std::memcpy(file.text, now.text, now.length);
    std::memcpy(file.disk, now.text, now.length);
    file.length = file.diskLength = now.length;
    std::fprintf(stderr, "qz001: %s changed on disk; the edit goes on top of the saved file\n", file.path);
    return true;
}

void startEditSession(EditSession& e, const char* sourceDir, const SceneSet& scenes) {
    std::memset(&e, 0, sizeof e);
    e.aboutScene = e.aboutSlot = -1;
    std::snprintf(e.folder, sizeof e.folder, "%s/data", sourceDir);
    e.table = scenes.scenes;
    for (int s = 0; s < kSceneCount; ++s) {
        std::memcpy(e.nodes[s], scenes.scenes.scenes[s].nodes, sizeof e.nodes[s]);
        e.table.scenes[s].nodes = e.nodes[s];
    }
}

int unsavedEditCount(const EditSession& e) {
    int count = 0;
    for (int k = 0; k < e.history.done; ++k) count += !e.history.steps[k].saved;
    return count;
}

void printUnsavedEdits(const EditSession& e, FILE* out) {
    const int count = unsavedEditCount(e);
    if (!count) return;
    std::fprintf(out, "qz001: %d edit%s no file holds (they were lost with the edit mode):\n", count,
                 count == 1 ? "" : "s");
    for (int k = 0; k < e.history.done; ++k) {
        const SlotEdit& s = e.history.steps[k];
        if (s.saved) continue;
        if (s.scene == kKeyEditScene) {
            std::fprintf(out, "  track %d: a key edit in %s/tracks.cpp\n", s.field, e.folder);
            continue;
        }
        if (s.slot < 0) {
            std::fprintf(out, "  scene %d length: %g -> %g frames%s%s\n", s.scene, (double)s.before,
                         (double)s.after, s.file >= 0 ? " in " : "", s.file >= 0 ? e.files[s.file].path : "");
            continue;
        }
        std::fprintf(out, "  scene %d slot %d %s: %g -> %g%s%s\n", s.scene, s.slot,
                     fieldLabel(s.field, s.slot), (double)s.before, (double)s.after,
                     s.file >= 0 ? " in " : "", s.file >= 0 ? e.files[s.file].path : "");
    }
}
