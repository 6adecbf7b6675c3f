// module_file.cpp - find the file (the working directory first, then beside the program), read it (a
// regular file of sane size only), hand it to libopenmpt, say precisely what went wrong, and warn about
// a module that is cut short or not an XM. Paths and messages are UTF-8 on every platform: on Windows
// they go through the wide calls.
#include "audio/module_file.h"

#include <SDL.h>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <libopenmpt/libopenmpt.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#ifdef _WIN32
#include <windows.h>

using FileStat = struct _stat64;

static bool isAbsolutePath(const char* path) {
    return path[0] == '/' || path[0] == '\\' || (path[0] && path[1] == ':');
}

static std::wstring widePath(const char* utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring wide(n > 0 ? (size_t)n : 1, L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), n);
    wide.resize(wide.size() - 1);
    return wide;
}

static int openFile(const char* path) {
    return _wopen(widePath(path).c_str(), O_RDONLY | O_BINARY);
}

static int statFile(const char* path, FileStat& st) {
    return _wstat64(widePath(path).c_str(), &st);
}

static int statOpenFile(int fd, FileStat& st) {
    return _fstat64(fd, &st);
}

static bool workingDirectory(std::string& out) {
    wchar_t wide[PATH_MAX];
    if (!_wgetcwd(wide, PATH_MAX)) return false;
    char utf8[PATH_MAX * 3];
    if (!WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr)) return false;
    out = utf8;
    return true;
}
#else
using FileStat = struct stat;

static bool isAbsolutePath(const char* path) {
    return path[0] == '/';
}

static int openFile(const char* path) {
    return open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC); // a named pipe must not wait for a writer
}

static int statFile(const char* path, FileStat& st) {
    return stat(path, &st);
}

static int statOpenFile(int fd, FileStat& st) {
    return fstat(fd, &st);
}

static bool workingDirectory(std::string& out) {
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return false;
    out = cwd;
    return true;
}
#endif

// The program's own folder without its last separator; empty when it cannot be told.
static std::string programFolder() {
    char* base = SDL_GetBasePath();
    std::string folder = base ? base : "";
    SDL_free(base);
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    return folder;
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

// What keeps `st` from being read as a module (into `text`), or null for a regular file of at most
// kMaxModuleBytes.
static const char* moduleFileProblem(const FileStat& st, char* text, size_t size) {
    if (!S_ISREG(st.st_mode)) {
        std::snprintf(text, size, "it is %s, not a module file", fileKind(st.st_mode));
        return text;
    }
    if (st.st_size > kMaxModuleBytes) {
        std::snprintf(text, size, "it is %lld bytes, more than a module's %lld", (long long)st.st_size,
                      (long long)kMaxModuleBytes);
        return text;
    }
    return nullptr;
}

// Reads the whole of a regular file of at most kMaxModuleBytes; `st` is what stat said of it. A folder,
// a device or a pipe is refused before it is opened, and again if the file opened is not the one seen.
static bool readModuleBytes(const char* path, const char* where, const FileStat& seen,
                            std::vector<unsigned char>& bytes, char* error, size_t errorSize) {
    char text[96];
    const char* problem = moduleFileProblem(seen, text, sizeof text);
    if (problem) {
        std::snprintf(error, errorSize, "cannot read the music file %s: %s", where, problem);
        return false;
    }
    const int fd = openFile(path);
    if (fd < 0) {
        std::snprintf(error, errorSize, "cannot open the music file %s: %s", where, std::strerror(errno));
        return false;
    }
    FileStat st = {};
    if (statOpenFile(fd, st) != 0)
        problem = std::strerror(errno);
    else
        problem = moduleFileProblem(st, text, sizeof text);
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

// The file `path` names: as given when absolute; a relative path in the working directory, else beside
// the program. `found` is the path to open, `where` the file and the places looked in, for messages.
// False with `error` set when there is no such file in either place.
static bool findModuleFile(const char* path, std::string& found, std::string& where, FileStat& st,
                           char* error, size_t errorSize) {
    found = path;
    where = path;
    if (isAbsolutePath(path)) {
        if (statFile(path, st) == 0) return true;
        std::snprintf(error, errorSize, "cannot open the music file %s: %s", path, std::strerror(errno));
        return false;
    }
    std::string cwd;
    std::string places = workingDirectory(cwd) ? "the working directory " + cwd : "";
    auto describe = [&] {
        where = places.empty() ? path : std::string(path) + " (looked for in " + places + ")";
    };
    if (statFile(path, st) == 0) {
        describe();
        return true;
    }
    const int cause = errno;
    const std::string folder = programFolder();
    if ((cause == ENOENT || cause == ENOTDIR) && !folder.empty() && folder != cwd) {
        const bool separated = folder.back() == '/' || folder.back() == '\\';
        const std::string beside = folder + (separated ? "" : "/") + path;
        if (statFile(beside.c_str(), st) == 0) {
            found = where = beside;
            return true;
        }
        if (errno != ENOENT && errno != ENOTDIR) {
            std::snprintf(error, errorSize, "cannot open the music file %s: %s", beside.c_str(),
                          std::strerror(errno));
            return false;
        }
        places += (places.empty() ? "" : " and ") + std::string("beside the program in ") + folder;
    }
    describe();
    std::snprintf(error, errorSize, "cannot open the music file %s: %s", where.c_str(), std::strerror(cause));
    return false;
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
    if (warning && warningSize) warning[0] = 0;
    std::string found, place;
    FileStat st = {};
    if (!findModuleFile(path, found, place, st, error, errorSize)) return nullptr;
    const char* where = place.c_str();
    std::vector<unsigned char> bytes;
    if (!readModuleBytes(found.c_str(), where, st, bytes, error, errorSize)) return nullptr;
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
