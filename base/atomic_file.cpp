// atomic_file.cpp - temporary file, flush to disk, rename into place.
#include "base/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

//-----------------------------------------------------------------------------
// Platform: the temporary file, the flush to disk, the rename over the target
//-----------------------------------------------------------------------------

#ifdef _WIN32

int createTemporaryBeside(const std::string& path, std::string& temp, std::string& error) {
    unsigned seed = (unsigned)GetTickCount() ^ (unsigned)GetCurrentProcessId() << 16;
    for (int attempt = 0; attempt < 100; ++attempt) {
        seed = seed * 1103515245u + 12345u;
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%06x", (seed >> 8) & 0xffffffu);
        temp = path + ".partial-" + suffix;
        const int fd = _open(temp.c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    error = "cannot write " + path + ": " + std::strerror(errno);
    return -1;
}

static bool syncToDisk(FILE* file) {
    return _commit(_fileno(file)) == 0;
}

// Replaces an existing target too (a plain rename does not on Windows).
static bool moveIntoPlace(const std::string& temp, const std::string& path) {
    if (MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    errno = EACCES;
    return false;
}

#else

// The process's umask, read without changing it (other threads may be creating files meanwhile).
static mode_t processUmask() {
    if (FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found) return (mode_t)mask;
    }
    const mode_t mask = umask(022);
    umask(mask);
    return mask;
}

int createTemporaryBeside(const std::string& path, std::string& temp, std::string& error) {
    temp = path + ".partial-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return -1;
    }
    // mkstemp creates the file for its owner only; give it the mode a plain fopen would.
    fchmod(fd, 0666 & ~processUmask());
    return fd;
}

static bool syncToDisk(FILE* file) {
    return fsync(fileno(file)) == 0;
}

static bool moveIntoPlace(const std::string& temp, const std::string& path) {
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

#endif

//-----------------------------------------------------------------------------
// Writing
//-----------------------------------------------------------------------------

bool writeFileAtomically(const std::string& path, const std::function<bool(FILE*)>& write,
                         std::string& error) {
    std::string temp;
    int fd = createTemporaryBeside(path, temp, error);
    if (fd < 0) return false;
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        close(fd);
        std::remove(temp.c_str());
        return false;
    }
    errno = 0;
    bool ok = write(file);
    ok = std::fflush(file) == 0 && ok && !std::ferror(file);
    ok = ok && syncToDisk(file);
    int err = errno;
    if (std::fclose(file) != 0) {
        if (ok) err = errno;
        ok = false;
    }
    if (ok && !moveIntoPlace(temp, path)) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        std::remove(temp.c_str());
        error = "cannot write " + path + ": " + (err ? std::strerror(err) : "write failed");
    }
    return ok;
}

bool writeBytesAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    return writeFileAtomically(
        path, [&](FILE* f) { return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(); }, error);
}
