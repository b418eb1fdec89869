// The few socket calls lpgctl serve needs, one file per system
// (cli/serve_socket_posix.cpp, cli/serve_socket_win.cpp). Every call is
// non-blocking; netWait is the one place the server waits.
#ifndef ZUVELS_CLI_SERVE_SOCKET_H
#define ZUVELS_CLI_SERVE_SOCKET_H

#include <cstddef>
#include <cstdint>
#include <string>

typedef intptr_t NetSocket;
// The system's send buffer of a client's socket: seconds of the controller's
// bytes at 9600 baud.
enum : int { ClientSendBuffer = 8192 };
const NetSocket NoSocket = -1;

// Once before any other call (Winsock's start-up); false with the reason.
bool netStart(std::string* error);

// Listens on host:port (a name or a numeric address). *loopback tells whether
// the address is one of this machine's loopback ones. False with the reason.
bool netListen(const std::string& host, int port, NetSocket* listener, bool* loopback,
               std::string* error);

// The port the listener got (the one asked for, or the free one port 0 found).
int netLocalPort(NetSocket listener);

// A waiting client, or NoSocket when none waits; *peer gets "ADDR:PORT".
NetSocket netAccept(NetSocket listener, std::string* peer);

// Waits up to ms until the listener or the client (NoSocket: none) has
// something to read, or the client can take bytes when wantWrite.
void netWait(NetSocket listener, NetSocket client, bool wantWrite, int ms);

// Bytes read (> 0), 0 when none are waiting, -1 when the peer has gone.
long netReceive(NetSocket s, uint8_t* buf, size_t n);
// Bytes taken (0 when the peer's window is full), -1 when the peer has gone.
long netSend(NetSocket s, const uint8_t* buf, size_t n);

void netClose(NetSocket s);

#endif
