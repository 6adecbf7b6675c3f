// music_energy.h - how loud the music is at each show frame, for the timeline: the module rendered once
// offline at the edit mode's start, the root mean square of each frame's samples (both channels).
//
//     static float energy[kShowFrameCount];
//     if (!loadShowEnergy(kMusicPath, energy, error, sizeof error)) ...   // the timeline draws none
#pragma once

#include <cstddef>
#include <cstdint>

#include "director/director_types.h"

// out[f] for f in 0..count-1: the RMS of interleaved stereo `stereo` (`sampleFrames` frames long) over
// show frame f's span; 0 past the samples' end.
void measureFrameEnergy(const float* stereo, uint64_t sampleFrames, float* out, int count);

bool loadShowEnergy(const char* musicPath, float out[kShowFrameCount], char* error, size_t errorSize);
