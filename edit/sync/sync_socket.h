// sync_socket.h - the socket calls the sync client makes, the same on every platform: BSD sockets on
// Linux, Winsock on Windows. Sockets are held as intptr_t (a descriptor or a SOCKET) and used without
// waiting: a call that would have to wait fails with an error wouldBlock() recognises.
//
//     if (!startSockets()) ...                       // before a client's sockets (Winsock's start)
//     intptr_t s = (intptr_t)::socket(family, SOCK_STREAM, IPPROTO_TCP);
//     makeNonBlocking(s);
//     connect((Socket)s, address, length);           // then once a poll:
//     int error = 0;
//     if (connectOutcome(s, error) < 0) print(socketErrorText(error).text);
//     send((Socket)s, bytes, n, kSendFlags);         // < 0 && wouldBlock(lastSocketError()): later
//     closeSocket(s);
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#ifdef _WIN32
using Socket = SOCKET;
inline const intptr_t kNoSocket = (intptr_t)INVALID_SOCKET;
inline constexpr int kSendFlags = 0;
#else
using Socket = int;
inline const intptr_t kNoSocket = -1;
inline constexpr int kSendFlags = MSG_NOSIGNAL; // a closed peer is an error to handle, not a SIGPIPE
#endif

bool startSockets(); // false where the platform's sockets cannot be started
int lastSocketError();
// The error says the call would have had to wait (nothing to read, no room to send, a connect under way).
bool wouldBlock(int e);
// The error says no editor listens there (refused, timed out, unreachable).
bool isRefused(int e);
struct SocketErrorText {
    char text[128];
};
SocketErrorText socketErrorText(int e); // "Connection refused", "Winsock error 10061"
void closeSocket(intptr_t s);
bool makeNonBlocking(intptr_t s);
// Whether a connect in progress has finished: 1 done, 0 not yet, -1 failed with `error`.
int connectOutcome(intptr_t s, int& error);
