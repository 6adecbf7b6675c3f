// output_target_posix.cpp - the output checks on POSIX: the kind and access of what is at the path,
// the advisory lock, temporaries named with the process id (the next run removes a dead one's), the
// rename into place keeping the file's mode and owner.
#include "base/output_target.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/output_target_parts.h"

using namespace output_target_parts;

int output_target_parts::processId() {
    return (int)getpid();
}

//-----------------------------------------------------------------------------
// Checks (POSIX)
//-----------------------------------------------------------------------------

namespace {

mode_t processUmask() {
    if (FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found) return (mode_t)mask;
    }
    const mode_t mask = umask(022); // no /proc: read it by setting it back at once
    umask(mask);
    return mask;
}

// Why a path could not be looked at, as a person reads it.
std::string lookupProblem(const std::string& path, int err) {
    if (err == ENAMETOOLONG) {
        const std::string name = nameOfPath(path);
        const long nameMax = 255; // every file system the tools write to; pathconf needs the folder
        if ((long)name.size() > nameMax)
            return "the name is too long (" + std::to_string(name.size()) +
                   " characters; a file system takes " + std::to_string(nameMax) + ")";
        return "the path is too long (" + std::to_string(path.size()) + " characters; the system takes " +
               std::to_string(PATH_MAX - 1) + ")";
    }
    if (err == ENOTDIR) return "a part of the path is not a folder";
    return std::strerror(err);
}

bool checkFolder(const std::string& folder, const std::string& forPath, struct stat& st, std::string& error) {
    if (stat(folder.c_str(), &st) != 0) {
        error = cannotWrite(forPath, errno == ENOENT ? "folder " + folder + " does not exist"
                                                     : lookupProblem(folder, errno));
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        error = cannotWrite(forPath, folder + " is " + fileKindText(st.st_mode) + ", not a folder");
        return false;
    }
    if (access(folder.c_str(), W_OK) != 0) {
        error =
            cannotWrite(forPath, std::string("its folder cannot be written (") + std::strerror(errno) + ")");
        return false;
    }
    return true;
}

// Removes the temporaries of processes that are gone and the lock files nobody holds.
void removeDeadLeftovers(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    const size_t prefix = std::strlen(kTempPrefix), lockPrefix = std::strlen(kLockPrefix);
    while (dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strncmp(name, kTempPrefix, prefix) != 0) continue;
        const std::string path = folder + "/" + name;
        if (std::strncmp(name, kLockPrefix, lockPrefix) == 0) {
            const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
            if (fd < 0) continue;
            struct stat held, named;
            if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 &&
                lstat(path.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
                held.st_dev == named.st_dev)
                unlink(path.c_str());
            close(fd);
            continue;
        }
        char* end = nullptr;
        const long pid = std::strtol(name + prefix, &end, 10);
        if (pid <= 0 || *end != '-' || pid == processId()) continue;
        const size_t length = std::strlen(name);
        if (length < std::strlen(kTempSuffix) ||
            std::strcmp(name + length - std::strlen(kTempSuffix), kTempSuffix) != 0)
            continue;
        if (kill((pid_t)pid, 0) != 0 && errno == ESRCH) unlink(path.c_str());
    }
    closedir(dir);
}

uint64_t nameHash(const std::string& name) {
    uint64_t h = 1469598103934665603ull; // FNV-1a
    for (unsigned char c : name) h = (h ^ c) * 1099511628211ull;
    return h;
}

// "qz001-tool, process 4711" for the process whose id the lock file holds.
std::string lockHolder(int fd) {
    char text[32] = {};
    const ssize_t n = pread(fd, text, sizeof text - 1, 0);
    const long pid = n > 0 ? std::strtol(text, nullptr, 10) : 0;
    if (pid <= 0) return "another program";
    std::string name;
    if (FILE* comm = std::fopen(("/proc/" + std::to_string(pid) + "/comm").c_str(), "r")) {
        char line[64] = {};
        if (std::fgets(line, sizeof line, comm)) name = std::string(line, std::strcspn(line, "\n"));
        std::fclose(comm);
    }
    return "another program (" + (name.empty() ? "" : name + ", ") + "process " + std::to_string(pid) + ")";
}

