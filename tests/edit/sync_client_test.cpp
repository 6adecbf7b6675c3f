// The sync client against a sync editor of the tests' own over loopback: the greeting, a request for
// every track, keys that drive trackSample as the four formulas say, rows both ways, pause, save, and
// every kind of hostile input refused with the connection closed and the keys before it kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <string>

#include "data/scene_data.h"
#include "edit/sync/sync_client.h"
#include "tests/director/graph_fixture.h"
#include "tests/edit/sync_peer.h"

namespace {

SyncTracks tracks; // large: one for the whole suite

struct Session {
    SyncClient client = {};
    SyncPeer peer;
    uint64_t now = 1000; // the client's clock, moved by the test alone
    SyncEvents last = {};
    SyncEvents all = {}; // every event since the last clear, or'ed

    explicit Session(SyncTimes times = {}) {
        nameSyncTracks(tracks, trackNames);
        char error[512] = "";
        EXPECT_TRUE(startSyncClient(client, "127.0.0.1", peer.port, times, error, sizeof error)) << error;
    }
    ~Session() { stopSyncClient(client); }

    void poll() {
        last = pollSyncClient(client, tracks, now);
        all.seek |= last.seek, all.pause |= last.pause, all.save |= last.save, all.closed |= last.closed;
        if (last.seek) all.row = last.row;
        if (last.pause) all.paused = last.paused;
        peer.accepted();
        peer.read();
    }
    // Polls both sides until `done` holds. Only a hang ends it otherwise (a failure, after 20 s).
    bool until(const std::function<bool()>& done) {
        const auto start = std::chrono::steady_clock::now();
        while (!done()) {
            poll();
            if (std::chrono::steady_clock::now() - start > std::chrono::seconds(20)) {
                ADD_FAILURE() << "waited in vain; client status: " << client.status;
                return false;
            }
        }
        return true;
    }
    // Connects, greets and waits for every GET_TRACK.
    void connect() {
        ASSERT_TRUE(until([&] { return peer.accepted() && peer.received.size() >= 19; }));
        peer.greet();
        ASSERT_TRUE(until([&] { return client.phase == SyncPhase::connected; }));
        std::string greeting;
        std::vector<std::string> names;
        std::vector<uint32_t> rows;
        ASSERT_TRUE(until([&] {
            names.clear(), rows.clear();
            return peer.decode(greeting, names, rows) && (int)names.size() == tracks.count;
        }));
        EXPECT_EQ(greeting, "hello, synctracker!");
    }
    // Sends `bytes`, then waits until the client has read them (a DELETE of row 0 on track 0 after them
    // is a marker: it is the only way to know they were taken, as the editor would not know either).
    void sendAndTake(const std::vector<uint8_t>& bytes) {
        std::vector<uint8_t> b = bytes;
        b.push_back(4), b.push_back(0); // PAUSE 0, a marker the test sees as an event
        all = {};
        peer.send(b);
        until([&] { return all.pause || client.phase != SyncPhase::connected; });
    }
};

// The value trackSample gives (hundredths) for `track` at `frame`, through the director's own operation.
TrackPoint sampled(int32_t track, float frame) {
    TestGraph g;
    for (int t = 0; t < kTrackCount; ++t) g.tracks[t] = embeddedTracks[t];
    g.data(10, {{frame, 0, 0, 0}});
    g.slot(0, kOpTrackSample, {10}, {(float)track, 1, 0, 0}, 1);
    g.evaluate();
    return TrackPoint{g.at(0, 0).x * 100, g.at(0, 0).y * 100, g.at(0, 0).z * 100};
}

// The four interpolations as the protocol defines them, at row r between keys (r0, v0) and (r1, v1).
double formula(uint8_t interpolation, double r, double r0, double v0, double r1, double v1) {
    double t = (r - r0) / (r1 - r0);
    if (interpolation == 0) t = 0;
    if (interpolation == 2) t = t * t * (3 - 2 * t);
    if (interpolation == 3) t = t * t;
    return v0 + (v1 - v0) * t;
}

} // namespace

