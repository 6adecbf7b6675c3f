// tool_run.h - runs qz001-tool with arguments and captures its output and exit status.
#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>

struct ToolRun {
    int status;      // exit status, or -1 when the tool could not be started
    std::string out; // stdout and stderr together
};

inline ToolRun runTool(const std::string& args) {
    std::string command = std::string(QZ_TOOL_PATH) + " " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {-1, ""};
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) out.append(buffer, n);
    int raw = pclose(pipe);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

inline std::string tempPath(const std::string& name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/qz001-test-" + std::to_string(getpid()) + "-" + name;
}
