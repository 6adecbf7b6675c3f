// sample_history.cpp - one channel in a ring, and the window before a position.
#include "audio/sample_history.h"

#include "audio/frequency_bins.h"

void historyWrite(SampleHistory& h, const float* stereo, uint32_t frames) {
    for (uint32_t i = 0; i < frames; ++i) h.ring[(h.written + i) % kHistoryFrames] = stereo[2 * i];
    h.written += frames;
}

void historyWindow(const SampleHistory& h, uint64_t end, uint32_t count, float* out) {
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t s = end - count + i; // wraps below 0 into huge values, which fail the tests below
        const bool kept = end >= count - i && s < h.written && s + kHistoryFrames >= h.written;
        out[i] = kept ? h.ring[s % kHistoryFrames] : 0.0f;
    }
}

bool historySpectrum(const SampleHistory& h, uint64_t end, uint32_t bins, float* out) {
    if (bins > kSpectrumMaxBins) return false;
    float samples[2 * kSpectrumMaxBins];
    historyWindow(h, end, 2 * bins, samples);
    return spectrumOf(samples, bins, out);
}