TEST(SyncClient, GreetsAsksForEveryTrackAndFollowsTheEditor) {
    Session s;
    s.connect();
    EXPECT_EQ(tracks.count, 3 * (trackNames.last + 1));
    std::string greeting;
    std::vector<std::string> names;
    std::vector<uint32_t> rows;
    ASSERT_TRUE(s.peer.decode(greeting, names, rows));
    EXPECT_EQ(names[0], "Given:x");
    EXPECT_EQ(names[5], "DropIntro:z");
    EXPECT_EQ(names[3 * 10 + 1], "PanelSlide:y");
    EXPECT_TRUE(std::string(s.client.status).find("connected") != std::string::npos) << s.client.status;

    // Keys on PanelSlide:y (track 10, y), each interpolation in turn: trackSample follows the formula
    // at fractional rows, and the other components keep the show's own curve.
    driveTracksFrom(&tracks);
    const int32_t index = 3 * 10 + 1;
    for (uint8_t interpolation = 0; interpolation <= 3; ++interpolation) {
        s.sendAndTake(SyncPeer::keyBytes(index, 10, 250.0f, interpolation));
        s.sendAndTake(SyncPeer::keyBytes(index, 30, -50.0f, 1));
        for (float frame : {0.0f, 72.0f, 80.0f, 100.5f, 150.0f, 215.0f, 216.0f, 400.0f}) {
            const double row = frame / 7.2;
            const double want = row <= 10   ? 250
                                : row >= 30 ? -50
                                            : formula(interpolation, row, 10, 250, 30, -50);
            const TrackPoint p = sampled(10, frame);
            EXPECT_NEAR(p.y, want, 1e-3) << "interpolation " << (int)interpolation << " frame " << frame;
            const TrackPoint own = sampleTrack(embeddedTracks[10], (uint32_t)std::lround(frame));
            EXPECT_NEAR(p.x, own.x, 1e-4) << "x is not driven";
        }
    }
    // A deleted key: one key left, held everywhere; both deleted, the show's own y again.
    s.sendAndTake({1, 0, 0, 0, (uint8_t)index, 0, 0, 0, 30});
    EXPECT_NEAR(sampled(10, 400).y, 250, 1e-3);
    s.sendAndTake({1, 0, 0, 0, (uint8_t)index, 0, 0, 0, 10});
    EXPECT_NEAR(sampled(10, 400).y, sampleTrack(embeddedTracks[10], 400).y, 1e-4);
    driveTracksFrom(nullptr);

    // The editor's cursor and pause.
    s.all = {};
    s.peer.setRow(100);
    s.until([&] { return s.all.seek; });
    EXPECT_EQ(s.all.row, 100);
    EXPECT_EQ(rowFirstFrame(100), 720); // 7.2 r
    EXPECT_EQ(rowFirstFrame(1), 8);     // 7.2 rounded up: the first frame inside the row
    EXPECT_EQ(rowOfFrame(rowFirstFrame(1087)), 1087);
    s.all = {};
    s.peer.pause(true);
    s.until([&] { return s.all.pause; });
    EXPECT_TRUE(s.all.paused);
    s.all = {};
    s.peer.pause(false);
    s.until([&] { return s.all.pause; });
    EXPECT_FALSE(s.all.paused);

    // The client's rows: each new row once, not the row the editor just set.
    noteSyncRow(s.client, 100);
    sendSyncRow(s.client, 100);
    sendSyncRow(s.client, 101);
    sendSyncRow(s.client, 101);
    sendSyncRow(s.client, 102);
    rows.clear();
    s.until([&] {
        names.clear(), rows.clear();
        return s.peer.decode(greeting, names, rows) && rows.size() >= 2;
    });
    s.poll();
    names.clear(), rows.clear();
    s.peer.decode(greeting, names, rows);
    EXPECT_EQ(rows, (std::vector<uint32_t>{101, 102}));

    // SAVE_TRACKS, with a key right behind it: the save is reported before that key is taken.
    s.all = {};
    std::vector<uint8_t> b = {5};
    const std::vector<uint8_t> key = SyncPeer::keyBytes(0, 5, 1.0f, 1);
    b.insert(b.end(), key.begin(), key.end());
    s.peer.send(b);
    s.until([&] { return s.all.save; });
    EXPECT_EQ(tracks.tracks[0].count, 0u);
    s.until([&] { return tracks.tracks[0].count == 1; });
}

