// music.cpp - with a sound device, libopenmpt renders the module inside SDL's audio callback and the
// main thread reads the position and the last samples heard under the device lock. Under the dummy
// driver the main thread renders the module itself, paced by the wall clock, so the spectrum follows
// the position exactly.
#include "audio/music.h"

#include <SDL.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <libopenmpt/libopenmpt.h>
#include <string>
#include <unistd.h>

#include "audio/frequency_bins.h"
#include "audio/sample_history.h"
#include "director/music_levels.h"

namespace {

constexpr uint32_t kRenderChunk = 4096; // frames rendered at a time on the main thread
constexpr int kOrderCapacity = 256;     // orders kept for the edit mode (an XM has at most 256)
constexpr int kRowCapacity = 8192;      // rows kept for it, all orders together

// Where each row of the module's order list starts, for the edit mode's position display.
struct RowTable {
    int orders;                           // entries of the order list that play, in order
    int rows;                             // rows of all of them
    int32_t firstRow[kOrderCapacity + 1]; // each order's first row in startMs; firstRow[orders] = rows
    int32_t pattern[kOrderCapacity];
    int32_t startMs[kRowCapacity + 1]; // startMs[rows]: the module's end
};

struct MusicState {
    openmpt_module* mod;
    uint32_t durationMs;
    int32_t startMs; // where openMusic put the module
    SDL_AudioDeviceID device;
    uint32_t bufferFrames; // the device's buffer: written but not yet heard
    bool dummy;            // no sound card: the position follows the wall clock

    // Written by the callback under the device lock.
    uint64_t framesOut;     // every frame handed to the device, module and silence after it
    uint64_t endFrame;      // framesOut when the module ended; UINT64_MAX while it plays
    uint64_t callbackTicks; // performance counter at the last callback
    SampleHistory history;  // what was handed to the device, for the spectrum
    uint64_t historyBase;   // samples in the history before framesOut began (heard before a seek)

