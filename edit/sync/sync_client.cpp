// sync_client.cpp - the sync tracker protocol over a non-blocking TCP socket (sync_socket.h: BSD
// sockets on Linux, Winsock on Windows).
#include "edit/sync/sync_client.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/decimal_text.h"
#include "edit/session/source_scan.h"
#include "edit/sync/sync_socket.h"

namespace {

const char kClientGreeting[] = "hello, synctracker!"; // 19 bytes, no terminator on the wire
const char kEditorGreeting[] = "hello, demo!";        // 12 bytes
constexpr uint32_t kClientGreetingLength = sizeof kClientGreeting - 1;
constexpr uint32_t kEditorGreetingLength = sizeof kEditorGreeting - 1;

enum : uint8_t { kSetKey = 0, kDeleteKey = 1, kGetTrack = 2, kSetRow = 3, kPause = 4, kSaveTracks = 5 };

//-----------------------------------------------------------------------------
// The connection
//-----------------------------------------------------------------------------

uint32_t readU32(const unsigned char* p) {
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | (uint32_t)p[3];
}

// `format` takes the host, the port and `detail`; an IPv6 host is shown in brackets ("[::1]:1338").
void setStatus(SyncClient& c, const char* format, const char* detail = "") {
    char text[sizeof c.status], host[sizeof c.host + 2];
    std::snprintf(host, sizeof host, std::strchr(c.host, ':') ? "[%s]" : "%s", c.host);
    std::snprintf(text, sizeof text, format, host, (unsigned)c.port, detail);
    if (std::strcmp(text, c.status) != 0) {
        std::memcpy(c.status, text, sizeof text);
        c.statusChanged = true;
    }
}

// Closes the connection (the keys stay as they are) and tries again after the retry time.
void closeConnection(SyncClient& c, uint64_t nowMs, SyncEvents* events) {
    if (c.socket != kNoSocket) closeSocket(c.socket);
    c.socket = kNoSocket;
    c.phase = SyncPhase::waiting;
    c.nextTryMs = nowMs + c.times.retryMs;
    c.inLength = c.outLength = 0;
    c.tracksAsked = 0;
    if (events) events->closed = true;
}

// Closes because of what the editor sent or did; `why` names it.
void refuse(SyncClient& c, uint64_t nowMs, SyncEvents& events, const char* why) {
    setStatus(c, "closed the connection to the sync editor at %s:%u: %s", why);
    closeConnection(c, nowMs, &events);
}

bool flush(SyncClient& c) {
    uint32_t sent = 0;
    while (sent < c.outLength) {
        const int n =
            (int)send((Socket)c.socket, (const char*)c.out + sent, (int)(c.outLength - sent), kSendFlags);
        if (n > 0) {
            sent += (uint32_t)n;
            continue;
        }
        if (n < 0 && wouldBlock(lastSocketError())) break;
        return false;
    }
    std::memmove(c.out, c.out + sent, c.outLength - sent);
    c.outLength -= sent;
    return true;
}

bool queue(SyncClient& c, const void* bytes, uint32_t length) {
    if (c.outLength + length > sizeof c.out) return false;
    std::memcpy(c.out + c.outLength, bytes, length);
    c.outLength += length;
    return true;
}

bool queueU32(SyncClient& c, uint32_t v) {
    const unsigned char b[4] = {(unsigned char)(v >> 24), (unsigned char)(v >> 16), (unsigned char)(v >> 8),
                                (unsigned char)v};
    return queue(c, b, 4);
}

void startConnecting(SyncClient& c, uint64_t nowMs) {
    ++c.tries;
    c.phaseStartMs = nowMs;
    const sockaddr* address = (const sockaddr*)c.address;
    c.socket = (intptr_t)::socket(address->sa_family, SOCK_STREAM, IPPROTO_TCP);
    if (c.socket == kNoSocket || !makeNonBlocking(c.socket)) {
        setStatus(c, "no sync editor at %s:%u (cannot make a socket: %s)",
                  socketErrorText(lastSocketError()).text);
        closeConnection(c, nowMs, nullptr);
        return;
    }
    int on = 1;
    setsockopt((Socket)c.socket, IPPROTO_TCP, TCP_NODELAY, (const char*)&on, sizeof on);
    if (connect((Socket)c.socket, address, (int)c.addressLength) == 0 || wouldBlock(lastSocketError())) {
        c.phase = SyncPhase::connecting;
        return;
    }
    const int e = lastSocketError();
    if (isRefused(e))
        setStatus(c, "no sync editor at %s:%u");
    else
        setStatus(c, "no sync editor at %s:%u (%s)", socketErrorText(e).text);
    closeConnection(c, nowMs, nullptr);
}

// After the editor's greeting: every track asked for, in order (their indexes on this connection).
bool askForTracks(SyncClient& c, SyncTracks& tracks) {
    clearSyncKeys(tracks);
    for (int32_t i = 0; i < tracks.count; ++i) {
        const uint32_t length = (uint32_t)std::strlen(tracks.names[i]);
        if (length > kSyncNameLengthLimit) continue; // never: names are short; the limit is the protocol's
        const unsigned char command = kGetTrack;
        if (!queue(c, &command, 1) || !queueU32(c, length) || !queue(c, tracks.names[i], length))
            return false;
        c.tracksAsked = i + 1;
    }
    return true;
}

// The editor's track index and row, checked; false after refusing.
bool checkTrackRow(SyncClient& c, uint64_t nowMs, SyncEvents& e, uint32_t track, uint32_t row,
                   const char* what) {
    char why[160];
    if (track >= (uint32_t)c.tracksAsked) {
        std::snprintf(why, sizeof why, "%s for track %u, but only tracks 0..%d were asked for", what, track,
                      c.tracksAsked - 1);
        refuse(c, nowMs, e, why);
        return false;
    }
    if (row >= (uint32_t)kShowRowCount) {
        std::snprintf(why, sizeof why, "%s at row %u, past the show's last row %d", what, row,
                      kShowRowCount - 1);
        refuse(c, nowMs, e, why);
        return false;
    }
    return true;
}

// The bytes a command takes, its own byte included; 0 for a byte that is no command.
uint32_t commandSize(uint8_t command) {
    switch (command) {
    case kSetKey:
        return 14;
    case kDeleteKey:
        return 9;
    case kSetRow:
        return 5;
    case kPause:
        return 2;
    case kSaveTracks:
        return 1;
    default:
        return 0;
    }
}

// SET_KEY or DELETE_KEY at `p`, checked and taken; false when refused.
bool takeKeyCommand(SyncClient& c, SyncTracks& tracks, uint64_t nowMs, SyncEvents& e,
                    const unsigned char* p) {
    const uint8_t command = p[0];
    const uint32_t track = readU32(p + 1), row = readU32(p + 5);
    if (!checkTrackRow(c, nowMs, e, track, row, command == kSetKey ? "a key" : "a deletion")) return false;
    if (command == kDeleteKey) {
        deleteSyncKey(tracks, (int32_t)track, row);
        e.keysChanged = true;
        return true;
    }
    const uint32_t bits = readU32(p + 9);
    float value;
    std::memcpy(&value, &bits, 4);
    char why[160];
    if (!std::isfinite(value))
        std::snprintf(why, sizeof why, "a key for track %u row %u whose value is %s", track, row,
                      std::isnan(value) ? "not a number" : "infinite");
    else if (p[13] > kSyncLastInterpolation)
        std::snprintf(why, sizeof why, "a key for track %u row %u with interpolation %u (0..%u)", track, row,
                      (unsigned)p[13], (unsigned)kSyncLastInterpolation);
    else {
        setSyncKey(tracks, (int32_t)track, SyncKey{(uint16_t)row, p[13], value});
        e.keysChanged = true;
        return true;
    }
    refuse(c, nowMs, e, why);
    return false;
}

// SET_ROW at `p`: only the last of a poll's counts; false when refused.
bool takeRowCommand(SyncClient& c, uint64_t nowMs, SyncEvents& e, const unsigned char* p) {
    const uint32_t row = readU32(p + 1);
    if (row >= (uint32_t)kShowRowCount) {
        char why[160];
        std::snprintf(why, sizeof why, "a cursor at row %u, past the show's last row %d", row,
                      kShowRowCount - 1);
        refuse(c, nowMs, e, why);
        return false;
    }
    e.row = (int32_t)row;
    c.lastRow = (int32_t)row;
    return true;
}

// Applies the complete commands in `in`; false when one was refused (the connection is closed then).
bool takeCommands(SyncClient& c, SyncTracks& tracks, uint64_t nowMs, SyncEvents& e) {
    uint32_t at = 0;
    const int32_t rowBefore = c.lastRow;
    while (at < c.inLength) {
        const unsigned char* p = c.in + at;
        const uint32_t size = commandSize(p[0]);
        if (size == 0) {
            char why[160];
            std::snprintf(why, sizeof why, "unknown command byte %u", (unsigned)p[0]);
            refuse(c, nowMs, e, why);
            return false;
        }
        if (c.inLength - at < size) break;
        const bool taken = p[0] == kSetKey || p[0] == kDeleteKey ? takeKeyCommand(c, tracks, nowMs, e, p)
                           : p[0] == kSetRow                     ? takeRowCommand(c, nowMs, e, p)
                                                                 : true;
        if (!taken) return false;
        if (p[0] == kPause) e.pause = true, e.paused = p[1] != 0;
        at += size;
        if (p[0] == kSaveTracks) {
            e.save = true; // what follows waits for the next poll, so the save sees the keys before it
            break;
        }
    }
    std::memmove(c.in, c.in + at, c.inLength - at);
    c.inLength -= at;
    e.seek = c.lastRow != rowBefore;
    return true;
}

// Reads what has arrived, at most kSyncReadPerPoll bytes; false when the connection ended.
bool receive(SyncClient& c, uint64_t nowMs, SyncEvents& e) {
    uint32_t taken = 0;
    while (taken < kSyncReadPerPoll && c.inLength < sizeof c.in) {
        uint32_t room = (uint32_t)sizeof c.in - c.inLength;
        if (room > kSyncReadPerPoll - taken) room = kSyncReadPerPoll - taken;
        const int n = (int)recv((Socket)c.socket, (char*)c.in + c.inLength, (int)room, 0);
        if (n > 0) {
            c.inLength += (uint32_t)n;
            taken += (uint32_t)n;
            c.lastPollBytes = taken;
            continue;
        }
        if (n < 0 && wouldBlock(lastSocketError())) return true;
        if (n == 0)
            setStatus(c, "no sync editor at %s:%u (the editor closed the connection)");
        else
            setStatus(c, "no sync editor at %s:%u (the connection failed: %s)",
                      socketErrorText(lastSocketError()).text);
        closeConnection(c, nowMs, &e);
        return false;
    }
    return true;
}

} // namespace