// A flood of commands is taken a bounded part a poll: no frame waits for all of it.
TEST(SyncClient, TakesAFloodInBoundedParts) {
    Session s;
    s.connect();
    std::vector<uint8_t> flood;
    for (uint32_t i = 0; i < 60000; ++i) { // 300 000 bytes of cursor moves, the last to row 777
        flood.push_back(3);
        SyncPeer::u32(flood, i == 59999 ? 777 : i % 1000);
    }
    const int sender = s.peer.connection; // non-blocking: each try sends what the socket takes
    size_t sent = 0;
    uint32_t polls = 0, largest = 0;
    int32_t row = -1;
    ASSERT_TRUE(s.until([&] {
        if (sent < flood.size()) { // as much as the socket takes now, without waiting
            const ssize_t n =
                ::send(sender, flood.data() + sent, flood.size() - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n > 0) sent += (size_t)n;
        }
        ++polls;
        largest = std::max(largest, s.client.lastPollBytes);
        if (s.last.seek) row = s.last.row;
        return sent == flood.size() && row == 777;
    }));
    EXPECT_LE(largest, kSyncReadPerPoll);
    EXPECT_GE(polls, flood.size() / kSyncReadPerPoll);
    EXPECT_EQ(s.client.phase, SyncPhase::connected);

    // Cursor moves to the row the editor is on already are no seek, however many; a new row is one.
    std::vector<uint8_t> same;
    for (int i = 0; i < 1000; ++i) same.push_back(3), SyncPeer::u32(same, 777);
    s.sendAndTake(same);
    EXPECT_FALSE(s.all.seek);
    s.sendAndTake({3, 0, 0, 0, 12});
    EXPECT_TRUE(s.all.seek);
    EXPECT_EQ(s.all.row, 12);
}

TEST(SyncClient, RefusesHostileInputAndKeepsWhatCameBefore) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* message;
    };
    const float nan = std::nanf(""), inf = INFINITY;
    const Case cases[] = {
        {"unknown command", {9}, "unknown command byte 9"},
        {"track not asked for", SyncPeer::keyBytes(3 * (trackNames.last + 1), 0, 1, 0), "only tracks 0.."},
        {"deletion on a track not asked for", {1, 0, 0, 1, 0, 0, 0, 0, 0}, "a deletion for track 256"},
        {"key past the last row", SyncPeer::keyBytes(0, 1088, 1, 0),
         "row 1088, past the show's last row 1087"},
        {"cursor past the last row", {3, 0, 0, 4, 64}, "row 1088, past"},
        {"NaN", SyncPeer::keyBytes(0, 3, nan, 0), "not a number"},
        {"infinity", SyncPeer::keyBytes(0, 3, -inf, 0), "infinite"},
        {"interpolation", SyncPeer::keyBytes(0, 3, 1, 4), "interpolation 4"},
    };
    Session s;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        s.connect();
        const uint32_t connections = s.client.connections;
        s.sendAndTake(SyncPeer::keyBytes(1, 7, 42.0f, 1)); // a good key first
        ASSERT_EQ(tracks.tracks[1].count, 1u);
        s.all = {};
        s.peer.send(c.bytes);
        ASSERT_TRUE(s.until([&] { return s.all.closed; }));
        EXPECT_TRUE(std::string(s.client.status).find(c.message) != std::string::npos) << s.client.status;
        ASSERT_TRUE(s.until([&] { return s.peer.closedByClient; })); // the editor sees the close
        EXPECT_EQ(tracks.tracks[1].count, 1u);                       // the key before is kept
        EXPECT_EQ(tracks.tracks[1].keys[0].value, 42.0f);
        EXPECT_EQ(tracks.tracks[0].count, 0u); // nothing of the hostile command was taken
        s.peer.drop();
        // No new try before two seconds; then a new connection, which starts from the editor's keys.
        s.now += 1999;
        for (int i = 0; i < 50; ++i) s.poll();
        EXPECT_FALSE(s.peer.accepted());
        s.now += 1;
        EXPECT_EQ(s.client.connections, connections);
    }
}

TEST(SyncClient, RefusesAWrongOrLateGreeting) {
    Session s(SyncTimes{2000, 300});
    ASSERT_TRUE(s.until([&] { return s.peer.accepted() && s.peer.received.size() >= 19; }));
    s.peer.sendText("hello, dome!");
    ASSERT_TRUE(s.until([&] { return s.client.phase == SyncPhase::waiting; }));
    EXPECT_TRUE(std::string(s.client.status).find("\"hello, dome\" is not \"hello, demo!\"") !=
                    std::string::npos ||
                std::string(s.client.status).find("is not \"hello, demo!\"") != std::string::npos)
        << s.client.status;
    s.peer.drop();

    s.now += 2000; // the next try: the editor takes it and says nothing
    ASSERT_TRUE(s.until([&] { return s.peer.accepted() && s.peer.received.size() >= 19; }));
    for (int i = 0; i < 20; ++i) s.poll();
    EXPECT_EQ(s.client.phase, SyncPhase::greeting); // waiting, on the client's clock
    s.now += 301;
    ASSERT_TRUE(s.until([&] { return s.client.phase == SyncPhase::waiting; }));
    EXPECT_TRUE(std::string(s.client.status).find("no greeting within 0.3 s") != std::string::npos)
        << s.client.status;
}

