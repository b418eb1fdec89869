// POSIX sockets for the network port.
#include "link/net_socket.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace netsock {

namespace {

// One numeric or named address, first of what the resolver gives.
bool resolve(const std::string& host, unsigned port, sockaddr_storage* out, socklen_t* len,
             std::string* error) {
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (rc != 0 || !found) {
        *error = "the name " + host + " does not resolve: " + gai_strerror(rc);
        return false;
    }
    memcpy(out, found->ai_addr, found->ai_addrlen);
    *len = found->ai_addrlen;
    freeaddrinfo(found);
    return true;
}

}  // namespace

Socket startConnect(const std::string& host, unsigned port, std::string* error) {
    sockaddr_storage addr;
    socklen_t len = 0;
    if (!resolve(host, port, &addr, &len, error)) return NoSocket;
    const int fd = ::socket(addr.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        *error = std::string("no socket: ") + strerror(errno);
        return NoSocket;
    }
    // Frames are four bytes: each one goes out at once, not held for more.
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 && errno != EINPROGRESS) {
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
    if (k < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return 0;
    return -1;  // orderly close or error
}

void closeSocket(Socket s) {
    if (s != NoSocket) ::close(int(s));
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

}  // namespace netsock
