// offline_music.h - the module rendered ahead of time for the capture: the samples of any span of the
// show, and the spectrum the picture reads at each frame, the same on every run.
//
//     OfflineMusic m = {};
//     if (!renderOfflineMusic(kMusicPath, toMs, m, error)) die(error);
//     m.stereo[2 * offlineFrameAtShowFrame(f) ...]    // interleaved stereo floats at kMusicSampleRate
//     setSpectrumSource(SpectrumSource{queryOfflineSpectrum, &m});
//     for each frame: advanceOfflineMusic(m, offlineFrameAtShowFrame(frame)); ... draw ...
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/sample_history.h"

struct OfflineMusic {
    std::vector<float> stereo; // from the module's start, kMusicSampleRate frames per second
    SampleHistory history;     // fed up to the current position, as the device would have played it
    uint64_t position;         // current position in frames
    std::string warning;       // the module is cut short or not an XM (empty when it is sound)
};

// Renders the module from its start up to `toMs` (silence after its end). False with a message naming
// the file; a module that loads but is damaged renders with `warning` set.
bool renderOfflineMusic(const char* path, int32_t toMs, OfflineMusic& music, std::string& error);

// The sample frame of a position in milliseconds.
uint64_t offlineFrameOf(int32_t positionMs);

// The sample frame at which show frame `frame` begins (frame x 16.66 ms, to the nearest sample).
uint64_t offlineFrameAtShowFrame(int32_t frame);

// Moves the position forward to sample frame `frame`, feeding the samples in between into the history.
void advanceOfflineMusic(OfflineMusic& music, uint64_t frame);

// The spectrum source of the capture: the samples before the current position.
bool queryOfflineSpectrum(void* music, float* out, uint32_t count);
