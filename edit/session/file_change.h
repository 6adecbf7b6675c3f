// file_change.h - one change of the edit mode written into every file it touches, or into none: the
// literal edits applied to copies of the files' texts, each file checked against what was last read
// from disk (a file the maker saved since is never written over unseen), then all of them written as
// one group (base/atomic_file.h). The session's copies of the texts change only when every file was
// written.
//
//     FileChange change[2] = {{&sceneFile, lengthEdit}, {&lastSceneFile, lastLengthEdit}};
//     char error[1400];
//     if (!writeFileChange(session.scratch.files, change, 2, error, sizeof error)) ... // nothing written
#pragma once

#include <cstddef>

#include "edit/session/source_edit.h"

inline constexpr int kFileChangeCapacity = 8; // literal edits one change makes

struct FileChange {
    SourceFile* file;
    LiteralEdit edit; // its offsets are in the file's text as it stands before the change
};

// Where a change is made: the files' texts as it leaves them, and one file as it is on disk. Large (a
// file's text each): the edit session keeps one (ValueEdits::scratch), off the stack.
struct FileChangeScratch {
    SourceFile edited[kFileChangeCapacity];
    SourceFile onDisk;
};

// Edits into one file must not overlap. False with the reason (naming the file) when the texts would not
// fit, a file changed on disk since it was read, or a file cannot be written: then no file changed.
bool writeFileChange(FileChangeScratch& scratch, const FileChange* changes, int count, char* error,
                     size_t errorSize);
