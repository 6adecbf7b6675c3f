// music.h - the show's music: the module played once on the audio device, its position (the show's
// only clock) and its spectrum.
//
//     if (!openMusic(kMusicPath, 0)) die(musicError());   // before the show window: a missing file is fatal
//     ...                                                 // the rest of start-up
//     startMusic();                                       // the last start-up step
//     while (musicIsPlaying()) { uint32_t ms = musicPositionMs(); ... }
//
// The position is what the listener hears: the frames the device has consumed minus its buffer, in
// milliseconds since the start of the module, smoothed by the wall clock between two device callbacks,
// never going back. With no audio device SDL's dummy driver takes its place and the position follows
// the wall clock, so the show still plays at its speed, silently. startMusic also installs the spectrum
// source of the director's spectrum nodes (the last samples heard); without music it reads zeros.
#pragma once

#include <cstdint>

#include "audio/module_file.h"

// Loads the module (closing any open one first) and moves it to `startMs` (the start of the show's first
// frame to play). False with a message in musicError() that names the file; a module that loads but is
// cut short or not an XM gets one warning line on stderr and plays.
bool openMusic(const char* path, int32_t startMs);

// Stops the music and closes the device and the module (nothing is open afterwards).
void closeMusic();

// Opens the audio device (or the dummy driver) and plays the opened module from where openMusic put it.
bool startMusic();

// Moves the playing (or paused) music to `positionMs` exactly, as openMusic's start does; the spectrum
// then reads the samples just before the new position. The position counts on from there.
void seekMusic(int32_t positionMs);

// Stops (true) or resumes (false) the device: paused, nothing is heard. The position is not kept
// across a pause: resume with seekMusic(where) first.
void pauseMusic(bool paused);

// Before startMusic: play silently on the wall clock, as the dummy driver does, even where a device
// opens (a browser that refused sound: its device never asks for samples).
void setMusicSilent(bool silent);

// True until the module has played through and the device has played the last of it.
bool musicIsPlaying();

// Milliseconds of the module heard so far (counted from the module's start, not from startMs); 0
// before startMusic and without music.
uint32_t musicPositionMs();

// The module's order, pattern and row at a music position. False outside the module.
struct MusicRow {
    int32_t order;
    int32_t pattern;
    int32_t row;
};
bool musicRowAt(int32_t positionMs, MusicRow& out);
// Reads where each order starts, for musicRowAt; this moves the module to its start (seekMusic after).
void readMusicOrders();
int musicOrderCount();                // entries of the order list that play, in order
int32_t musicOrderStartMs(int order); // where each starts; musicOrderCount() gives the module's end

int32_t musicStartMs();     // where openMusic put the module
uint32_t musicDurationMs(); // of the opened module; 0 when none is open
const char* musicDriver();  // the SDL audio driver in use ("dummy" without a sound card)
const char* musicError();

// The spectrum source: `count` magnitudes of the 2 x `count` samples heard last (see frequency_bins.h).
bool queryMusicSpectrum(void* user, float* out, uint32_t count);
