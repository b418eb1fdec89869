// The socket calls for the fuzz targets: no connection is ever made (a
// fuzzed --port may name any host) nor port listened on, and every call fails
// as a refused connect would.
#include "link/net_socket.h"

namespace netsock {

bool resolve(const std::string&, unsigned, bool, std::vector<Address>*, std::string* reason) {
    *reason = "no network in the fuzz targets";
    return false;
}
Socket startConnectTo(const Address&, std::string* error) {
    *error = "refused";
    return NoSocket;
}
Socket startConnect(const std::string& host, unsigned, std::string* error) {
    *error = "the name " + host + " does not resolve: no network in the fuzz targets";
    return NoSocket;
}
ConnectState connectState(Socket, int, std::string* error) {
    *error = "refused";
    return ConnectState::Failed;
}
int sendSome(Socket, const uint8_t*, size_t) { return -1; }
int receiveSome(Socket, uint8_t*, size_t, int) { return -1; }
void closeSocket(Socket) {}
bool startServing(std::string*) { return true; }
bool listenOn(const std::string& host, unsigned, Socket*, bool*, std::string* error) {
    *error = host + ": no network in the fuzz targets";
    return false;
}
int localPort(Socket) { return 0; }
std::string boundAddress(Socket, bool* loopback) {
    *loopback = true;
    return "?";
}
Socket acceptClient(Socket, std::string*) { return NoSocket; }
void waitForServer(Socket, Socket, bool, int) {}
uint32_t nowMs() { return 0; }
void sleepMs(uint32_t) {}

}  // namespace netsock
