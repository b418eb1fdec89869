// Winsock for the network port.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include "link/net_socket.h"

namespace netsock {

namespace {

SOCKET asSocket(Socket s) { return static_cast<SOCKET>(s); }

// Winsock is started once, on the first connect, and left running.
bool started() {
    static const bool ok = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ok;
}

std::string reasonOf(int code) {
    char text[256] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             DWORD(code), 0, text, sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' '))
        text[--n] = '\0';
    return n > 0 ? std::string(text) : "error " + std::to_string(code);
}

bool resolve(const std::string& host, unsigned port, sockaddr_storage* out, int* len,
             std::string* error) {
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (rc != 0 || !found) {
        *error = "the name " + host + " does not resolve: " + reasonOf(rc);
        return false;
    }
    memcpy(out, found->ai_addr, found->ai_addrlen);
    *len = int(found->ai_addrlen);
    freeaddrinfo(found);
    return true;
}

// Waits up to waitMs for s to be readable (or writable); 1 ready, 0 not yet,
// -1 failed (for a connect: refused).
int waitFor(Socket s, bool writable, int waitMs) {
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(asSocket(s), &ready);
    FD_SET(asSocket(s), &failed);
    timeval tv = {waitMs / 1000, (waitMs % 1000) * 1000};
    const int r = select(0, writable ? nullptr : &ready, writable ? &ready : nullptr, &failed, &tv);
    if (r < 0 || FD_ISSET(asSocket(s), &failed)) return -1;
    return r > 0 ? 1 : 0;
}

}  // namespace

Socket startConnect(const std::string& host, unsigned port, std::string* error) {
    if (!started()) {
        *error = "the network can't be used (Winsock did not start)";
        return NoSocket;
    }
    sockaddr_storage addr;
    int len = 0;
    if (!resolve(host, port, &addr, &len, error)) return NoSocket;
    SOCKET s = socket(addr.ss_family, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        *error = "no socket: " + reasonOf(WSAGetLastError());
        return NoSocket;
    }
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    // Frames are four bytes: each one goes out at once, not held for more.
    const BOOL one = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    if (connect(s, reinterpret_cast<sockaddr*>(&addr), len) != 0 &&
        WSAGetLastError() != WSAEWOULDBLOCK) {
        *error = reasonOf(WSAGetLastError());
        closesocket(s);
        return NoSocket;
    }
    return static_cast<Socket>(s);
}

ConnectState connectState(Socket s, int waitMs, std::string* error) {
    const int r = waitFor(s, true, waitMs);
    if (r == 0) return ConnectState::Pending;
    int err = 0;
    int len = sizeof err;
    getsockopt(asSocket(s), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len);
    if (r > 0 && err == 0) return ConnectState::Connected;
    *error = reasonOf(err != 0 ? err : WSAECONNREFUSED);
    return ConnectState::Failed;
}

int sendSome(Socket s, const uint8_t* bytes, size_t n) {
    const int k = send(asSocket(s), reinterpret_cast<const char*>(bytes), int(n), 0);
    if (k >= 0) return k;
    return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
}

int receiveSome(Socket s, uint8_t* bytes, size_t n, int waitMs) {
    const int r = waitFor(s, false, waitMs);
    if (r <= 0) return r;
    const int k = recv(asSocket(s), reinterpret_cast<char*>(bytes), int(n), 0);
    if (k > 0) return k;
    if (k < 0 && WSAGetLastError() == WSAEWOULDBLOCK) return 0;
    return -1;  // orderly close or error
}

void closeSocket(Socket s) {
    if (s != NoSocket) closesocket(asSocket(s));
}

uint32_t nowMs() { return GetTickCount(); }
void sleepMs(uint32_t ms) { Sleep(ms); }

}  // namespace netsock
