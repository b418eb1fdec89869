// The few socket calls the network port and lpgctl serve need, the same on
// POSIX and Winsock (link/net_socket_posix.cpp, link/net_socket_win.cpp).
// Every socket is non-blocking, and every call returns at once or within the
// wait it is given: nothing here blocks for longer than the caller allows.
#ifndef ZUVELS_LINK_NET_SOCKET_H
#define ZUVELS_LINK_NET_SOCKET_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace netsock {

typedef intptr_t Socket;
const Socket NoSocket = -1;

// One address a name resolved to, as the system's socket calls take it
// (its socket address structure, opaque here).
struct Address {
    alignas(8) unsigned char bytes[128];
    uint32_t length;
};

// Every address host:port resolves to, in the resolver's order (passive:
// the ones to listen on). False with the resolver's reason in *reason.
// Written once for both systems (link/net_resolve.h).
bool resolve(const std::string& host, unsigned port, bool passive, std::vector<Address>* out,
             std::string* reason);

// Starts a non-blocking TCP connect to one address; NoSocket with the
// reason in *error when no socket is had or the connect fails at once.
Socket startConnectTo(const Address& address, std::string* error);

// Resolves host and starts a connect to its first address; NoSocket with
// one line in *error when the name doesn't resolve or no socket is had.
Socket startConnect(const std::string& host, unsigned port, std::string* error);

enum class ConnectState { Pending, Connected, Failed };
// Waits up to waitMs for a started connect; Failed with the reason in *error.
ConnectState connectState(Socket s, int waitMs, std::string* error);

// Sends what the socket takes without waiting: the count sent (0 when it
// takes nothing now), -1 when the connection is gone.
int sendSome(Socket s, const uint8_t* bytes, size_t n);

// Waits up to waitMs for bytes: the count read, 0 when none came in time,
// ReceiveClosed when the peer ended the connection in order, ReceiveBroken
// when it broke off (reset, or any other error).
enum : int { ReceiveClosed = -1, ReceiveBroken = -2 };
int receiveSome(Socket s, uint8_t* bytes, size_t n, int waitMs);

void closeSocket(Socket s);

// The system's send buffer of a served client's socket (seconds of the
// controller's bytes at 9600 baud), and of the network port's own.
enum : int { ClientSendBuffer = 8192 };

// Once before a server listens (Winsock's start-up); false with the reason.
bool startServing(std::string* error);

// Listens on host:port (a name or a numeric address). *loopback tells whether
// the address is one of this machine's loopback ones. False with the reason.
bool listenOn(const std::string& host, unsigned port, Socket* listener, bool* loopback,
              std::string* error);

// The port the listener got (the one asked for, or the free one port 0 found).
int localPort(Socket listener);

// A waiting client, or NoSocket when none waits; *peer gets "ADDR:PORT".
Socket acceptClient(Socket listener, std::string* peer);

// Waits up to ms until the listener or the client (NoSocket: none) has
// something to read, or the client can take bytes when wantWrite.
void waitForServer(Socket listener, Socket client, bool wantWrite, int ms);

uint32_t nowMs();
void sleepMs(uint32_t ms);

// The listener's bound address, "127.0.0.1:2217" or "[::1]:2217" (the form
// lpgctl's network ports take), and whether only this machine reaches it.
std::string boundAddress(Socket listener, bool* loopback);

}  // namespace netsock

#endif
