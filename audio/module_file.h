// module_file.h - loading the show's XM module with libopenmpt, for live playback and offline rendering.
//
//     char error[512];
//     openmpt_module* mod = loadModuleFile("music/ZB_PALEWIRE.xm", error, sizeof error);
//     if (!mod) fprintf(stderr, "%s\n", error);  // names the file, where it was looked for, and why
//
// The module plays once (no repeat). The path is used as given: a relative path is looked up in the
// working directory.
#pragma once

#include <cstddef>
#include <cstdint>

struct openmpt_module;

inline constexpr const char* kMusicPath = "music/ZB_PALEWIRE.xm";
inline constexpr int32_t kMusicSampleRate = 48000; // what the offline renderer and the default device use

openmpt_module* loadModuleFile(const char* path, char* error, size_t errorSize);
void freeModule(openmpt_module* mod);
