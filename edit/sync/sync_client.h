// sync_client.h - the edit mode's side of the sync tracker protocol: a maker's sync editor (the server)
// drives the play head and the tracks over TCP. Non-blocking: each poll reads what has arrived, at most
// kSyncReadPerPoll bytes, and never waits; with no editor listening it tries again every two seconds.
//
//     SyncClient client = {};
//     static SyncTracks tracks;                        // nameSyncTracks first
//     startSyncClient(client, "127.0.0.1", 1338, {}, error);
//     SyncEvents e = pollSyncClient(client, tracks, nowMs);   // once a frame
//     if (e.seek) seekToRow(e.row);  if (e.pause) pause(e.paused);  if (e.save) save();
//     sendSyncRow(client, row);                        // the row the transport plays, when it changes
//
// The protocol, all integers unsigned 32-bit big-endian, a float as its IEEE-754 bits in one:
//   client: "hello, synctracker!"  editor: "hello, demo!"
//   client: GET_TRACK = 2, u32 length, name (once per track: the track's index on this connection)
//   editor: SET_KEY = 0, u32 track, u32 row, u32 value, u8 interpolation; DELETE_KEY = 1, u32 track,
//           u32 row; SET_ROW = 3, u32 row; PAUSE = 4, u8 (1 pause, 0 play); SAVE_TRACKS = 5
//   client: SET_ROW = 3, u32 row
// Anything the editor sends that breaks these rules closes the connection with a message naming it.
#pragma once

#include <cstdint>
#include <string>

#include "edit/sync/sync_tracks.h"

inline constexpr uint16_t kSyncDefaultPort = 1338;
inline constexpr uint32_t kSyncReadPerPoll = 8192;    // bytes taken from the socket in one poll at most
inline constexpr uint32_t kSyncSendCapacity = 32768;  // bytes waiting to be sent
inline constexpr uint32_t kSyncNameLengthLimit = 255; // a track name's bytes

struct SyncTimes {
    uint32_t retryMs;    // between tries to connect; 0 = 2000
    uint32_t greetingMs; // how long the editor may take to connect and greet; 0 = 5000
};

enum class SyncPhase : uint8_t {
    waiting,    // not connected: the next try at nextTryMs
    connecting, // the connection is being made
    greeting,   // connected, waiting for the editor's greeting
    connected,  // keys and rows flow
};

struct SyncClient {
    char host[256];
    uint16_t port;
    SyncTimes times;
    unsigned char address[128]; // where the editor listens, resolved once
    uint32_t addressLength;
    intptr_t socket; // -1 = none
    SyncPhase phase;
    uint64_t phaseStartMs; // when this phase began
    uint64_t nextTryMs;
    uint64_t nowMs;       // the last poll's time
    uint32_t tries;       // connections tried
    uint32_t connections; // connections greeted
    int32_t tracksAsked;  // GET_TRACKs sent on this connection
    int32_t lastRow;      // the editor's cursor as last sent or set; -1 = none yet
    unsigned char in[kSyncReadPerPoll + 16];
    uint32_t inLength;
    unsigned char out[kSyncSendCapacity];
    uint32_t outLength;
    uint32_t lastPollBytes; // bytes the last poll took from the socket (never above kSyncReadPerPoll)
    char status[320];       // what the panel shows: "connected to ...", "no sync editor at HOST:PORT"
    bool statusChanged;     // status is new since the caller last cleared this (print it once)
};

struct SyncEvents {
    bool seek; // the editor moved its cursor: go to `row`
    int32_t row;
    bool pause; // the editor paused or played: `paused`
    bool paused;
    bool save;        // the editor asked to save the tracks (keys that came after it wait for the next poll)
    bool closed;      // the connection closed in this poll (status says why)
    bool connected;   // the editor greeted in this poll: its keys for the tracks asked for come next
    bool keysChanged; // a key was set or deleted: the frame at the play head changes
};

// "HOST:PORT", "HOST" (port 1338), ":PORT" (host 127.0.0.1), "[V6]:PORT", "[V6]" or a bare IPv6
// address such as "::1" (port 1338); HOST is a name or an address. False with `error` naming the text.
bool parseSyncAddress(const char* text, std::string& host, uint16_t& port, char* error, size_t size);

// Resolves the editor's address (a name is looked up once, here); false with `error` where it cannot be.
// Nothing is connected until the first poll.
bool startSyncClient(SyncClient& client, const char* host, uint16_t port, SyncTimes times, char* error,
                     size_t size);

// Makes progress without waiting: connects, greets, asks for every track of `tracks`, applies the keys
// the editor sends to `tracks` (a new connection starts from no keys: call takeSentTracks on
// `connected`), and reports the rest. Cursor moves are taken together: the last one in a poll is the
// seek, and none when it is the row the editor was last told or set.
SyncEvents pollSyncClient(SyncClient& client, SyncTracks& tracks, uint64_t nowMs);

// Tells the editor the row the play head is in (while connected; a row already told is not sent again).
void sendSyncRow(SyncClient& client, int32_t row);
// The editor moved the cursor there itself: nothing to tell it.
void noteSyncRow(SyncClient& client, int32_t row);

void stopSyncClient(SyncClient& client);
