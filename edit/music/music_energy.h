// music_energy.h - how loud the music is at each show frame, for the timeline: the module rendered once
// offline when the edit mode starts (on a thread of its own: about a second), the root mean square of
// each frame's samples (both channels).
//
//     static ShowEnergy energy;
//     startShowEnergy(energy, kMusicPath);
//     if (const float* e = readyShowEnergy(energy)) ...   // null until measured (or when it failed)
//     stopShowEnergy(energy);                              // waits for the thread
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

#include "director/director_types.h"

// out[f] for f in 0..count-1: the RMS of interleaved stereo `stereo` (`sampleFrames` frames long) over
// show frame f's span; 0 past the samples' end.
void measureFrameEnergy(const float* stereo, uint64_t sampleFrames, float* out, int count);

bool loadShowEnergy(const char* musicPath, float out[kShowFrameCount], char* error, size_t errorSize);

struct ShowEnergy {
    float frames[kShowFrameCount];
    std::atomic<bool> ready; // frames holds the measure
    std::thread worker;
};

void startShowEnergy(ShowEnergy& e, const char* musicPath);
const float* readyShowEnergy(const ShowEnergy& e);
void stopShowEnergy(ShowEnergy& e);