//-----------------------------------------------------------------------------
// The client
//-----------------------------------------------------------------------------

bool parseSyncAddress(const char* text, std::string& host, uint16_t& port, char* error, size_t size) {
    const std::string s = text ? text : "";
    size_t colon = std::string::npos; // the one before the port, if any
    if (!s.empty() && s[0] == '[') {  // "[v6]" or "[v6]:PORT"
        const size_t close = s.find(']');
        if (close == std::string::npos || close == 1 || (close + 1 < s.size() && s[close + 1] != ':'))
            return editFail(error, size, "--sync %s: write an IPv6 address as [ADDRESS] or [ADDRESS]:PORT",
                            s.c_str());
        host = s.substr(1, close - 1);
        if (close + 1 < s.size()) colon = close + 1;
    } else {
        colon = s.find(':');
        if (colon != std::string::npos && s.find(':', colon + 1) != std::string::npos)
            colon = std::string::npos; // two colons or more: a bare IPv6 address, the default port
        host = colon == std::string::npos ? s : s.substr(0, colon);
    }
    if (host.empty()) host = "127.0.0.1";
    if (host.size() >= sizeof(SyncClient::host))
        return editFail(error, size, "--sync %s: the host name is too long", s.c_str());
    port = kSyncDefaultPort;
    if (colon == std::string::npos) return true;
    const std::string portText = s.substr(colon + 1);
    int64_t number = 0;
    const DecimalFault fault = readDecimal(portText.c_str(), 1, 65535, number);
    if (fault != DecimalFault::none)
        return editFail(error, size, "--sync %s: %s", s.c_str(),
                        decimalFaultText("the port", portText.c_str(), fault, 1, 65535, nullptr).c_str());
    port = (uint16_t)number;
    return true;
}

