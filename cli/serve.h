// lpgctl serve: the local controller offered to one client at a time over
// TCP, as an RFC 2217 server or as raw bytes. Portable; the sockets are in
// link/net_socket.h.
#ifndef ZUVELS_CLI_SERVE_H
#define ZUVELS_CLI_SERVE_H

#include <string>

#include "cli/commands.h"

enum : int { DefaultServePort = 2217 };

struct ServeOptions {
    std::string host = "127.0.0.1";
    int port = DefaultServePort;
    bool allowWrites = false;
    bool raw = false;
    int idleSeconds = 60;  // a client that sends no request this long is let go
};

// Reads --listen ADDR:PORT ("[::1]:2217" for IPv6), --allow-writes, --raw
// and --idle SECONDS. False with the reason in *error.
bool readServeOptions(const CliArgs& args, ServeOptions* o, std::string* error);
// The address asked for, as --listen takes it ("[::1]:2217").
std::string listenText(const ServeOptions& o);

#endif
