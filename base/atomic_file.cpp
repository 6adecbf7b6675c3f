// atomic_file.cpp - temporary file, flush to disk, rename into place.
#include "base/atomic_file.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
static bool syncToDisk(FILE* file) {
    return _commit(_fileno(file)) == 0;
}
#else
#include <unistd.h>
static bool syncToDisk(FILE* file) {
    return fsync(fileno(file)) == 0;
}
#endif

bool writeTargetAtomically(const OutputTarget& target, const std::function<bool(FILE*)>& write,
                           std::string& error) {
    std::string temp;
    const int fd = createOutputTemporary(target, temp, error);
    if (fd < 0) return false;
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        error = "cannot write " + target.path + ": " + std::strerror(errno);
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
    if (!ok) {
        std::remove(temp.c_str());
        error = "cannot write " + target.path + ": " + (err ? std::strerror(err) : "write failed");
        return false;
    }
    return commitOutputTemporary(target, temp, error);
}

bool writeFileAtomically(const std::string& path, const std::function<bool(FILE*)>& write,
                         std::string& error) {
    OutputTarget target;
    if (!openOutputTarget(path, target, error)) return false;
    const bool ok = writeTargetAtomically(target, write, error);
    closeOutputTarget(target);
    return ok;
}

bool writeBytesAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    return writeFileAtomically(
        path, [&](FILE* f) { return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(); }, error);
}