bool startSyncClient(SyncClient& c, const char* host, uint16_t port, SyncTimes times, char* error,
                     size_t size) {
    c.socket = kNoSocket;
    c.phase = SyncPhase::waiting;
    c.times.retryMs = times.retryMs ? times.retryMs : 2000;
    c.times.greetingMs = times.greetingMs ? times.greetingMs : 5000;
    c.lastRow = -1;
    std::snprintf(c.host, sizeof c.host, "%s", host);
    c.port = port;
    if (!startSockets()) return editFail(error, size, "cannot start the sockets for the sync editor");
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    char service[8];
    std::snprintf(service, sizeof service, "%u", (unsigned)port);
    addrinfo* found = nullptr;
    const int failed = getaddrinfo(host, service, &hints, &found);
    if (failed || !found || found->ai_addrlen > sizeof c.address) {
        editFail(error, size, "the sync editor's host %s is not known%s%s", host, failed ? ": " : "",
                 failed ? gai_strerror(failed) : "");
        if (found) freeaddrinfo(found);
        return false;
    }
    std::memcpy(c.address, found->ai_addr, found->ai_addrlen);
    c.addressLength = (uint32_t)found->ai_addrlen;
    freeaddrinfo(found);
    setStatus(c, "looking for a sync editor at %s:%u");
    return true;
}

