// console.h - where the show's messages and --stats go on Windows, where qz001.exe is a window
// program with no console of its own: to the console it was started from, unless its output is
// redirected already. Elsewhere it does nothing. Call first thing in main.
#pragma once

void attachParentConsole();
