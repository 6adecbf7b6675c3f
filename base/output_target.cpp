// output_target.cpp - what both platforms' output checks share: names and messages. The checks, the
// lock, the temporaries and the rename into place are output_target_posix.cpp and
// output_target_windows.cpp.
#include "base/output_target.h"

#include <sys/stat.h>

#include "base/output_target_parts.h"

namespace output_target_parts {

std::string folderOfPath(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOfPath(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string cannotWrite(const std::string& path, const std::string& why) {
    const size_t end = 100;
    if (path.size() <= 2 * end + 3) return "cannot write " + path + ": " + why;
    return "cannot write " + path.substr(0, end) + "..." + path.substr(path.size() - end) + ": " + why;
}

} // namespace output_target_parts

const char* fileKindText(unsigned mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISREG(mode)) return "a regular file";
    if (S_ISCHR(mode)) return "a character device";
#ifndef _WIN32
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISLNK(mode)) return "a symbolic link";
#endif
    return "not a regular file";
}
