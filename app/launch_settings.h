// launch_settings.h - what the launcher answers: start or not, the size, and the four options.
#pragma once

#include <cstdint>

struct LaunchSettings {
    uint32_t start; // 1 when the launcher was closed with "Zarn"; 0 otherwise
    int32_t width;  // always 1280 once the launcher is gone
    int32_t height; // always 720
    uint8_t fullScreen;
    uint8_t vsync;
    uint8_t antialias;
    uint8_t music;
};
static_assert(sizeof(LaunchSettings) == 16, "LaunchSettings is a 16-byte record");
