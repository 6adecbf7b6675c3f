// sync_socket.cpp - the sync client's socket calls on BSD sockets and on Winsock.
#include "edit/sync/sync_socket.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32

int lastSocketError() {
    return WSAGetLastError();
}
bool wouldBlock(int e) {
    return e == WSAEWOULDBLOCK || e == WSAEINPROGRESS;
}
void closeSocket(intptr_t s) {
    closesocket((Socket)s);
}
bool makeNonBlocking(intptr_t s) {
    u_long on = 1;
    return ioctlsocket((Socket)s, FIONBIO, &on) == 0;
}
SocketErrorText socketErrorText(int e) {
    SocketErrorText out;
    std::snprintf(out.text, sizeof out.text, "Winsock error %d", e);
    return out;
}
bool startSockets() { // Winsock counts its starts: one more per client started, ended with the process
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}
bool isRefused(int e) {
    return e == WSAECONNREFUSED || e == WSAETIMEDOUT || e == WSAENETUNREACH || e == WSAEHOSTUNREACH;
}

#else

int lastSocketError() {
    return errno;
}
bool wouldBlock(int e) {
    return e == EAGAIN || e == EWOULDBLOCK || e == EINPROGRESS || e == EINTR;
}
void closeSocket(intptr_t s) {
    close((Socket)s);
}
bool makeNonBlocking(intptr_t s) {
    const int flags = fcntl((Socket)s, F_GETFL, 0);
    return flags >= 0 && fcntl((Socket)s, F_SETFL, flags | O_NONBLOCK) == 0;
}
SocketErrorText socketErrorText(int e) {
    SocketErrorText out;
    std::snprintf(out.text, sizeof out.text, "%s", std::strerror(e));
    return out;
}
bool startSockets() {
    return true;
}
bool isRefused(int e) {
    return e == ECONNREFUSED || e == ETIMEDOUT || e == ENETUNREACH || e == EHOSTUNREACH;
}

#endif

int connectOutcome(intptr_t s, int& error) {
#ifdef _WIN32
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET((Socket)s, &writable);
    FD_SET((Socket)s, &failed);
    timeval none = {0, 0};
    if (select(0, nullptr, &writable, &failed, &none) <= 0) return 0;
    int value = 0, length = sizeof value;
    getsockopt((Socket)s, SOL_SOCKET, SO_ERROR, (char*)&value, &length);
    error = value;
    return value == 0 && FD_ISSET((Socket)s, &writable) ? 1 : -1;
#else
    pollfd p = {(Socket)s, POLLOUT, 0};
    if (poll(&p, 1, 0) <= 0) return 0;
    int value = 0;
    socklen_t length = sizeof value;
    getsockopt((Socket)s, SOL_SOCKET, SO_ERROR, &value, &length);
    error = value;
    return value == 0 ? 1 : -1;
#endif
}
