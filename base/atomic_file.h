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
