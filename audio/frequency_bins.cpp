// frequency_bins.cpp - Blackman window, real FFT (kissfft), magnitudes scaled by the window's coherent gain.
#include "audio/frequency_bins.h"

#include <cmath>
#include <kiss_fftr.h>

namespace {

constexpr int kSizeCount = 4; // 64, 128, 256, 512 bins

struct SpectrumPlan {
    kiss_fftr_cfg fft;
    float window[2 * kSpectrumMaxBins];
    float scale; // 2 / sum of the window: a full-scale sine reads 1
};

SpectrumPlan plans[kSizeCount];
bool prepared;

int sizeIndex(uint32_t bins) {
    switch (bins) {
    case 64:
        return 0;
    case 128:
        return 1;
    case 256:
        return 2;
    case 512:
        return 3;
    default:
        return -1;
    }
}

} // namespace

void prepareSpectrum() {
    if (prepared) return;
    for (int i = 0; i < kSizeCount; ++i) {
        SpectrumPlan& plan = plans[i];
        const int n = 128 << i;
        plan.fft = kiss_fftr_alloc(n, 0, nullptr, nullptr);
        double sum = 0;
        for (int k = 0; k < n; ++k) {
            const double t = 2.0 * M_PI * k / (n - 1);
            plan.window[k] = (float)(0.42 - 0.5 * std::cos(t) + 0.08 * std::cos(2 * t));
            sum += plan.window[k];
        }
        plan.scale = (float)(2.0 / sum);
    }
    prepared = true;
}

bool spectrumOf(const float* samples, uint32_t bins, float* out) {
    const int index = sizeIndex(bins);
    if (index < 0) return false;
    prepareSpectrum();
    const SpectrumPlan& plan = plans[index];
    float windowed[2 * kSpectrumMaxBins];
    kiss_fft_cpx spectrum[kSpectrumMaxBins + 1];
    for (uint32_t k = 0; k < 2 * bins; ++k) windowed[k] = samples[k] * plan.window[k];
    kiss_fftr(plan.fft, windowed, spectrum);
    for (uint32_t k = 0; k < bins; ++k)
        out[k] = std::sqrt(spectrum[k].r * spectrum[k].r + spectrum[k].i * spectrum[k].i) * plan.scale;
    return true;
}
