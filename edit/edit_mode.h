// edit_mode.h - qz001 --edit: the same show for its makers. The frame is drawn as the player draws it,
// in a larger window with panels beside and below it (Dear ImGui): a transport (pause, step, seek by
// beat, bar and scene, loop), the timeline, where the play head is, what each node slot of the scene
// computes, the frame's outputs and the tracks the scene reads.
//
//     if (!openMusic(kMusicPath, startMs)) die(musicError());   // the music is the clock, heard or not
//     EditDesc desc = {};
//     desc.startMs = startMs;
//     EditEnd end = runEditMode(desc, error, sizeof error);
//
// The music plays silently on the wall clock with `silent` (--no-music), so the transport still runs.
// With `sync`, a sync editor (edit/sync_client.h) moves the play head, pauses and plays, drives the
// tracks it holds keys for and saves them into data/tracks.cpp.
#pragma once

#include <csignal>
#include <cstdint>
#include <string>

#include "render/gl_dialect.h"
#include "show/show_loop.h"

struct EditDesc {
    int32_t startMs; // where the play head starts
    bool silent;     // the music is not heard; its clock still runs
    bool noAntialias;
    bool noVsync;
    GlApi api;
    bool stats; // at the first frame, print the start-up step by step, at the end the frames drawn and
                // the frame rate, on stderr (--stats)
    double atMain, musicOpened; // seconds since exec when main began and when the music file was open
    const volatile sig_atomic_t* signal; // non-zero once SIGINT, SIGTERM or SIGHUP arrived (may be null)
    bool sync;                           // --sync: a sync editor at syncHost:syncPort drives the show
    const char* syncHost;
    uint16_t syncPort;
};

struct EditEnd {
    bool failed; // the edit mode could not start: `error` says why
    ShowEnd end; // else what ended it: Escape, the window closed, a signal
};

EditEnd runEditMode(const EditDesc& desc, char* error, size_t size);
