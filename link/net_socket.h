// The few socket calls the network port needs, the same on POSIX and
// Winsock (link/net_socket_posix.cpp, link/net_socket_win.cpp). Every call
// returns at once or within the wait it is given: nothing here blocks the
// window for longer than the caller allows.
#ifndef ZUVELS_LINK_NET_SOCKET_H
#define ZUVELS_LINK_NET_SOCKET_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace netsock {

typedef intptr_t Socket;
const Socket NoSocket = -1;

// Resolves host and starts a non-blocking TCP connect to it; NoSocket with
// one line in *error when the name doesn't resolve or no socket is had.
Socket startConnect(const std::string& host, unsigned port, std::string* error);

enum class ConnectState { Pending, Connected, Failed };
// Waits up to waitMs for a started connect; Failed with the reason in *error.
ConnectState connectState(Socket s, int waitMs, std::string* error);

// Sends what the socket takes without waiting: the count sent (0 when it
// takes nothing now), -1 when the connection is gone.
int sendSome(Socket s, const uint8_t* bytes, size_t n);

// Waits up to waitMs for bytes: the count read, 0 when none came in time,
// -1 when the connection is closed or broken.
int receiveSome(Socket s, uint8_t* bytes, size_t n, int waitMs);

void closeSocket(Socket s);

uint32_t nowMs();
void sleepMs(uint32_t ms);

}  // namespace netsock

#endif
