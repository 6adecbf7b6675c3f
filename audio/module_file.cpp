// module_file.cpp - find the file (the working directory first, then beside the program), read it (a
// regular file of sane size only), hand it to libopenmpt, say precisely what went wrong, and warn about
// a module that is cut short or not an XM. Paths and messages are UTF-8 on every platform: on Windows
// they go through the wide calls.
#include "audio/module_file.h"

#include <SDL.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
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

//-----------------------------------------------------------------------------
// The XM layout: file header, patterns, instruments with their sample headers and sample data
//-----------------------------------------------------------------------------

// What a walk over the layout found. libopenmpt plays a file that ends early, or one with broken
// counts and sizes, without a word (silence where the data is missing), so the loader walks the
// layout itself: every section must begin and end inside the file, and every field that decides
// the layout must lie within what an XM can hold.
enum class XmLayout { whole, cutShort, broken };
struct XmWalk {
    XmLayout layout;
    char what[192]; // cutShort: where the file ends ("where instrument 2 should begin"); broken: the field
};

// The limits of the fields that place the sections (generous: what any tracker writes fits).
constexpr uint32_t kXmMaxHeaderSize = 4096;       // the file header's size field (276 in practice)
constexpr uint32_t kXmMaxChannels = 127;          //
constexpr uint32_t kXmMaxPatterns = 256;          //
constexpr uint32_t kXmMaxInstruments = 256;       //
constexpr uint32_t kXmMaxRows = 256;              // rows of a pattern
constexpr uint32_t kXmMaxPatternHeader = 1024;    // a pattern header's size field (9 in practice)
constexpr uint32_t kXmMaxInstrumentHeader = 4096; // an instrument header's size field (263 in practice)
constexpr uint32_t kXmMaxSamples = 32;            // samples of an instrument (16 in practice)
constexpr uint32_t kXmMaxSampleHeader = 1024;     // a sample header's size field (40 in practice)
constexpr int kXmCellBytes = 6;                   // a packed cell: a flag byte and at most five more

struct XmWalker {
    const unsigned char* d;
    uint64_t size;
    XmWalk walk;

    // True when bytes at..at+count lie in the file; otherwise notes where it ends.
    bool has(uint64_t at, uint64_t count, const char* section, uint32_t index) {
        if (at + count <= size) return true;
        walk.layout = XmLayout::cutShort;
        char name[64];
        std::snprintf(name, sizeof name, section, index);
        std::snprintf(walk.what, sizeof walk.what,
                      at >= size ? "where %s should begin" : "in the middle of %s", name);
        return false;
    }
    uint32_t field(uint64_t at, int bytes) const { return readLe(d + at, bytes); }
    // True when `value` lies in lo..hi; otherwise notes the broken field.
    bool legal(uint32_t value, uint32_t lo, uint32_t hi, const char* fieldName, uint32_t index) {
        if (value >= lo && value <= hi) return true;
        walk.layout = XmLayout::broken;
        char name[96];
        std::snprintf(name, sizeof name, fieldName, index);
        if (lo == hi)
            std::snprintf(walk.what, sizeof walk.what, "%s is %u (an XM's is %u)", name, value, lo);
        else
            std::snprintf(walk.what, sizeof walk.what, "%s is %u (an XM's lies in %u..%u)", name, value, lo,
                          hi);
        return false;
    }
};

static XmWalk walkXm(const unsigned char* d, uint64_t size) {
    XmWalker w = {d, size, {XmLayout::whole, ""}};
    if (!w.has(0, 80, "the file header", 0)) return w.walk;
    const uint32_t headerSize = w.field(60, 4), channels = w.field(68, 2);
    const uint32_t patterns = w.field(70, 2), instruments = w.field(72, 2);
    if (!w.legal(headerSize, 20, kXmMaxHeaderSize, "the header's size", 0) ||
        !w.legal(channels, 1, kXmMaxChannels, "the number of channels", 0) ||
        !w.legal(patterns, 0, kXmMaxPatterns, "the number of patterns", 0) ||
        !w.legal(instruments, 0, kXmMaxInstruments, "the number of instruments", 0) ||
        !w.has(80, 60 + headerSize - 80, "the file header's pattern order", 0))
        return w.walk;
    uint64_t at = 60 + headerSize;
    for (uint32_t p = 0; p < patterns; ++p) {
        if (!w.has(at, 9, "pattern %u", p)) return w.walk;
        const uint32_t length = w.field(at, 4), packing = w.field(at + 4, 1), rows = w.field(at + 5, 2);
        const uint32_t packed = w.field(at + 7, 2);
        if (!w.legal(length, 9, kXmMaxPatternHeader, "pattern %u's header size", p) ||
            !w.legal(packing, 0, 0, "pattern %u's packing type", p) ||
            !w.legal(rows, 1, kXmMaxRows, "pattern %u's number of rows", p) ||
            !w.legal(packed, 0, rows * channels * kXmCellBytes, "pattern %u's packed size", p) ||
            !w.has(at, (uint64_t)length + packed, "pattern %u", p))
            return w.walk;
        at += (uint64_t)length + packed;
    }
    for (uint32_t i = 0; i < instruments; ++i) {
        const uint32_t number = i + 1; // trackers count instruments from 1
        if (!w.has(at, 29, "instrument %u", number)) return w.walk;
        const uint32_t header = w.field(at, 4), samples = w.field(at + 27, 2);
        if (!w.legal(header, header == 0 ? 0 : 29, kXmMaxInstrumentHeader, "instrument %u's header size",
                     number) ||
            !w.legal(samples, 0, kXmMaxSamples, "instrument %u's number of samples", number))
            return w.walk;
        if (samples > 0 &&
            !w.legal(header, 33, kXmMaxInstrumentHeader, "instrument %u's header size", number))
            return w.walk;
        const uint32_t sampleHeader = samples ? w.field(at + 29, 4) : 0;
        if (samples &&
            !w.legal(sampleHeader, 40, kXmMaxSampleHeader, "instrument %u's sample header size", number))
            return w.walk;
        const uint64_t headers = at + (header ? header : 4);
        if (!w.has(headers, (uint64_t)samples * sampleHeader, "instrument %u's sample headers", number))
            return w.walk;
        uint64_t data = 0;
        for (uint32_t s = 0; s < samples; ++s) data += w.field(headers + s * sampleHeader, 4);
        at = headers + (uint64_t)samples * sampleHeader;
        if (data > 0 && !w.has(at, data, "instrument %u's sample data", number)) return w.walk;
        at += data;
    }
    return w.walk;
}

