// console.h - where the show's messages and --stats go on Windows, where qz001.exe is a window
// program with no console of its own: to the console it was started from (switched to UTF-8 output
// while the show runs), unless its output is redirected already. Elsewhere it does nothing. Call
// attachParentConsole first thing in main, releaseParentConsole on the way out.
#pragma once

void attachParentConsole();

// Gives the console its own output code page back (on Windows; a no-op elsewhere and when none was
// attached). Also run at exit.
void releaseParentConsole();

// "qz001: <text>" on stderr; on Windows, when stderr goes nowhere (started from Explorer or a shortcut,
// with no console and no redirection), in a message box too, so that a bad option is not a silent failure.
void reportWithoutConsole(const char* text);
