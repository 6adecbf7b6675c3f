// tool_common.cpp - error reporting and atomic file output for qz001-tool.
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/qz001-tool/tool.h"

#include "base/atomic_file.h"

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

bool writeToolFile(const std::string& path, const std::function<bool(FILE*)>& write) {
    std::string error;
    if (writeFileAtomically(path, write, error)) return true;
    toolError("%s", error.c_str());
    return false;
}
