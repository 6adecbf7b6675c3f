// console.cpp - the console a window program was started from, on Windows.
#include "app/console.h"

#ifdef _WIN32
#include <cstdio>
#include <windows.h>

void attachParentConsole() {
    if (GetStdHandle(STD_ERROR_HANDLE) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
}
#else
void attachParentConsole() {}
#endif
