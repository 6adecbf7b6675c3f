// main.cpp - qz-music-gen: composes the show's soundtrack and writes it as an XM module.
//
//   qz-music-gen music/ZB_PALEWIRE.xm
//
// The output is the same, byte for byte, on every run. It is written under a temporary name in
// the same folder and renamed into place only when complete.
#include "base/atomic_file.h"
#include "song.h"
#include "xm.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "qz-music-gen: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-')
        return fail("usage: qz-music-gen OUTPUT.xm  (writes the show's music module to OUTPUT.xm)");
    std::string path = argv[1];

    std::fprintf(stderr, "qz-music-gen: synthesising samples and composing...\n");
    XmModule module = composeSong();
    std::string problem = xmValidate(module);
    if (!problem.empty()) return fail("the composed module is not valid: " + problem);
    std::vector<uint8_t> bytes = xmWriteModule(module);

    std::string error;
    if (!writeBytesAtomically(path, bytes, error)) return fail(error);
    std::fprintf(stderr, "qz-music-gen: wrote %s (%zu bytes, %zu patterns, %zu instruments)\n", path.c_str(),
                 bytes.size(), module.patterns.size(), module.instruments.size());
    return 0;
}