//-----------------------------------------------------------------------------
// Warnings: another format, a broken or cut-short layout, libopenmpt's own, a silent start
//-----------------------------------------------------------------------------

// The show's music is heard within its first second; a module silent for this long is not it.
constexpr double kSilentStartSeconds = 2.0;
constexpr float kSilentPeak = 0.001f; // -60 dB of full scale

// True when the module renders nothing above kSilentPeak in its first kSilentStartSeconds (a copy of
// the module is rendered, so the one returned still stands at its start).
static bool startsSilent(const std::vector<unsigned char>& bytes) {
    openmpt_module* probe =
        openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr,
                                           nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!probe) return false;
    float buffer[2 * 4800];
    float peak = 0;
    for (int32_t left = (int32_t)(kSilentStartSeconds * kMusicSampleRate); left > 0 && peak < kSilentPeak;) {
        const size_t n = openmpt_module_read_interleaved_float_stereo(
            probe, kMusicSampleRate, left < 4800 ? (size_t)left : 4800, buffer);
        if (n == 0) break;
        for (size_t i = 0; i < 2 * n; ++i) peak = std::max(peak, std::fabs(buffer[i]));
        left -= (int32_t)n;
    }
    openmpt_module_destroy(probe);
    return peak < kSilentPeak;
}

static void describeDamage(openmpt_module* mod, const std::vector<unsigned char>& bytes, const char* where,
                           char* warning, size_t warningSize) {
    const char* type = openmpt_module_get_metadata(mod, "type");
    const char* typeName = openmpt_module_get_metadata(mod, "type_long");
    const char* warnings = openmpt_module_get_metadata(mod, "warnings");
    const bool xm = !type || std::strcmp(type, "xm") == 0;
    const XmWalk walk = xm ? walkXm(bytes.data(), bytes.size()) : XmWalk{XmLayout::whole, ""};
    if (!xm) {
        std::snprintf(warning, warningSize,
                      "the music file %s is a %s module, not an XM: it may not play as the show expects",
                      where, typeName && typeName[0] ? typeName : type);
    } else if (walk.layout == XmLayout::broken) {
        std::snprintf(warning, warningSize,
                      "the music file %s is damaged: %s; part of the music may be missing", where, walk.what);
    } else if (walk.layout == XmLayout::cutShort) {
        std::snprintf(
            warning, warningSize,
            "the music file %s is cut short (it ends after %zu bytes, %s): part of the music is missing",
            where, bytes.size(), walk.what);
    } else if (warnings && warnings[0]) {
        std::snprintf(warning, warningSize, "the music file %s is damaged: %s", where, warnings);
    } else if (startsSilent(bytes)) {
        std::snprintf(
            warning, warningSize,
            "the music file %s is silent for its first %.0f s, where the show's music is heard from "
            "its start: it may be damaged",
            where, kSilentStartSeconds);
    }
    openmpt_free_string(type);
    openmpt_free_string(typeName);
    openmpt_free_string(warnings);
}

// libopenmpt's log lines while it reads the file, kept for our own message instead of its stderr.
static void keepLogLine(const char* message, void* user) {
    std::string& log = *static_cast<std::string*>(user);
    if (!message || !message[0]) return;
    if (!log.empty()) log += "; ";
    log += message;
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
    std::string log;
    openmpt_module* mod = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), keepLogLine, &log,
                                                             nullptr, nullptr, &code, &message, nullptr);
    if (!mod) {
        const std::string said = message && message[0] ? message : log;
        std::snprintf(error, errorSize, "cannot load the music file %s: %s%s", where,
                      said.empty() ? "not a module libopenmpt can play" : "libopenmpt says: ", said.c_str());
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
