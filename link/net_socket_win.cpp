// Winsock for the network port and lpgctl serve.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <mmsystem.h>

#include <cstring>

#include "link/net_socket.h"

// After the system's socket headers, which it needs.
#include "link/net_resolve.h"

namespace netsock {

namespace {

SOCKET asSocket(Socket s) { return static_cast<SOCKET>(s); }

// Winsock is started once, on the first connect or listen, and left running.
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
    while (n > 0 &&
           (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ' || text[n - 1] == '.'))
        text[--n] = '\0';
    return n > 0 ? std::string(text) : "error " + std::to_string(code);
}

void makeNonBlocking(SOCKET s) {
    u_long on = 1;
    ioctlsocket(s, FIONBIO, &on);
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

std::string lookupFailure(int code) { return reasonOf(code); }

bool socketsReady(std::string* reason) {
    if (started()) return true;
    *reason = "the network can't be used (Winsock did not start)";
    return false;
}

Socket startConnectTo(const Address& address, std::string* error) {
    const sockaddr* addr = reinterpret_cast<const sockaddr*>(address.bytes);
    SOCKET s = socket(addr->sa_family, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        *error = "no socket: " + reasonOf(WSAGetLastError());
        return NoSocket;
    }
    makeNonBlocking(s);
    // Frames are four bytes: each one goes out at once, not held for more.
    const BOOL one = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    // We send a few bytes an exchange: a server that reads none of them
    // shows within a few KiB, not after the MBs the system would hold.
    const int sendBuffer = ClientSendBuffer;
    setsockopt(s, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&sendBuffer),
               sizeof sendBuffer);
    if (connect(s, addr, int(address.length)) != 0 && WSAGetLastError() != WSAEWOULDBLOCK) {
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
    if (r == 0) return 0;
    if (r < 0) return ReceiveBroken;
    const int k = recv(asSocket(s), reinterpret_cast<char*>(bytes), int(n), 0);
    if (k > 0) return k;
    if (k == 0) return ReceiveClosed;
    return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : ReceiveBroken;
}

void closeSocket(Socket s) {
    if (s != NoSocket) closesocket(asSocket(s));
}

namespace {

bool isLoopback(const sockaddr_storage& a) {
    if (a.ss_family == AF_INET)
        return (ntohl(reinterpret_cast<const sockaddr_in*>(&a)->sin_addr.s_addr) >> 24) == 127;
    if (a.ss_family == AF_INET6)
        return IN6_IS_ADDR_LOOPBACK(&reinterpret_cast<const sockaddr_in6*>(&a)->sin6_addr);
    return false;
}

std::string addressText(const sockaddr_storage& a) {
    char host[INET6_ADDRSTRLEN] = "?";
    if (a.ss_family == AF_INET) {
        const sockaddr_in* v4 = reinterpret_cast<const sockaddr_in*>(&a);
        inet_ntop(AF_INET, const_cast<in_addr*>(&v4->sin_addr), host, sizeof host);
        return std::string(host) + ":" + std::to_string(ntohs(v4->sin_port));
    }
    const sockaddr_in6* v6 = reinterpret_cast<const sockaddr_in6*>(&a);
    inet_ntop(AF_INET6, const_cast<in6_addr*>(&v6->sin6_addr), host, sizeof host);
    return "[" + std::string(host) + "]:" + std::to_string(ntohs(v6->sin6_port));
}

}  // namespace

bool startServing(std::string* error) {
    // The loop's waits of 1 and 2 ms are that long, not the system's default
    // tick of about 16 ms, which every exchange would pay twice.
    timeBeginPeriod(1);
    if (started()) return true;
    *error = "Winsock did not start";
    return false;
}

bool listenOn(const std::string& host, unsigned port, Socket* listener, bool* loopback,
              std::string* error) {
    Address address;
    if (!resolveFirst(host, port, true, &address, error)) {
        *error = host + ": " + *error;
        return false;
    }
    const sockaddr_storage& addr = *reinterpret_cast<const sockaddr_storage*>(address.bytes);
    const int len = int(address.length);
    *loopback = isLoopback(addr);
    const SOCKET s = socket(addr.ss_family, SOCK_STREAM, IPPROTO_TCP);
    // Exclusive: no other program may take the port over beside us.
    const BOOL on = TRUE;
    if (s != INVALID_SOCKET)
        setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on),
                   sizeof on);
    if (s != INVALID_SOCKET && bind(s, reinterpret_cast<const sockaddr*>(&addr), len) == 0 &&
        listen(s, 4) == 0) {
        makeNonBlocking(s);
        *listener = static_cast<Socket>(s);
        return true;
    }
    *error = reasonOf(WSAGetLastError());
    if (s != INVALID_SOCKET) closesocket(s);
    return false;
}

int localPort(Socket listener) {
    sockaddr_storage a;
    int len = sizeof a;
    if (getsockname(asSocket(listener), reinterpret_cast<sockaddr*>(&a), &len) != 0) return 0;
    if (a.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in*>(&a)->sin_port);
    return ntohs(reinterpret_cast<const sockaddr_in6*>(&a)->sin6_port);
}

Socket acceptClient(Socket listener, std::string* peer) {
    sockaddr_storage a;
    int len = sizeof a;
    const SOCKET s = accept(asSocket(listener), reinterpret_cast<sockaddr*>(&a), &len);
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
    *peer = addressText(a);
    return static_cast<Socket>(s);
}

void waitForServer(Socket listener, Socket client, bool wantWrite, int ms) {
    fd_set readable, writable;
    FD_ZERO(&readable);
    FD_ZERO(&writable);
    FD_SET(asSocket(listener), &readable);
    if (client != NoSocket) {
        FD_SET(asSocket(client), &readable);
        if (wantWrite) FD_SET(asSocket(client), &writable);
    }
    timeval t = {0, ms * 1000};
    select(0, &readable, &writable, nullptr, &t);
}

uint32_t nowMs() { return GetTickCount(); }
void sleepMs(uint32_t ms) { Sleep(ms); }

// The listener's own address as lpgctl's ports take it, and whether it is
// this machine's alone (127.0.0.0/8, ::1, or 127.x mapped into IPv6).
std::string boundAddress(Socket listener, bool* loopback) {
    sockaddr_storage a;
    int len = sizeof a;
    *loopback = false;
    if (getsockname(asSocket(listener), reinterpret_cast<sockaddr*>(&a), &len) != 0) return "?";
    *loopback = isLoopback(a);
    if (a.ss_family == AF_INET6) {
        const uint8_t* b = reinterpret_cast<const sockaddr_in6*>(&a)->sin6_addr.s6_addr;
        static const uint8_t Mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
        if (memcmp(b, Mapped, sizeof Mapped) == 0 && b[12] == 127) *loopback = true;
    }
    return addressText(a);
}

}  // namespace netsock
