// offline_music.cpp - libopenmpt rendering from the start, fed frame by frame into a history.
#include "audio/offline_music.h"

#include <libopenmpt/libopenmpt.h>

#include "audio/module_file.h"
#include "director/director_types.h"

uint64_t offlineFrameOf(int32_t positionMs) {
    return (uint64_t)positionMs * kMusicSampleRate / 1000;
}

uint64_t offlineFrameAtShowFrame(int32_t frame) {
    return ((uint64_t)frame * kFramePeriodCentiMs * kMusicSampleRate / 1000 + 50) / 100;
}

bool renderOfflineMusic(const char* path, int32_t toMs, OfflineMusic& music, std::string& error) {
    char message[1024], warning[1024];
    openmpt_module* mod = loadModuleFile(path, message, sizeof message, warning, sizeof warning);
    if (!mod) {
        error = message;
        return false;
    }
    music.warning = warning;
    const uint64_t frames = offlineFrameOf(toMs);
    music.stereo.assign(2 * frames, 0.0f); // what the module does not fill stays silent
    uint64_t done = 0;
    while (done < frames) {
        const uint64_t chunk = frames - done < 8192 ? frames - done : 8192;
        const size_t n = openmpt_module_read_interleaved_float_stereo(mod, kMusicSampleRate, chunk,
                                                                      music.stereo.data() + 2 * done);
        if (n == 0) break;
        done += n;
    }
    freeModule(mod);
    music.history.written = 0;
    music.position = 0;
    return true;
}

void advanceOfflineMusic(OfflineMusic& music, uint64_t frame) {
    uint64_t target = frame;
    const uint64_t available = music.stereo.size() / 2;
    if (target > available) target = available;
    if (target <= music.position) return;
    historyWrite(music.history, music.stereo.data() + 2 * music.position,
                 (uint32_t)(target - music.position));
    music.position = target;
}

bool queryOfflineSpectrum(void* user, float* out, uint32_t count) {
    const OfflineMusic& music = *static_cast<const OfflineMusic*>(user);
    return historySpectrum(music.history, music.position, count, out);
}