    // Main thread only.
    uint64_t startTicks;
    uint64_t lastHeard;              // keeps the position monotonic
    float scratch[2 * kRenderChunk]; // dummy driver: the module rendered on the main thread
};

MusicState music;
RowTable orders;
char errorText[1024];
bool silentAsked; // setMusicSilent: play on the wall clock whatever the device does

// Renders `frames` frames of the module (silence after its end) into `out` and the history.
void renderInto(float* out, uint32_t frames) {
    size_t done = 0;
    if (music.endFrame == UINT64_MAX)
        done = openmpt_module_read_interleaved_float_stereo(music.mod, kMusicSampleRate, frames, out);
    if (done < frames) {
        std::memset(out + 2 * done, 0, (frames - done) * 2 * sizeof(float));
        if (music.endFrame == UINT64_MAX) music.endFrame = music.framesOut + done;
    }
    historyWrite(music.history, out, frames);
    music.framesOut += frames;
}

void audioCallback(void*, Uint8* stream, int length) {
    float* out = reinterpret_cast<float*>(stream);
    const uint32_t frames = (uint32_t)length / (2 * sizeof(float));
    if (music.dummy) { // the main thread renders: the dummy device plays silence
        std::memset(out, 0, (size_t)length);
        return;
    }
    renderInto(out, frames);
    music.callbackTicks = SDL_GetPerformanceCounter();
}

bool fail(const char* format, const char* detail) {
    std::snprintf(errorText, sizeof errorText, format, detail);
    return false;
}

bool openDevice(const char* driver) {
    if (driver) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, driver, SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want = {}, have = {};
    want.freq = kMusicSampleRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = audioCallback;
    // No format changes allowed: SDL converts, so the spectrum bins mean the same frequencies live and
    // in a capture.
    music.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (music.device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    music.bufferFrames = have.samples;
    return true;
}

// A sound card or a sound server to talk to. Without either, asking SDL's drivers only fills stderr
// with the sound library's complaints before the dummy driver takes over anyway.
bool soundSystemPresent() {
#if defined(__EMSCRIPTEN__) || defined(_WIN32)
    return true; // the browser's Web Audio; Windows' own audio service
#endif
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string servers[] = {runtime ? std::string(runtime) + "/pulse/native" : std::string(),
                                   runtime ? std::string(runtime) + "/pipewire-0" : std::string()};
    for (const std::string& socket : servers)
        if (!socket.empty() && access(socket.c_str(), F_OK) == 0) return true;
    return access("/dev/snd", F_OK) == 0 || std::getenv("SDL_AUDIODRIVER") || std::getenv("PULSE_SERVER");
}

// Frames of the module heard since startMusic. Under the dummy driver the wall clock says, and the
// module is rendered up to there.
uint64_t framesHeard() {
    const double frequency = (double)SDL_GetPerformanceFrequency();
    if (music.dummy) {
        const uint64_t now = SDL_GetPerformanceCounter();
        const uint64_t heard = (uint64_t)((double)(now - music.startTicks) / frequency * kMusicSampleRate);
        while (music.framesOut < heard) {
            const uint64_t left = heard - music.framesOut;
            renderInto(music.scratch, (uint32_t)(left < kRenderChunk ? left : kRenderChunk));
        }
        return heard;
    }
    SDL_LockAudioDevice(music.device);
    const uint64_t out = music.framesOut, ticks = music.callbackTicks;
    SDL_UnlockAudioDevice(music.device);
    const uint64_t now = SDL_GetPerformanceCounter(); // after the lock: never before the callback's time
    if (out <= music.bufferFrames) return 0;
    const uint64_t consumed = out - music.bufferFrames;
    const uint64_t since = now > ticks ? (uint64_t)((double)(now - ticks) / frequency * kMusicSampleRate) : 0;
    const uint64_t heard = consumed + (since < music.bufferFrames ? since : music.bufferFrames);
    return heard < out ? heard : out;
}

// libopenmpt seeks only to the start of a row, and rounds up to the next one: seek to a row a little
// before `startMs`, then render the rest of the way and throw it away, so that the music starts at
// `startMs` itself (the first frame to play, not a frame or more later).
void seekExactly(int32_t startMs) {
    const double asked = startMs / 1000.0;
    const double row = openmpt_module_set_position_seconds(music.mod, asked > 0.5 ? asked - 0.5 : 0.0);
    if (row > asked) {
        music.startMs = (int32_t)(row * 1000.0 + 0.5);
        return;
    }
    uint64_t skip = (uint64_t)((asked - row) * kMusicSampleRate + 0.5);
    while (skip > 0) {
        const size_t chunk = skip < kRenderChunk ? (size_t)skip : kRenderChunk;
        const size_t n =
            openmpt_module_read_interleaved_float_stereo(music.mod, kMusicSampleRate, chunk, music.scratch);
        if (n == 0) break;
        skip -= n;
    }
    music.startMs = startMs;
}

} // namespace

void readMusicOrders() {
    orders = RowTable{};
    const int32_t count = openmpt_module_get_num_orders(music.mod);
    int n = 0, rows = 0;
    for (int32_t o = 0; o < count && n < kOrderCapacity; ++o) {
        const int32_t pattern = openmpt_module_get_order_pattern(music.mod, o);
        const int32_t patternRows = openmpt_module_get_pattern_num_rows(music.mod, pattern);
        if (patternRows <= 0) continue; // a skip or end marker
        if (rows + patternRows > kRowCapacity) break;
        orders.firstRow[n] = rows;
        orders.pattern[n] = pattern;
        for (int32_t r = 0; r < patternRows; ++r) {
            const double at = openmpt_module_set_position_order_row(music.mod, o, r);
            orders.startMs[rows++] = (int32_t)std::lround(at * 1000.0);
        }
        ++n;
    }
    orders.orders = n;
    orders.rows = rows;
    orders.firstRow[n] = rows;
    orders.startMs[rows] = (int32_t)music.durationMs;
    openmpt_module_set_position_seconds(music.mod, 0.0);
}

bool musicRowAt(int32_t positionMs, MusicRow& out) {
    if (orders.rows == 0 || positionMs < orders.startMs[0] || positionMs >= orders.startMs[orders.rows])
        return false;
    int low = 0, high = orders.rows - 1; // the last row that starts at or before positionMs
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        if (orders.startMs[mid] <= positionMs)
            low = mid;
        else
            high = mid - 1;
    }
    int o = 0;
    while (orders.firstRow[o + 1] <= low) ++o;
    out.order = o;
    out.pattern = orders.pattern[o];
    out.row = low - orders.firstRow[o];
    return true;
}

int musicOrderCount() {
    return orders.orders;
}

int32_t musicOrderStartMs(int order) {
    return order >= 0 && order <= orders.orders ? orders.startMs[orders.firstRow[order]] : 0;
}

