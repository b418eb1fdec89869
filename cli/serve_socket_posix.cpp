#include "cli/serve_socket.h"

#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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
    int port = 0;
    if (a->sa_family == AF_INET) {
        const sockaddr_in* v4 = reinterpret_cast<const sockaddr_in*>(a);
        inet_ntop(AF_INET, &v4->sin_addr, host, sizeof host);
        port = ntohs(v4->sin_port);
        return std::string(host) + ":" + std::to_string(port);
    }
    const sockaddr_in6* v6 = reinterpret_cast<const sockaddr_in6*>(a);
    inet_ntop(AF_INET6, &v6->sin6_addr, host, sizeof host);
    return "[" + std::string(host) + "]:" + std::to_string(ntohs(v6->sin6_port));
}

void makeNonBlocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
}

}  // namespace

bool netStart(std::string*) { return true; }

bool netListen(const std::string& host, int port, NetSocket* listener, bool* loopback,
               std::string* error) {
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    const int r = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (r != 0) {
        *error = host + ": " + gai_strerror(r);
        return false;
    }
    const int fd = socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    const int on = 1;
    if (fd >= 0) setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const bool ok =
        fd >= 0 && bind(fd, found->ai_addr, found->ai_addrlen) == 0 && listen(fd, 4) == 0;
    if (!ok) *error = std::strerror(errno);
    *loopback = isLoopback(found->ai_addr);
    freeaddrinfo(found);
    if (!ok) {
        if (fd >= 0) close(fd);
        return false;
    }
    makeNonBlocking(fd);
    *listener = fd;
    return true;
}

int netLocalPort(NetSocket listener) {
    sockaddr_storage a;
    socklen_t len = sizeof a;
    if (getsockname(int(listener), reinterpret_cast<sockaddr*>(&a), &len) != 0) return 0;
    if (a.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in*>(&a)->sin_port);
    return ntohs(reinterpret_cast<const sockaddr_in6*>(&a)->sin6_port);
}

NetSocket netAccept(NetSocket listener, std::string* peer) {
    sockaddr_storage a;
    socklen_t len = sizeof a;
    const int fd = accept(int(listener), reinterpret_cast<sockaddr*>(&a), &len);
    if (fd < 0) return NoSocket;
    makeNonBlocking(fd);
    // Requests are a few bytes each: send them at once.
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    // A client's unread bytes pile up in our own bounded buffer, where the
    // server sees them, not in a send buffer the system lets grow to MBs.
    const int sendBuffer = ClientSendBuffer;
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    *peer = addressText(reinterpret_cast<const sockaddr*>(&a));
    return fd;
}

void netWait(NetSocket listener, NetSocket client, bool wantWrite, int ms) {
    pollfd p[2] = {{int(listener), POLLIN, 0}, {int(client), short(POLLIN), 0}};
    if (wantWrite) p[1].events |= POLLOUT;
    poll(p, client == NoSocket ? 1 : 2, ms);
}

long netReceive(NetSocket s, uint8_t* buf, size_t n) {
    const ssize_t k = recv(int(s), buf, n, 0);
    if (k > 0) return long(k);
    if (k < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return 0;
    return -1;
}

long netSend(NetSocket s, const uint8_t* buf, size_t n) {
    const ssize_t k = send(int(s), buf, n, MSG_NOSIGNAL);
    if (k >= 0) return long(k);
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return 0;
    return -1;
}

void netClose(NetSocket s) {
    if (s != NoSocket) close(int(s));
}
