// sync_peer.h - a sync editor for the tests, written from the protocol's description: it listens on a
// loopback port, greets, records the track names and rows the client sends, and sends whatever a test
// asks, well-formed or hostile. Non-blocking, driven from the test's own thread between client polls.
//
//     SyncPeer peer;                     // listens on 127.0.0.1, an ephemeral port: peer.port
//     pump(client, tracks, [&] { return peer.accepted(); });
//     peer.greet();  peer.setKey(0, 16, 2.5f, 1);  peer.setRow(40);
#pragma once

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

struct SyncPeer {
    int listener = -1;
    int connection = -1;
    uint16_t port = 0;
    std::vector<uint8_t> received; // everything the client sent on this connection
    bool closedByClient = false;

    SyncPeer() {
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        int on = 1;
        setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (bind(listener, (sockaddr*)&a, sizeof a) != 0 || listen(listener, 4) != 0)
            ADD_FAILURE() << "listen";
        socklen_t length = sizeof a;
        getsockname(listener, (sockaddr*)&a, &length);
        port = ntohs(a.sin_port);
        fcntl(listener, F_SETFL, fcntl(listener, F_GETFL) | O_NONBLOCK);
    }
    ~SyncPeer() {
        drop();
        if (listener >= 0) close(listener);
    }

    // True once a client has connected (takes it).
    bool accepted() {
        if (connection >= 0) return true;
        connection = accept(listener, nullptr, nullptr);
        if (connection < 0) return false;
        fcntl(connection, F_SETFL, fcntl(connection, F_GETFL) | O_NONBLOCK);
        received.clear();
        closedByClient = false;
        return true;
    }
    // Reads what has arrived; true while the client keeps the connection open.
    bool read() {
        if (connection < 0) return false;
        uint8_t buffer[4096];
        for (;;) {
            const ssize_t n = recv(connection, buffer, sizeof buffer, 0);
            if (n > 0) {
                received.insert(received.end(), buffer, buffer + n);
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
            closedByClient = true;
            return false;
        }
    }
    void drop() {
        if (connection >= 0) close(connection);
        connection = -1;
    }
    void send(const std::vector<uint8_t>& bytes) {
        ASSERT_GE(connection, 0);
        ASSERT_EQ(::send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL), (ssize_t)bytes.size());
    }
    void sendText(const char* text) { send(std::vector<uint8_t>(text, text + std::strlen(text))); }

    // The wire's pieces.
    static void u32(std::vector<uint8_t>& b, uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) b.push_back((uint8_t)(v >> s));
    }
    static std::vector<uint8_t> keyBytes(uint32_t track, uint32_t row, float value, uint8_t interpolation) {
        std::vector<uint8_t> b = {0};
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        u32(b, track), u32(b, row), u32(b, bits);
        b.push_back(interpolation);
        return b;
    }
    void greet() { sendText("hello, demo!"); }
    void setKey(uint32_t track, uint32_t row, float value, uint8_t interpolation) {
        send(keyBytes(track, row, value, interpolation));
    }
    void deleteKey(uint32_t track, uint32_t row) {
        std::vector<uint8_t> b = {1};
        u32(b, track), u32(b, row);
        send(b);
    }
    void setRow(uint32_t row) {
        std::vector<uint8_t> b = {3};
        u32(b, row);
        send(b);
    }
    void pause(bool paused) { send({4, (uint8_t)(paused ? 1 : 0)}); }
    void save() { send({5}); }

    // What the client sent after its greeting: the names it asked for, in order, and the rows it told.
    bool decode(std::string& greeting, std::vector<std::string>& names, std::vector<uint32_t>& rows) const {
        if (received.size() < 19) return false;
        greeting.assign(received.begin(), received.begin() + 19);
        size_t at = 19;
        auto be = [&](size_t i) {
            return (uint32_t)received[i] << 24 | (uint32_t)received[i + 1] << 16 |
                   (uint32_t)received[i + 2] << 8 | received[i + 3];
        };
        while (at < received.size()) {
            if (received[at] == 2 && at + 5 <= received.size()) {
                const uint32_t length = be(at + 1);
                if (at + 5 + length > received.size()) return false;
                names.emplace_back(received.begin() + (long)at + 5,
                                   received.begin() + (long)(at + 5 + length));
                at += 5 + length;
            } else if (received[at] == 3 && at + 5 <= received.size()) {
                rows.push_back(be(at + 1));
                at += 5;
            } else {
                return false;
            }
        }
        return true;
    }
};
