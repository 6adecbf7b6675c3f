// module_file.cpp - read the file (a regular file of sane size only), hand it to libopenmpt, say
// precisely what went wrong, and warn about a module that is cut short or not an XM.
#include "audio/module_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <libopenmpt/libopenmpt.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#ifdef _WIN32
static bool isAbsolutePath(const char* path) {
    return path[0] == '/' || path[0] == '\\' || (path[0] && path[1] == ':');
}
static const int kOpenFlags = O_RDONLY | O_BINARY;
#else
static bool isAbsolutePath(const char* path) {
    return path[0] == '/';
}
static const int kOpenFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC; // a named pipe must not wait for a writer
#endif

static void describeLocation(const char* path, char* where, size_t size) {
    char cwd[PATH_MAX];
    if (isAbsolutePath(path) || !getcwd(cwd, sizeof cwd))
        std::snprintf(where, size, "%s", path);
    else
        std::snprintf(where, size, "%s (looked for in the working directory %s)", path, cwd);
}

static const char* fileKind(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISCHR(mode)) return "a character device";
#ifndef _WIN32
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
#endif
    return "not a regular file";
}

// Reads the whole of a regular file of at most kMaxModuleBytes.
static bool readModuleBytes(const char* path, const char* where, std::vector<unsigned char>& bytes,
                            char* error, size_t errorSize) {
    const int fd = open(path, kOpenFlags);
    if (fd < 0) {
        std::snprintf(error, errorSize, "cannot open the music file %s: %s", where, std::strerror(errno));
        return false;
    }
    struct stat st = {};
    const char* problem = nullptr;
    char sizeText[96];
    if (fstat(fd, &st) != 0) {
        problem = std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        std::snprintf(sizeText, sizeof sizeText, "it is %s, not a module file", fileKind(st.st_mode));
        problem = sizeText;
    } else if (st.st_size > kMaxModuleBytes) {
        std::snprintf(sizeText, sizeof sizeText, "it is %lld bytes, more than a module's %lld",
                      (long long)st.st_size, (long long)kMaxModuleBytes);
        problem = sizeText;
    }
    size_t got = 0;
    if (!problem) {
        bytes.resize((size_t)st.st_size);
        while (got < bytes.size()) {
            const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += (size_t)n;
        }
        if (got < bytes.size()) problem = got == 0 && errno ? std::strerror(errno) : "it shrank while read";
    }
    close(fd);
    if (problem) std::snprintf(error, errorSize, "cannot read the music file %s: %s", where, problem);
    return !problem;
}

static uint32_t readLe(const unsigned char* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

// Walks an XM file's header, patterns, instruments and samples; the offset where the last sample
// should end (more than `size` when the file was cut short).
static uint64_t xmExpectedSize(const unsigned char* d, uint64_t size) {
    auto field = [&](uint64_t at, int bytes) -> uint64_t {
        return at + (uint64_t)bytes <= size ? readLe(d + at, bytes) : 0;
    };
    if (size < 80) return 80;
    const uint32_t patterns = (uint32_t)field(70, 2), instruments = (uint32_t)field(72, 2);
    uint64_t at = 60 + field(60, 4);
    for (uint32_t p = 0; p < patterns && at < size; ++p) at += field(at, 4) + field(at + 7, 2);
    for (uint32_t i = 0; i < instruments && at < size; ++i) {
        const uint64_t header = field(at, 4);
        const uint32_t samples = (uint32_t)field(at + 27, 2);
        const uint64_t sampleHeader = samples ? field(at + 29, 4) : 0;
        uint64_t data = 0;
        for (uint32_t s = 0; s < samples; ++s) data += field(at + header + s * sampleHeader, 4);
        at += (header ? header : 4) + samples * sampleHeader + data;
    }
    return at;
}

static void describeDamage(openmpt_module* mod, const std::vector<unsigned char>& bytes, const char* where,
                           char* warning, size_t warningSize) {
    const char* type = openmpt_module_get_metadata(mod, "type");
    const char* typeName = openmpt_module_get_metadata(mod, "type_long");
    const char* warnings = openmpt_module_get_metadata(mod, "warnings");
    if (type && std::strcmp(type, "xm") != 0) {
        std::snprintf(warning, warningSize,
                      "the music file %s is a %s module, not an XM: it may not play as the show expects",
                      where, typeName && typeName[0] ? typeName : type);
    } else if (warnings && warnings[0]) {
        std::snprintf(warning, warningSize, "the music file %s is damaged: %s", where, warnings);
    } else if (xmExpectedSize(bytes.data(), bytes.size()) > bytes.size()) {
        std::snprintf(warning, warningSize,
                      "the music file %s is cut short (it ends after %zu bytes, in the middle of its data): "
                      "part of the music is missing",
                      where, bytes.size());
    }
    openmpt_free_string(type);
    openmpt_free_string(typeName);
    openmpt_free_string(warnings);
}

openmpt_module* loadModuleFile(const char* path, char* error, size_t errorSize, char* warning,
                               size_t warningSize) {
    char where[PATH_MAX + 128];
    describeLocation(path, where, sizeof where);
    if (warning && warningSize) warning[0] = 0;
    std::vector<unsigned char> bytes;
    if (!readModuleBytes(path, where, bytes, error, errorSize)) return nullptr;
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
    if (warning && warningSize) describeDamage(mod, bytes, where, warning, warningSize);
    openmpt_module_set_repeat_count(mod, 0); // play once: the end of the music ends the show
    return mod;
}

void freeModule(openmpt_module* mod) {
    if (mod) openmpt_module_destroy(mod);
}
