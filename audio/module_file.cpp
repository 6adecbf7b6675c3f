// module_file.cpp - read the whole file, hand it to libopenmpt, say precisely what went wrong.
#include "audio/module_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <libopenmpt/libopenmpt.h>
#include <unistd.h>
#include <vector>

static void describeLocation(const char* path, char* where, size_t size) {
    char cwd[PATH_MAX];
    if (path[0] == '/' || !getcwd(cwd, sizeof cwd))
        std::snprintf(where, size, "%s", path);
    else
        std::snprintf(where, size, "%s (looked for in the working directory %s)", path, cwd);
}

openmpt_module* loadModuleFile(const char* path, char* error, size_t errorSize) {
    char where[PATH_MAX + 128];
    describeLocation(path, where, sizeof where);
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        std::snprintf(error, errorSize, "cannot open the music file %s: %s", where, std::strerror(errno));
        return nullptr;
    }
    std::vector<unsigned char> bytes;
    unsigned char chunk[65536];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    const bool readFailed = std::ferror(file);
    const int readErrno = errno;
    std::fclose(file);
    if (readFailed) {
        std::snprintf(error, errorSize, "cannot read the music file %s: %s", where, std::strerror(readErrno));
        return nullptr;
    }
    int code = 0;
    const char* message = nullptr;
    openmpt_module* mod = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr,
                                                             nullptr, nullptr, &code, &message, nullptr);
    if (!mod) {
        std::snprintf(error, errorSize, "cannot load the music file %s: %s", where,
                      message && message[0] ? message : "not a module libopenmpt can play");
        openmpt_free_string(message);
        return nullptr;
    }
    openmpt_free_string(message);
    openmpt_module_set_repeat_count(mod, 0); // play once: the end of the music ends the show
    return mod;
}

void freeModule(openmpt_module* mod) {
    if (mod) openmpt_module_destroy(mod);
}