namespace {

// A connection being made: true once it is made (the greeting is then on its way).
bool connectionMade(SyncClient& c, uint64_t nowMs) {
    int error = 0;
    const int done = connectOutcome(c.socket, error);
    if (done < 0) {
        if (isRefused(error))
            setStatus(c, "no sync editor at %s:%u");
        else
            setStatus(c, "no sync editor at %s:%u (%s)", socketErrorText(error).text);
        closeConnection(c, nowMs, nullptr);
        return false;
    }
    if (done == 0) {
        if (nowMs - c.phaseStartMs > c.times.greetingMs) {
            setStatus(c, "no sync editor at %s:%u (the connection was not made in time)");
            closeConnection(c, nowMs, nullptr);
        }
        return false;
    }
    c.phase = SyncPhase::greeting;
    queue(c, kClientGreeting, kClientGreetingLength);
    return true;
}

// The editor's greeting: true once it is whole and right, the track names asked for.
bool greeted(SyncClient& c, SyncTracks& tracks, uint64_t nowMs, SyncEvents& e) {
    const uint32_t n = c.inLength < kEditorGreetingLength ? c.inLength : kEditorGreetingLength;
    char why[96];
    if (std::memcmp(c.in, kEditorGreeting, n) != 0) {
        char seen[16] = {};
        for (uint32_t i = 0; i < n && i < 12; ++i)
            seen[i] = c.in[i] >= 32 && c.in[i] < 127 ? (char)c.in[i] : '?';
        std::snprintf(why, sizeof why, "its greeting \"%s\" is not \"%s\"", seen, kEditorGreeting);
        refuse(c, nowMs, e, why);
        return false;
    }
    if (n < kEditorGreetingLength) {
        std::snprintf(why, sizeof why, "no greeting within %.1f s", c.times.greetingMs / 1000.0);
        if (nowMs - c.phaseStartMs > c.times.greetingMs) refuse(c, nowMs, e, why);
        return false;
    }
    std::memmove(c.in, c.in + n, c.inLength - n);
    c.inLength -= n;
    c.phase = SyncPhase::connected;
    ++c.connections;
    c.lastRow = -1;
    if (!askForTracks(c, tracks) || !flush(c)) {
        refuse(c, nowMs, e, "it does not take the track names");
        return false;
    }
    setStatus(c, "connected to the sync editor at %s:%u");
    e.connected = true;
    return true;
}

} // namespace

SyncEvents pollSyncClient(SyncClient& c, SyncTracks& tracks, uint64_t nowMs) {
    SyncEvents e = {};
    c.nowMs = nowMs;
    c.lastPollBytes = 0;
    if (c.addressLength == 0) return e; // not started
    if (c.phase == SyncPhase::waiting) {
        if (nowMs < c.nextTryMs) return e;
        startConnecting(c, nowMs);
        if (c.phase == SyncPhase::waiting) return e;
    }
    if (c.phase == SyncPhase::connecting && !connectionMade(c, nowMs)) return e;
    if (!flush(c)) {
        setStatus(c, "no sync editor at %s:%u (the connection failed: %s)",
                  socketErrorText(lastSocketError()).text);
        closeConnection(c, nowMs, &e);
        return e;
    }
    if (!receive(c, nowMs, e)) return e;
    if (c.phase == SyncPhase::greeting && !greeted(c, tracks, nowMs, e)) return e;
    takeCommands(c, tracks, nowMs, e);
    return e;
}

void sendSyncRow(SyncClient& c, int32_t row) {
    if (c.phase != SyncPhase::connected || row == c.lastRow || row < 0 || row >= kShowRowCount) return;
    const unsigned char command = kSetRow;
    if (!queue(c, &command, 1) || !queueU32(c, (uint32_t)row) || !flush(c)) {
        SyncEvents ignored = {};
        refuse(c, c.nowMs, ignored, "it does not read what it is sent");
        return;
    }
    c.lastRow = row;
}

void noteSyncRow(SyncClient& c, int32_t row) {
    c.lastRow = row;
}

void stopSyncClient(SyncClient& c) {
    if (c.socket != kNoSocket && c.addressLength) closeSocket(c.socket);
    c.socket = kNoSocket;
    c.phase = SyncPhase::waiting;
    c.addressLength = 0;
}
