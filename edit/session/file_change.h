// file_change.h - one change of the edit mode written into every file it touches, or into none: its
// replacements (literals, a track's entry) applied to copies of the files' texts, each file checked
// against what was last read from disk (a file the maker saved since is never written over unseen),
// then all of them written as one group (base/atomic_file.h). The session's copies of the texts change
// only when every file was written.
//
//     FileChange change[2] = {literalChange(&sceneFile, lengthEdit), literalChange(&lastFile, lastEdit)};
//     char error[1400];
//     if (!writeFileChange(session.scratch.files, change, 2, error, sizeof error)) ... // nothing written
#pragma once

#include <cstddef>

#include "edit/session/source_edit.h"

inline constexpr int kFileChangeCapacity = 8; // replacements one change makes

// One replacement in a file's text: bytes begin..end of the text as it stands before the change become
// `text` (the caller's, read during the call): a literal a value or length edit planned, or a track's
// entry a key edit rewrote.
struct FileChange {
    SourceFile* file;
    uint32_t begin;
    uint32_t end;
    const char* text;
};

// A planned literal edit as a change of its file.
inline FileChange literalChange(SourceFile* file, const LiteralEdit& edit) {
    return FileChange{file, edit.begin, edit.end, edit.text};
}

// Where a change is made: the files' texts as it leaves them, and one file as it is on disk. Large (a
// file's text each): the edit session keeps one (EditSession::scratch), off the stack.
struct FileChangeScratch {
    SourceFile edited[kFileChangeCapacity];
    SourceFile onDisk;
};

// Every write of the edit session goes through here: value, length and key edits, and their undo and
// redo. Replacements in one file must not overlap. False with the reason (naming the file) when the texts
// would not fit, a file changed on disk since it was read, or a file cannot be written: then no file changed.
bool writeFileChange(FileChangeScratch& scratch, const FileChange* changes, int count, char* error,
                     size_t errorSize);
