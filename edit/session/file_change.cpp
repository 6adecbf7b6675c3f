// file_change.cpp - the change's files copied and edited in memory, then written as one group.
#include "edit/session/file_change.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "base/atomic_file.h"

namespace {

// The edits into `file`, applied from the last one back so the earlier offsets still hold.
bool applyEdits(const FileChange* changes, int count, const SourceFile* file, SourceFile& into) {
    bool used[kFileChangeCapacity] = {};
    for (;;) {
        int next = -1;
        for (int k = 0; k < count; ++k)
            if (!used[k] && changes[k].file == file && (next < 0 || changes[k].begin > changes[next].begin))
                next = k;
        if (next < 0) return true;
        used[next] = true;
        const FileChange& c = changes[next];
        if (!replaceText(into, c.begin, c.end, c.text)) return false;
    }
}

bool unchangedOnDisk(const SourceFile& file, SourceFile& onDisk, char* error, size_t size) {
    if (!readSourceFile(file.path, onDisk, error, size)) return false;
    if (onDisk.length == file.diskLength && std::memcmp(onDisk.text, file.disk, file.diskLength) == 0)
        return true;
    std::snprintf(error, size, "%s changed on disk since it was read; nothing written", file.path);
    return false;
}

} // namespace

bool writeFileChange(FileChangeScratch& scratch, const FileChange* changes, int count, char* error,
                     size_t errorSize) {
    if (count < 0 || count > kFileChangeCapacity) {
        std::snprintf(error, errorSize, "a change of %d edits is more than %d", count, kFileChangeCapacity);
        return false;
    }
    SourceFile* files[kFileChangeCapacity];
    int fileCount = 0;
    for (int k = 0; k < count; ++k) {
        bool seen = false;
        for (int f = 0; f < fileCount; ++f) seen = seen || files[f] == changes[k].file;
        if (!seen) files[fileCount++] = changes[k].file;
    }
    FileBytes group[kFileChangeCapacity];
    for (int f = 0; f < fileCount; ++f) {
        SourceFile& copy = scratch.edited[f];
        copy.length = files[f]->length;
        std::memcpy(copy.text, files[f]->text, copy.length);
        if (!applyEdits(changes, count, files[f], copy)) {
            std::snprintf(error, errorSize, "%s would grow past %u bytes; nothing written", files[f]->path,
                          kSourceFileCapacity);
            return false;
        }
        if (!unchangedOnDisk(*files[f], scratch.onDisk, error, errorSize)) return false;
        group[f] = FileBytes{files[f]->path, (const uint8_t*)copy.text, copy.length,
                             (const uint8_t*)files[f]->disk, files[f]->diskLength};
    }
    int failed = -1;
    std::string why;
    if (!writeFilesAtomically(group, fileCount, failed, why)) {
        std::snprintf(error, errorSize, "%s%s", why.c_str(),
                      fileCount > 1 ? "; none of the change's files was written" : "");
        return false;
    }
    for (int f = 0; f < fileCount; ++f) {
        SourceFile& file = *files[f];
        file.length = file.diskLength = scratch.edited[f].length;
        std::memcpy(file.text, scratch.edited[f].text, file.length);
        std::memcpy(file.disk, scratch.edited[f].text, file.length);
    }
    return true;
}