TEST(SyncClient, NoEditorAndAnEditorThatGoesAway) {
    uint16_t freePort;
    {
        SyncPeer probe; // a port that was free a moment ago, closed again: nobody listens there
        freePort = probe.port;
    }
    SyncClient c = {};
    char error[512] = "";
    ASSERT_TRUE(startSyncClient(c, "127.0.0.1", freePort, {}, error, sizeof error));
    uint64_t now = 5000;
    const auto start = std::chrono::steady_clock::now();
    while (c.tries < 1 || c.phase != SyncPhase::waiting) {
        pollSyncClient(c, tracks, now);
        ASSERT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << c.status;
    }
    EXPECT_EQ(std::string(c.status), "no sync editor at 127.0.0.1:" + std::to_string(freePort));
    EXPECT_TRUE(c.statusChanged);
    c.statusChanged = false;
    for (int i = 0; i < 100; ++i) pollSyncClient(c, tracks, now + 1999);
    EXPECT_EQ(c.tries, 1u); // every two seconds, not every frame
    while (c.tries < 2 || c.phase != SyncPhase::waiting) pollSyncClient(c, tracks, now + 2000);
    EXPECT_FALSE(c.statusChanged); // the same message: said once
    stopSyncClient(c);

    Session s;
    s.connect();
    s.sendAndTake(SyncPeer::keyBytes(4, 20, 7.0f, 0));
    s.peer.drop(); // the editor quits
    ASSERT_TRUE(s.until([&] { return s.client.phase == SyncPhase::waiting; }));
    EXPECT_TRUE(std::string(s.client.status).find("no sync editor at 127.0.0.1") != std::string::npos);
    EXPECT_EQ(tracks.tracks[4].count, 1u); // the driven track keeps its last keys
}

TEST(SyncClient, Addresses) {
    std::string host;
    char error[512] = "";
    uint16_t port = 0;
    ASSERT_TRUE(parseSyncAddress("", host, port, error, sizeof error));
    EXPECT_EQ(host, "127.0.0.1");
    EXPECT_EQ(port, 1338);
    ASSERT_TRUE(parseSyncAddress("10.0.0.2:4000", host, port, error, sizeof error));
    EXPECT_EQ(host, "10.0.0.2");
    EXPECT_EQ(port, 4000);
    EXPECT_FALSE(parseSyncAddress("localhost:70000", host, port, error, sizeof error));
    EXPECT_STREQ(error, "--sync localhost:70000: the port 70000 is outside 1..65535");
    EXPECT_FALSE(parseSyncAddress("localhost:x", host, port, error, sizeof error));
    // IPv6: in brackets with or without a port, or bare (never split at its last colon); names too.
    const struct {
        const char* text;
        const char* host;
        uint16_t port;
    } good[] = {{"[::1]:1339", "::1", 1339}, {"[::1]", "::1", 1338},
                {"::1", "::1", 1338},        {"fe80::2:1", "fe80::2:1", 1338},
                {"::", "::", 1338},          {"editor.local:99", "editor.local", 99},
                {":4000", "127.0.0.1", 4000}};
    for (const auto& g : good) {
        SCOPED_TRACE(g.text);
        ASSERT_TRUE(parseSyncAddress(g.text, host, port, error, sizeof error)) << error;
        EXPECT_EQ(host, g.host);
        EXPECT_EQ(port, g.port);
    }
    for (const char* bad : {"[::1", "[]:1338", "[::1]1338", "[::1]:", "[::1]:0"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(parseSyncAddress(bad, host, port, error, sizeof error));
        EXPECT_NE(std::strstr(error, bad), nullptr) << error;
    }
    ASSERT_TRUE(parseSyncAddress("[::1]:1339", host, port, error, sizeof error));
    SyncClient v6 = {};
    ASSERT_TRUE(startSyncClient(v6, host.c_str(), port, {}, error, sizeof error)) << error;
    EXPECT_STREQ(v6.status, "looking for a sync editor at [::1]:1339");
    stopSyncClient(v6);

    SyncClient c = {};
    EXPECT_FALSE(startSyncClient(c, "no-such-host.invalid", 1338, {}, error, sizeof error));
    EXPECT_NE(std::strstr(error, "no-such-host.invalid is not known"), nullptr) << error;
}
