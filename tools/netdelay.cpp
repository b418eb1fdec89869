// netdelay: a TCP relay on loopback that holds every piece of data for half
// a set round trip in each direction, for the round-trip benchmark (the
// kernel here has no netem).
//
//   netdelay --rtt MS --to PORT
//
// Listens on 127.0.0.1 at a free port, printed on the first line of stdout,
// and relays each client in turn to 127.0.0.1:PORT. Only loopback addresses
// are ever used. Runs until SIGTERM or SIGINT.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t stopRequested = 0;
void onSignal(int) { stopRequested = 1; }

long long nowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

sockaddr_in loopback(int port) {
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

void tune(int fd) {
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Data read from one side, due on the other at dueMs.
struct Piece {
    long long dueMs;
    std::vector<uint8_t> bytes;
};

// One direction: what is held, and where it goes.
struct Direction {
    int from, to;
    std::deque<Piece> held;
};

// Reads what from has, holds it; sends what is due. False when a side closed.
bool step(Direction* d, bool readable, long long holdMs) {
    if (readable) {
        uint8_t buf[4096];
        const ssize_t k = recv(d->from, buf, sizeof buf, 0);
        if (k == 0 || (k < 0 && errno != EAGAIN && errno != EINTR)) return false;
        if (k > 0) d->held.push_back({nowMs() + holdMs, std::vector<uint8_t>(buf, buf + k)});
    }
    while (!d->held.empty() && d->held.front().dueMs <= nowMs()) {
        Piece& p = d->held.front();
        const ssize_t w = send(d->to, p.bytes.data(), p.bytes.size(), MSG_NOSIGNAL);
        if (w < 0 && errno != EAGAIN) return false;
        if (w <= 0) break;
        p.bytes.erase(p.bytes.begin(), p.bytes.begin() + w);
        if (!p.bytes.empty()) break;
        d->held.pop_front();
    }
    return true;
}

void relay(int client, int targetPort, long long holdMs) {
    const int server = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in to = loopback(targetPort);
    if (connect(server, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        close(server);
        return;
    }
    tune(client);
    tune(server);
    Direction up = {client, server, {}}, down = {server, client, {}};
    while (!stopRequested) {
        pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        poll(p, 2, 1);
        if (!step(&up, p[0].revents & (POLLIN | POLLHUP), holdMs)) break;
        if (!step(&down, p[1].revents & (POLLIN | POLLHUP), holdMs)) break;
    }
    close(server);
}

}  // namespace

int main(int argc, char** argv) {
    long rtt = -1, target = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--rtt") == 0) rtt = strtol(argv[i + 1], nullptr, 10);
        if (strcmp(argv[i], "--to") == 0) target = strtol(argv[i + 1], nullptr, 10);
    }
    if (rtt < 0 || target <= 0 || target > 65535) {
        fprintf(stderr, "usage: netdelay --rtt MS --to PORT\n");
        return 2;
    }
    signal(SIGTERM, onSignal);
    signal(SIGINT, onSignal);
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(0);
    socklen_t len = sizeof a;
    if (bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        listen(listener, 4) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        perror("netdelay");
        return 1;
    }
    printf("%d\n", ntohs(a.sin_port));
    fflush(stdout);
    while (!stopRequested) {
        pollfd p = {listener, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        const int client = accept(listener, nullptr, nullptr);
        if (client < 0) continue;
        relay(client, int(target), rtt / 2);
        close(client);
    }
    close(listener);
    return 0;
}
