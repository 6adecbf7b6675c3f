// output_target.h - where a program's output goes: checked before any work is done, locked while it is
// written, replaced only by a complete file, and nothing left behind even by a run killed outright.
//
//     OutputTarget target;
//     std::string error;
//     if (!openOutputTarget("show.mp4", target, error)) { ... error ... }  // before the first frame
//     std::string temp;
//     int fd = createOutputTemporary(target, temp, error); // ".qz001-4711-1.partial" in the same folder
//     ... write to fd, close it ...
//     bool ok = commitOutputTemporary(target, temp, error); // renamed over "show.mp4"
//     closeOutputTarget(target);                            // the lock goes
//
// Only a regular file, or nothing, is ever replaced. A folder, named pipe, device or socket at the name
// is refused naming what it is, and so is a file the caller could not write (access W_OK), one that
// belongs to someone else in a sticky folder such as /tmp (the rename at the end would fail), and a
// name or path longer than the file system takes. A symbolic link to a regular file is written through:
// the file it names is replaced. The replacement keeps the replaced file's permission bits.
//
// Temporary names are short (the user's own name may be as long as the file system allows) and carry
// the process id: opening a target removes the temporaries of processes that are gone. The lock is an
// advisory one (flock) on a small hidden file in the same folder named after the output's name; a
// second program writing the same name is refused while the first runs, and a lock file nobody holds
// is removed by the next program that opens a target in that folder.
#pragma once

#include <string>

struct OutputTarget {
    std::string path;   // where the file goes: the name given, or the file a symbolic link names
    std::string folder; // the folder it is in
    bool exists;        // a regular file stands there now
    unsigned mode;      // permission bits the file gets: the replaced file's, else 0666 less the umask
    unsigned owner;     // the replaced file's owner and group, restored where the caller may (root)
    unsigned group;
    int lock;             // descriptor holding the advisory lock, -1 when none
    std::string lockPath; // the lock file
};

// Checks `path` as a file to write (see above), removes dead temporaries and lock files from its folder
// and takes the lock on its name. False with `error` ("cannot write PATH: it is a named pipe") when the
// output cannot be written, or another program holds the lock.
bool openOutputTarget(const std::string& path, OutputTarget& target, std::string& error);

// The same for a folder that receives many files (frames): it must exist and be writable; the lock is
// on the folder itself (a lock file inside it).
bool openOutputFolder(const std::string& folder, OutputTarget& target, std::string& error);

// Only the checks of openOutputTarget, without cleaning or locking: for the files written into a folder
// that openOutputFolder holds. Fills `target` (lock -1).
bool checkOutputName(const std::string& path, OutputTarget& target, std::string& error);

// A new empty temporary file in the target's folder, with the mode (and where allowed the owner) the
// output will have; an open descriptor, or -1 with `error` set.
int createOutputTemporary(const OutputTarget& target, std::string& temp, std::string& error);

// Renames the finished temporary over the target's path; on failure removes the temporary.
bool commitOutputTemporary(const OutputTarget& target, const std::string& temp, std::string& error);

// Releases the lock and removes its file. Safe on a target that was never opened or is already closed.
void closeOutputTarget(OutputTarget& target);

// What a file of mode `mode` is, as a message says it: "a folder", "a named pipe", "a character device".
const char* fileKindText(unsigned mode);
