// atomic_file.h - writing a file so that it is either complete or absent.
//
//     std::string error;
//     bool ok = writeFileAtomically("out.png", [&](FILE* f) { return writePng(f, ...); }, error);
//     if (!ok) fprintf(stderr, "%s\n", error.c_str());   // "cannot write out.png: No space left on device"
//
// The bytes go to a temporary file beside the target, which is flushed to disk and renamed into place
// only when the writer returned true; on any failure the temporary is removed and the target is left as
// it was. The file gets the usual mode (0666 less the umask).
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

bool writeFileAtomically(const std::string& path, const std::function<bool(FILE*)>& write,
                         std::string& error);

// The whole of `bytes` as the file's content.
bool writeBytesAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

// A temporary name beside `path` that no other file has: "<path>.partial-XXXXXX", created empty and
// private; returns an open descriptor, or -1 with `error` set.
int createTemporaryBeside(const std::string& path, std::string& temp, std::string& error);