// The advisory lock on `name` in `folder`: a lock file held with flock. A lock file may be removed by its
// holder (or a cleaner) between our open and our flock: then the lock we got is on a file nobody else
// can find, and we start over.
bool takeLock(const std::string& folder, const std::string& name, const std::string& forPath,
              OutputTarget& target, std::string& error) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", (unsigned long long)nameHash(name));
    target.lockPath = folder + "/" + kLockPrefix + hex;
    for (int attempt = 0; attempt < 100; ++attempt) {
        int fd = open(target.lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0 && errno == EACCES) // another user's lock file: flock needs only reading
            fd = open(target.lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) {
            error = cannotWrite(forPath, std::string("cannot take the lock on it: ") + std::strerror(errno));
            return false;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            error = cannotWrite(forPath, lockHolder(fd) + " is writing it");
            close(fd);
            return false;
        }
        struct stat held, named;
        if (fstat(fd, &held) == 0 && lstat(target.lockPath.c_str(), &named) == 0 &&
            held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
            const std::string pid = std::to_string(processId()) + "\n";
            if (ftruncate(fd, 0) == 0 && pwrite(fd, pid.data(), pid.size(), 0) < 0) {
                // The holder's name is only for messages.
            }
            target.lock = fd;
            return true;
        }
        close(fd);
    }
    error = cannotWrite(forPath, "cannot take the lock on it");
    return false;
}

} // namespace

bool checkOutputName(const std::string& given, OutputTarget& target, std::string& error) {
    target = OutputTarget{};
    target.lock = -1;
    std::string path = given;
    if (path.empty()) {
        error = "cannot write \"\": no file name given";
        return false;
    }
    if (path.back() == '/') {
        error = cannotWrite(path, "it names a folder, not a file");
        return false;
    }
    struct stat st;
    bool exists = lstat(path.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) {
        error = cannotWrite(path, lookupProblem(path, errno));
        return false;
    }
    if (exists && S_ISLNK(st.st_mode)) { // write through to the file the link names
        char resolved[PATH_MAX];
        if (stat(path.c_str(), &st) != 0 || !realpath(path.c_str(), resolved)) {
            error = cannotWrite(path, "it is a symbolic link to nothing that can be written");
            return false;
        }
        path = resolved;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        error = cannotWrite(path, std::string("it is ") + fileKindText(st.st_mode) +
                                      "; only a regular file is replaced");
        return false;
    }
    if (exists && access(path.c_str(), W_OK) != 0) {
        error = cannotWrite(path, std::string("the file is not writable (") + std::strerror(errno) + ")");
        return false;
    }
    const std::string folder = folderOfPath(path);
    struct stat folderSt;
    if (!checkFolder(folder, path, folderSt, error)) return false;
    // In a sticky folder (/tmp) only the file's owner, the folder's owner or root may replace it.
    const uid_t me = geteuid();
    if (exists && (folderSt.st_mode & S_ISVTX) && me != 0 && st.st_uid != me && folderSt.st_uid != me) {
        error = cannotWrite(path, "it belongs to another user, in the sticky folder " + folder);
        return false;
    }
    target.path = path;
    target.folder = folder;
    target.exists = exists;
    target.mode = exists ? (unsigned)(st.st_mode & 0777) : (unsigned)(0666 & ~processUmask());
    target.owner = exists ? (unsigned)st.st_uid : 0;
    target.group = exists ? (unsigned)st.st_gid : 0;
    return true;
}

bool openOutputTarget(const std::string& path, OutputTarget& target, std::string& error) {
    if (!checkOutputName(path, target, error)) return false;
    removeDeadLeftovers(target.folder);
    return takeLock(target.folder, nameOfPath(target.path), target.path, target, error);
}

bool openOutputFolder(const std::string& folder, OutputTarget& target, std::string& error) {
    target = OutputTarget{};
    target.lock = -1;
    struct stat st;
    if (!checkFolder(folder, folder + "/", st, error)) return false;
    target.path = target.folder = folder;
    removeDeadLeftovers(folder);
    return takeLock(folder, "/", folder + "/", target, error); // "/" is no file's name
}

int createOutputTemporary(const OutputTarget& target, std::string& temp, std::string& error) {
    static int counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        temp = target.folder + "/" + kTempPrefix + std::to_string(processId()) + "-" +
               std::to_string(++counter) + kTempSuffix;
        const int fd = open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    error = cannotWrite(target.path, std::strerror(errno));
    return -1;
}

bool commitOutputTemporary(const OutputTarget& target, const std::string& temp, std::string& error) {
    chmod(temp.c_str(), target.mode);
    if (target.exists && geteuid() == 0 && chown(temp.c_str(), target.owner, target.group) != 0) {
        // Root keeps the owner where the file system allows; the mode is kept either way.
    }
    if (std::rename(temp.c_str(), target.path.c_str()) == 0) return true;
    error = cannotWrite(target.path, std::strerror(errno));
    unlink(temp.c_str());
    return false;
}

void closeOutputTarget(OutputTarget& target) {
    if (target.lock < 0) return;
    unlink(target.lockPath.c_str()); // while still held: a waiting program then finds a new file
    close(target.lock);
    target.lock = -1;
}
