// module_file.h - loading the show's XM module with libopenmpt, for live playback and offline rendering.
//
//     char error[512];
//     openmpt_module* mod = loadModuleFile("music/ZB_PALEWIRE.xm", error, sizeof error);
//     if (!mod) fprintf(stderr, "%s\n", error);  // names the file, where it was looked for, and why
//
// Only a regular file of at most kMaxModuleBytes is read (a link to /dev/zero or a named pipe is
// refused with a message). The module plays once (no repeat). A relative path is looked up in the working
// directory, then beside the program (SDL_GetBasePath); the message for a missing file names both places.
// Paths and messages are UTF-8 on every platform.
#pragma once

#include <cstddef>
#include <cstdint>

struct openmpt_module;

inline constexpr const char* kMusicPath = "music/ZB_PALEWIRE.xm";
inline constexpr int32_t kMusicSampleRate = 48000; // what the offline renderer and the default device use

// A module is far below this; anything larger (or anything but a regular file) is refused.
inline constexpr int64_t kMaxModuleBytes = 64ll << 20;

// The module, or null with `error` naming the file and the fault (quoting libopenmpt where it refused
// the file; libopenmpt itself prints nothing). `warning`, when given, is set to one line when the module
// loads but is of another format than XM, has a layout field no XM has (named), is cut short (also
// exactly where a section should begin; where it ends is said), or is silent for its first seconds
// where the show's music is heard; empty otherwise.
openmpt_module* loadModuleFile(const char* path, char* error, size_t errorSize, char* warning = nullptr,
                               size_t warningSize = 0);
void freeModule(openmpt_module* mod);