void closeMusic() {
    if (music.device) {
        setSpectrumSource(SpectrumSource{});
        SDL_CloseAudioDevice(music.device); // waits for the callback to finish
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    freeModule(music.mod);
    music = MusicState{};
    orders = RowTable{};
}

bool openMusic(const char* path, int32_t startMs) {
    closeMusic();
    char warning[1024];
    music.mod = loadModuleFile(path, errorText, sizeof errorText, warning, sizeof warning);
    if (!music.mod) return false;
    if (warning[0]) std::fprintf(stderr, "qz001: warning: %s\n", warning);
    music.durationMs = (uint32_t)(openmpt_module_get_duration_seconds(music.mod) * 1000.0 + 0.5);
    if (startMs > 0) seekExactly(startMs);
    return true;
}

bool startMusic() {
    if (!music.mod) return fail("%s", "no music module is open");
    prepareSpectrum();
    music.endFrame = UINT64_MAX;
    const bool present = soundSystemPresent();
    SDL_ClearError();
    if (!present || !openDevice(nullptr)) {
        std::fprintf(stderr,
                     "qz001: no audio device (%s): the music is silent, the clock follows the wall clock\n",
                     present ? SDL_GetError() : "no sound card or sound server found");
        if (!openDevice("dummy"))
            return fail("cannot open even SDL's dummy audio driver: %s", SDL_GetError());
    }
    const char* driver = SDL_GetCurrentAudioDriver();
    music.dummy = silentAsked || (driver && std::strcmp(driver, "dummy") == 0);
    music.startTicks = SDL_GetPerformanceCounter();
    SDL_PauseAudioDevice(music.device, 0);
    setSpectrumSource(SpectrumSource{queryMusicSpectrum, nullptr});
    return true;
}

void seekMusic(int32_t positionMs) {
    if (!music.mod) return;
    if (music.device) SDL_LockAudioDevice(music.device);
    // The spectrum's window before the new position is rendered into a fresh history, so the spectrum
    // nodes hear the music at the new place at once, playing or paused.
    const int32_t lead = (int32_t)(2 * kSpectrumMaxBins * 1000 / kMusicSampleRate) + 1;
    const int32_t before = positionMs < lead ? positionMs : lead;
    seekExactly(positionMs - before);
    music.history = SampleHistory{};
    uint64_t left = (uint64_t)before * kMusicSampleRate / 1000;
    while (left > 0) {
        const size_t chunk = left < kRenderChunk ? (size_t)left : kRenderChunk;
        const size_t n =
            openmpt_module_read_interleaved_float_stereo(music.mod, kMusicSampleRate, chunk, music.scratch);
        if (n == 0) break;
        historyWrite(music.history, music.scratch, (uint32_t)n);
        left -= n;
    }
    music.startMs = positionMs;
    music.historyBase = music.history.written;
    music.framesOut = 0;
    music.endFrame = UINT64_MAX;
    music.lastHeard = 0;
    music.startTicks = music.callbackTicks = SDL_GetPerformanceCounter();
    if (music.device) SDL_UnlockAudioDevice(music.device);
}

void pauseMusic(bool paused) {
    if (music.device) SDL_PauseAudioDevice(music.device, paused ? 1 : 0);
}

void setMusicSilent(bool silent) {
    silentAsked = silent;
}

bool musicIsPlaying() {
    if (!music.device) return false;
    const uint64_t heard = framesHeard();
    SDL_LockAudioDevice(music.device);
    const uint64_t end = music.endFrame;
    SDL_UnlockAudioDevice(music.device);
    return end == UINT64_MAX || heard < end;
}

uint32_t musicPositionMs() {
    if (!music.device) return 0;
    uint64_t heard = framesHeard();
    if (heard < music.lastHeard) heard = music.lastHeard;
    music.lastHeard = heard;
    return (uint32_t)((uint64_t)music.startMs + heard * 1000 / kMusicSampleRate);
}

bool queryMusicSpectrum(void*, float* out, uint32_t count) {
    if (!music.device || count > kSpectrumMaxBins) return false;
    float samples[2 * kSpectrumMaxBins];
    SDL_LockAudioDevice(music.device); // copy under the lock, transform outside it
    historyWindow(music.history, music.historyBase + music.lastHeard, 2 * count, samples);
    SDL_UnlockAudioDevice(music.device);
    return spectrumOf(samples, count, out);
}

int32_t musicStartMs() {
    return music.startMs;
}

uint32_t musicDurationMs() {
    return music.durationMs;
}

const char* musicDriver() {
    const char* driver = music.device ? SDL_GetCurrentAudioDriver() : nullptr;
    return driver ? driver : "none";
}

const char* musicError() {
    return errorText;
}
