// sample_history.h - the last samples heard, and their spectrum: one ring used by the live music (fed
// from the audio callback) and by the offline capture (fed from the rendered module), so the picture
// reacts to the music the same way in both.
//
//     SampleHistory h = {};
//     historyWrite(h, stereo, frames);          // as the samples are played, oldest first
//     historySpectrum(h, heard, 256, bins);     // the 512 samples before sample `heard`
#pragma once

#include <cstdint>

inline constexpr uint32_t kHistoryFrames = 16384; // far more than a device buffer plus the largest window

struct SampleHistory {
    float ring[kHistoryFrames]; // left-channel samples: sample s at s % kHistoryFrames
    uint64_t written;           // samples written since the start
};

// Appends the left channel of `frames` interleaved stereo frames (the channel the spectrum nodes ask for).
void historyWrite(SampleHistory& h, const float* stereo, uint32_t frames);

// Copies the `count` samples before sample `end` into `out`; samples not written yet, already
// overwritten, or before the start read as silence.
void historyWindow(const SampleHistory& h, uint64_t end, uint32_t count, float* out);

// The spectrum (see frequency_bins.h) of the 2 x `bins` samples before sample `end` (see historyWindow).
bool historySpectrum(const SampleHistory& h, uint64_t end, uint32_t bins, float* out);
