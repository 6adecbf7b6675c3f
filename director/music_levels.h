// music_levels.h - where the director reads the music's magnitude spectrum (ops spectrum and
// spectrumScaled).
//
// The music module installs a source once its player runs; with none installed, or when a query
// fails, every bin reads 0.
//
//     static bool query(void* player, float* out, uint32_t count) { ...; return true; }
//     setSpectrumSource(SpectrumSource{query, &player});
//
// `count` is 64, 128, 256 or 512; a query fills `count` magnitudes (lowest frequency first) of the
// most recent output, Blackman-windowed, and returns false when it has nothing to give.
#pragma once

#include <cstdint>

using SpectrumQueryFn = bool (*)(void* user, float* out, uint32_t count);

struct SpectrumSource {
    SpectrumQueryFn query; // nullptr = no music: zeros
    void* user;            // handed back to query
};

void setSpectrumSource(SpectrumSource source); // a zero SpectrumSource removes the source

// Fills out[0..count-1] from the installed source, or with zeros when there is none or it fails.
void querySpectrum(float* out, uint32_t count);
