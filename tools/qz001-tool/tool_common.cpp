// tool_common.cpp - error reporting and atomic file output for qz001-tool.
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/qz001-tool/tool.h"

int toolExitCode = 0;

int toolError(const char* format, ...) {
    std::fputs("qz001-tool: ", stderr);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    return 1;
}

bool writeFileAtomically(const std::string& path, const std::function<bool(FILE*)>& write) {
    std::string temp = path + ".partial-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        toolError("cannot write %s: %s", path.c_str(), std::strerror(errno));
        return false;
    }
    // mkstemp creates the file for its owner only; give it the mode a plain fopen would.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        int err = errno;
        close(fd);
        unlink(temp.c_str());
        toolError("cannot write %s: %s", path.c_str(), std::strerror(err));
        return false;
    }
    bool ok = write(file);
    ok = (std::fflush(file) == 0) && ok && !std::ferror(file);
    int err = errno;
    if (std::fclose(file) != 0) ok = false;
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        unlink(temp.c_str());
        toolError("cannot write %s: %s", path.c_str(), err ? std::strerror(err) : "write failed");
    }
    return ok;
}
