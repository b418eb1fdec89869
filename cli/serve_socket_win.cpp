#include "cli/serve_socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <mmsystem.h>

namespace {

bool isLoopback(const sockaddr* a) {
    if (a->sa_family == AF_INET)
        return (ntohl(reinterpret_cast<const sockaddr_in*>(a)->sin_addr.s_addr) >> 24) == 127;
    if (a->sa_family == AF_INET6)
        return IN6_IS_ADDR_LOOPBACK(&reinterpret_cast<const sockaddr_in6*>(a)->sin6_addr);
    return false;
}

std::string addressText(const sockaddr* a) {
    char host[INET6_ADDRSTRLEN] = "?";
    if (a->sa_family == AF_INET) {
        const sockaddr_in* v4 = reinterpret_cast<const sockaddr_in*>(a);
        inet_ntop(AF_INET, const_cast<in_addr*>(&v4->sin_addr), host, sizeof host);
        return std::string(host) + ":" + std::to_string(ntohs(v4->sin_port));
    }
    const sockaddr_in6* v6 = reinterpret_cast<const sockaddr_in6*>(a);
    inet_ntop(AF_INET6, const_cast<in6_addr*>(&v6->sin6_addr), host, sizeof host);
    return "[" + std::string(host) + "]:" + std::to_string(ntohs(v6->sin6_port));
}

std::string errorText(int code) {
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, DWORD(code),
                   0, text, sizeof text, nullptr);
    std::string s(text);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == '.')) s.pop_back();
    return s.empty() ? "error " + std::to_string(code) : s;
}

void makeNonBlocking(SOCKET s) {
    u_long on = 1;
    ioctlsocket(s, FIONBIO, &on);
}

bool wouldBlock() { return WSAGetLastError() == WSAEWOULDBLOCK; }

}  // namespace

bool netStart(std::string* error) {
    WSADATA data;
    const int r = WSAStartup(MAKEWORD(2, 2), &data);
    // The loop's waits of 1 and 2 ms are that long, not the system's default
    // tick of about 16 ms, which every exchange would pay twice.
    timeBeginPeriod(1);
    if (r != 0) *error = errorText(r);
    return r == 0;
}

bool netListen(const std::string& host, int port, NetSocket* listener, bool* loopback,
               std::string* error) {
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    const int r = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (r != 0) {
        *error = host + ": " + errorText(r);
        return false;
    }
    const SOCKET s = socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    // Exclusive: no other program may take the port over beside us.
    const BOOL on = TRUE;
    if (s != INVALID_SOCKET)
        setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on),
                   sizeof on);
    const bool ok = s != INVALID_SOCKET && bind(s, found->ai_addr, int(found->ai_addrlen)) == 0 &&
                    listen(s, 4) == 0;
    if (!ok) *error = errorText(WSAGetLastError());
    *loopback = isLoopback(found->ai_addr);
    freeaddrinfo(found);
    if (!ok) {
        if (s != INVALID_SOCKET) closesocket(s);
        return false;
    }
    makeNonBlocking(s);
    *listener = NetSocket(s);
    return true;
}

int netLocalPort(NetSocket listener) {
    sockaddr_storage a;
    int len = sizeof a;
    if (getsockname(SOCKET(listener), reinterpret_cast<sockaddr*>(&a), &len) != 0) return 0;
    if (a.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in*>(&a)->sin_port);
    return ntohs(reinterpret_cast<const sockaddr_in6*>(&a)->sin6_port);
}

NetSocket netAccept(NetSocket listener, std::string* peer) {
    sockaddr_storage a;
    int len = sizeof a;
    const SOCKET s = accept(SOCKET(listener), reinterpret_cast<sockaddr*>(&a), &len);
    if (s == INVALID_SOCKET) return NoSocket;
    makeNonBlocking(s);
    // Requests are a few bytes each: send them at once.
    const BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    // A client's unread bytes pile up in our own bounded buffer, where the
    // server sees them, not in a send buffer the system lets grow.
    const int sendBuffer = ClientSendBuffer;
    setsockopt(s, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&sendBuffer),
               sizeof sendBuffer);
    *peer = addressText(reinterpret_cast<const sockaddr*>(&a));
    return NetSocket(s);
}

void netWait(NetSocket listener, NetSocket client, bool wantWrite, int ms) {
    fd_set readable, writable;
    FD_ZERO(&readable);
    FD_ZERO(&writable);
    FD_SET(SOCKET(listener), &readable);
    if (client != NoSocket) {
        FD_SET(SOCKET(client), &readable);
        if (wantWrite) FD_SET(SOCKET(client), &writable);
    }
    timeval t = {0, ms * 1000};
    select(0, &readable, &writable, nullptr, &t);
}

long netReceive(NetSocket s, uint8_t* buf, size_t n) {
    const int k = recv(SOCKET(s), reinterpret_cast<char*>(buf), int(n), 0);
    if (k > 0) return long(k);
    if (k < 0 && wouldBlock()) return 0;
    return -1;
}

long netSend(NetSocket s, const uint8_t* buf, size_t n) {
    const int k = send(SOCKET(s), reinterpret_cast<const char*>(buf), int(n), 0);
    if (k >= 0) return long(k);
    return wouldBlock() ? 0 : -1;
}

void netClose(NetSocket s) {
    if (s != NoSocket) closesocket(SOCKET(s));
}
