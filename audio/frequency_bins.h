// frequency_bins.h - magnitude spectrum of a stretch of samples, as the spectrum nodes read it.
//
//     prepareSpectrum();                            // once, at start-up: the FFT plans of every size
//     float bins[256];
//     spectrumOf(samples + end - 512, 256, bins);   // the 512 samples before `end` give 256 bins
//
// `bins` magnitudes (64, 128, 256 or 512) spanning 0 Hz up to half the sample rate, taken from the
// 2 x `bins` samples given, Blackman-windowed and scaled so that a full-scale sine in the middle of a
// bin reads 1 there. The live music and the offline capture both use it, so the picture reacts to the
// music the same way in both.
#pragma once

#include <cstdint>

inline constexpr uint32_t kSpectrumMaxBins = 512;

// Allocates the FFT plans (also done by the first spectrumOf); nothing is allocated afterwards.
void prepareSpectrum();

// False (and `out` untouched) for a bin count other than 64, 128, 256 or 512.
bool spectrumOf(const float* samples, uint32_t bins, float* out);
