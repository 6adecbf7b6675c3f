// console.cpp - the console a window program was started from, on Windows.
#include "app/console.h"

#include <SDL.h>
#include <cstdio>

#ifdef _WIN32
#include <cstdlib>
#include <windows.h>

namespace {

bool outputSeen;         // stderr reaches a console, a file or a pipe
UINT parentCodePage = 0; // the attached console's output code page, while it is switched to UTF-8

} // namespace

void attachParentConsole() {
    if (GetStdHandle(STD_ERROR_HANDLE)) {
        outputSeen = true; // redirected by whoever started it: the bytes go there as they are (UTF-8)
        return;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    outputSeen = true;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
    // The messages are UTF-8 (paths from the wide calls): the console shows them as such.
    parentCodePage = GetConsoleOutputCP();
    if (parentCodePage == CP_UTF8 || !SetConsoleOutputCP(CP_UTF8)) parentCodePage = 0;
    std::atexit(releaseParentConsole);
}

void releaseParentConsole() {
    if (!parentCodePage) return;
    std::fflush(stdout);
    std::fflush(stderr);
    SetConsoleOutputCP(parentCodePage);
    parentCodePage = 0;
}

void reportWithoutConsole(const char* text) {
    std::fprintf(stderr, "qz001: %s\n", text);
    if (!outputSeen) SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "", text, nullptr);
}
#else
void attachParentConsole() {}

void releaseParentConsole() {}

void reportWithoutConsole(const char* text) {
    std::fprintf(stderr, "qz001: %s\n", text);
}
#endif
