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

namespace {

// The bytes `write` gives into a new temporary beside the target, flushed to disk; its name in `temp`.
bool writeTemporary(const OutputTarget& target, const std::function<bool(FILE*)>& write, std::string& temp,
                    std::string& error) {
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
    return true;
}

std::function<bool(FILE*)> bytesWriter(const uint8_t* bytes, size_t size) {
    return [bytes, size](FILE* f) { return std::fwrite(bytes, 1, size, f) == size; };
}

} // namespace

bool writeTargetAtomically(const OutputTarget& target, const std::function<bool(FILE*)>& write,
                           std::string& error) {
    std::string temp;
    return writeTemporary(target, write, temp, error) && commitOutputTemporary(target, temp, error);
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

bool writeFilesAtomically(const FileBytes* files, int count, int& failed, std::string& error) {
    failed = -1;
    if (count < 0 || count > kAtomicFileGroup) {
        error = "cannot write " + std::to_string(count) + " files as one change";
        return false;
    }
    OutputTarget targets[kAtomicFileGroup];
    std::string temps[kAtomicFileGroup];
    bool pending[kAtomicFileGroup] = {}, renamed[kAtomicFileGroup] = {};
    for (OutputTarget& t : targets) t.lock = -1;    // closed below whether opened or not
    for (int k = 0; k < count && failed < 0; ++k) { // every target checked, every temporary written
        if (!openOutputTarget(files[k].path, targets[k], error) ||
            !writeTemporary(targets[k], bytesWriter(files[k].bytes, files[k].size), temps[k], error))
            failed = k;
        else
            pending[k] = true;
    }
    for (int k = 0; k < count && failed < 0; ++k) { // then each renamed into place
        pending[k] = false;                         // renamed, or removed by the failed rename
        if (!commitOutputTemporary(targets[k], temps[k], error))
            failed = k;
        else
            renamed[k] = true;
    }
    for (int k = 0; k < count && failed >= 0; ++k) {
        if (pending[k]) std::remove(temps[k].c_str());
        std::string restoreError; // a file renamed before the failure gets its old bytes back
        if (renamed[k] &&
            !writeTargetAtomically(targets[k], bytesWriter(files[k].was, files[k].wasSize), restoreError))
            error += "; and " + files[k].path + " could not be put back: " + restoreError;
    }
    for (int k = 0; k < count; ++k) closeOutputTarget(targets[k]);
    return failed < 0;
}
