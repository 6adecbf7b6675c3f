// atomic_file.h - writing a file so that it is either complete or absent.
//
//     std::string error;
//     bool ok = writeFileAtomically("out.png", [&](FILE* f) { return writePng(f, ...); }, error);
//     if (!ok) fprintf(stderr, "%s\n", error.c_str());   // "cannot write out.png: No space left on device"
//
// The output is checked and locked first (output_target.h: only a regular file or nothing is replaced).
// The bytes go to a temporary file beside the target, which is flushed to disk and renamed into place
// only when the writer returned true; on any failure the temporary is removed and the target is left as
// it was. A new file gets the usual mode (0666 less the umask), a replaced one keeps its own.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/output_target.h"

bool writeFileAtomically(const std::string& path, const std::function<bool(FILE*)>& write,
                         std::string& error);

// The same into a target the caller has opened (checked, and locked while the caller needs it).
bool writeTargetAtomically(const OutputTarget& target, const std::function<bool(FILE*)>& write,
                           std::string& error);

// The whole of `bytes` as the file's content.
bool writeBytesAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

// One file of a change written to several files at once: its new bytes, and the bytes it holds now
// (put back if a later file of the change cannot be renamed into place).
struct FileBytes {
    std::string path;
    const uint8_t* bytes;
    size_t size;
    const uint8_t* was;
    size_t wasSize;
};
inline constexpr int kAtomicFileGroup = 8; // files one change writes at most

// All of the files or none: every target is checked and every temporary written first, then each is
// renamed into place; where one fails the files already renamed get their old bytes back. False with
// `failed` the index of the file at fault and `error` naming it.
bool writeFilesAtomically(const FileBytes* files, int count, int& failed, std::string& error);
