// POSIX sockets for the network port and lpgctl serve.
#include "link/net_socket.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

// After the system's socket headers, which it needs.
#include "link/net_resolve.h"

namespace netsock {

std::string lookupFailure(int code) { return gai_strerror(code); }
bool socketsReady(std::string*) { return true; }

Socket startConnectTo(const Address& address, std::string* error) {
    const sockaddr* addr = reinterpret_cast<const sockaddr*>(address.bytes);
    const int fd = ::socket(addr->sa_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        *error = std::string("no socket: ") + strerror(errno);
        return NoSocket;
    }
    // Frames are four bytes: each one goes out at once, not held for more.
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    // We send a few bytes an exchange: a server that reads none of them
    // shows within a few KiB, not after the MBs the system would hold.
    const int sendBuffer = ClientSendBuffer;
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    if (::connect(fd, addr, socklen_t(address.length)) != 0 && errno != EINPROGRESS) {
        *error = strerror(errno);
        ::close(fd);
        return NoSocket;
    }
    return fd;
}

ConnectState connectState(Socket s, int waitMs, std::string* error) {
    pollfd p = {int(s), POLLOUT, 0};
    const int r = poll(&p, 1, waitMs);
    if (r == 0 || (r < 0 && errno == EINTR)) return ConnectState::Pending;
    int err = 0;
    socklen_t len = sizeof err;
    if (r < 0 || getsockopt(int(s), SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
    if (err == 0) return ConnectState::Connected;
    *error = strerror(err);
    return ConnectState::Failed;
}

int sendSome(Socket s, const uint8_t* bytes, size_t n) {
    const ssize_t k = ::send(int(s), bytes, n, MSG_NOSIGNAL);
    if (k >= 0) return int(k);
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
}

int receiveSome(Socket s, uint8_t* bytes, size_t n, int waitMs) {
    pollfd p = {int(s), POLLIN, 0};
    const int r = poll(&p, 1, waitMs);
    if (r == 0 || (r < 0 && errno == EINTR)) return 0;
    if (r < 0) return -1;
    const ssize_t k = ::recv(int(s), bytes, n, 0);
    if (k > 0) return int(k);
    if (k == 0) return ReceiveClosed;
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return 0;
    return ReceiveBroken;
}

void closeSocket(Socket s) {
    if (s != NoSocket) ::close(int(s));
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
        inet_ntop(AF_INET, &v4->sin_addr, host, sizeof host);
        return std::string(host) + ":" + std::to_string(ntohs(v4->sin_port));
    }
    const sockaddr_in6* v6 = reinterpret_cast<const sockaddr_in6*>(&a);
    inet_ntop(AF_INET6, &v6->sin6_addr, host, sizeof host);
    return "[" + std::string(host) + "]:" + std::to_string(ntohs(v6->sin6_port));
}

}  // namespace

bool startServing(std::string*) { return true; }

bool listenOn(const std::string& host, unsigned port, Socket* listener, bool* loopback,
              std::string* error) {
    Address address;
    if (!resolveFirst(host, port, true, &address, error)) {
        *error = host + ": " + *error;
        return false;
    }
    const sockaddr_storage& addr = *reinterpret_cast<const sockaddr_storage*>(address.bytes);
    const socklen_t len = socklen_t(address.length);
    *loopback = isLoopback(addr);
    const int fd = ::socket(addr.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const int on = 1;
    if (fd >= 0) setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), len) == 0 &&
        ::listen(fd, 4) == 0) {
        *listener = fd;
        return true;
    }
    *error = strerror(errno);
    if (fd >= 0) ::close(fd);
    return false;
}

int localPort(Socket listener) {
    sockaddr_storage a;
    socklen_t len = sizeof a;
    if (getsockname(int(listener), reinterpret_cast<sockaddr*>(&a), &len) != 0) return 0;
    if (a.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in*>(&a)->sin_port);
    return ntohs(reinterpret_cast<const sockaddr_in6*>(&a)->sin6_port);
}

Socket acceptClient(Socket listener, std::string* peer) {
    sockaddr_storage a;
    socklen_t len = sizeof a;
    const int fd =
        accept4(int(listener), reinterpret_cast<sockaddr*>(&a), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return NoSocket;
    // Requests are a few bytes each: send them at once.
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    // A client's unread bytes pile up in our own bounded buffer, where the
    // server sees them, not in a send buffer the system lets grow to MBs.
    const int sendBuffer = ClientSendBuffer;
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    *peer = addressText(a);
    return fd;
}

void waitForServer(Socket listener, Socket client, bool wantWrite, int ms) {
    pollfd p[2] = {{int(listener), POLLIN, 0}, {int(client), short(POLLIN), 0}};
    if (wantWrite) p[1].events |= POLLOUT;
    poll(p, client == NoSocket ? 1 : 2, ms);
}

uint32_t nowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint32_t(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
}

void sleepMs(uint32_t ms) {
    timespec ts = {time_t(ms / 1000), long(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {}
}

// The listener's own address as lpgctl's ports take it, and whether it is
// this machine's alone (127.0.0.0/8, ::1, or 127.x mapped into IPv6).
std::string boundAddress(Socket listener, bool* loopback) {
    sockaddr_storage a;
    socklen_t len = sizeof a;
    *loopback = false;
    if (getsockname(int(listener), reinterpret_cast<sockaddr*>(&a), &len) != 0) return "?";
    *loopback = isLoopback(a);
    if (a.ss_family == AF_INET6) {
        const uint8_t* b = reinterpret_cast<const sockaddr_in6*>(&a)->sin6_addr.s6_addr;
        static const uint8_t Mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
        if (memcmp(b, Mapped, sizeof Mapped) == 0 && b[12] == 127) *loopback = true;
    }
    return addressText(a);
}

}  // namespace netsock
