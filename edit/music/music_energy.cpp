// music_energy.cpp - the offline render and the sums per frame.
#include "edit/music/music_energy.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "audio/offline_music.h"
#include "director/demo_clock.h"

void measureFrameEnergy(const float* stereo, uint64_t sampleFrames, float* out, int count) {
    for (int f = 0; f < count; ++f) {
        const uint64_t begin = offlineFrameAtShowFrame(f), end = offlineFrameAtShowFrame(f + 1);
        double sum = 0;
        uint64_t n = 0;
        for (uint64_t i = begin; i < end && i < sampleFrames; ++i, ++n)
            sum += (double)stereo[2 * i] * stereo[2 * i] + (double)stereo[2 * i + 1] * stereo[2 * i + 1];
        out[f] = n ? (float)std::sqrt(sum / (2.0 * (double)n)) : 0.0f;
    }
}

bool loadShowEnergy(const char* musicPath, float out[kShowFrameCount], char* error, size_t errorSize) {
    OfflineMusic music; // once, at the start: the samples go when the energy is measured
    std::string failure;
    if (!renderOfflineMusic(musicPath, demoPositionOfFrame(kShowFrameCount), music, failure)) {
        std::snprintf(error, errorSize, "%s", failure.c_str());
        return false;
    }
    measureFrameEnergy(music.stereo.data(), music.stereo.size() / 2, out, kShowFrameCount);
    return true;
}

void startShowEnergy(ShowEnergy& e, const char* musicPath) {
    e.ready = false;
    e.worker = std::thread([&e, musicPath] {
        char error[1200];
        if (loadShowEnergy(musicPath, e.frames, error, sizeof error))
            e.ready = true;
        else
            std::fprintf(stderr, "qz001: the timeline shows no music: %s\n", error);
    });
}

const float* readyShowEnergy(const ShowEnergy& e) {
    return e.ready ? e.frames : nullptr;
}

void stopShowEnergy(ShowEnergy& e) {
    if (e.worker.joinable()) e.worker.join();
}
