// music_levels.cpp - the installed spectrum source, and zeros without one.
#include "director/music_levels.h"

#include <cstring>

static SpectrumSource spectrumSource;

void setSpectrumSource(SpectrumSource source) {
    spectrumSource = source;
}

void querySpectrum(float* out, uint32_t count) {
    std::memset(out, 0, count * sizeof(float));
    if (spectrumSource.query && !spectrumSource.query(spectrumSource.user, out, count))
        std::memset(out, 0, count * sizeof(float));
}
