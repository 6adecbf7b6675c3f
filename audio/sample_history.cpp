// sample_history.cpp - mono ring and the window before a position.
#include "audio/sample_history.h"

#include "audio/spectrum.h"

void historyWrite(SampleHistory& h, const float* stereo, uint32_t frames) {
    for (uint32_t i = 0; i < frames; ++i)
        h.ring[(h.written + i) % kHistoryFrames] = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
    h.written += frames;
}

bool historySpectrum(const SampleHistory& h, uint64_t end, uint32_t bins, float* out) {
    if (bins > kSpectrumMaxBins) return false;
    float samples[2 * kSpectrumMaxBins];
    const uint32_t n = 2 * bins;
    for (uint32_t i = 0; i < n; ++i) {
        const uint64_t s = end - n + i; // wraps below 0 into huge values, which fail the tests below
        const bool kept = end >= n - i && s < h.written && s + kHistoryFrames >= h.written;
        samples[i] = kept ? h.ring[s % kHistoryFrames] : 0.0f;
    }
    return spectrumOf(samples, bins, out);
}
