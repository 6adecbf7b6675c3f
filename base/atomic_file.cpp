// atomic_file.cpp - temporary file, flush to disk, rename into place.
#include "base/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

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

bool writeFileAtomically(const std::string& path, const std::function<bool(FILE*)>& write,
                         std::string& error) {
    std::string temp;
    int fd = createTemporaryBeside(path, temp, error);
    if (fd < 0) return false;
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        close(fd);
        unlink(temp.c_str());
        return false;
    }
    errno = 0;
    bool ok = write(file);
    ok = std::fflush(file) == 0 && ok && !std::ferror(file);
    ok = ok && fsync(fileno(file)) == 0;
    int err = errno;
    if (std::fclose(file) != 0) {
        if (ok) err = errno;
        ok = false;
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        unlink(temp.c_str());
        error = "cannot write " + path + ": " + (err ? std::strerror(err) : "write failed");
    }
    return ok;
}

bool writeBytesAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    return writeFileAtomically(
        path, [&](FILE* f) { return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(); }, error);
}
