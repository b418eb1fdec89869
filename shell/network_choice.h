// What the Network dialog decides: the port name built from the address the
// fitter typed and the kind chosen, and the list of addresses used last,
// kept in its own file beside ZuvelS.ini. Portable.
#ifndef ZUVELS_SHELL_NETWORK_CHOICE_H
#define ZUVELS_SHELL_NETWORK_CHOICE_H

#include <cstdio>
#include <string>
#include <vector>

// RFC 2217 first: it is the dialog's default.
enum class NetworkKind { Rfc2217, RawTcp };

// What is wrong with a typed address, for the dialog's box.
enum class AddressProblem { None, Empty, NotHostPort };

// The port name (as --port takes it) for an address typed as HOST:PORT,
// blanks around it dropped. A whole port name pasted in ("socket://h:1")
// keeps its own kind. The name goes through the port grammar, so the
// dialog accepts exactly what --port accepts.
AddressProblem networkPortText(const std::string& typed, NetworkKind kind, std::string* portText);
// The other way, for the dialog's fields: false when text is no network port.
bool splitNetworkPortText(const std::string& portText, std::string* address, NetworkKind* kind);

// The addresses used last, newest first, as whole port names; the lines of
// the file that are not one are kept as they were, so a later program's
// lines survive this one.
enum { RecentAddressCount = 8 };
struct RecentAddresses {
    std::vector<std::string> ports;
    std::vector<std::string> otherLines;
    // The file is there but isn't one of ours (too large, not a regular
    // file): it is never replaced.
    bool foreignFile = false;
};
extern const char* const RecentAddressesFileName;  // beside ZuvelS.ini

// portText to the front: an address already listed (the same port name,
// letters in any case) moves up rather than twice; the oldest beyond
// RecentAddressCount is dropped.
void rememberAddress(RecentAddresses* recent, const std::string& portText);
// Lines "Recent= <port name>", in order; at most RecentAddressCount kept.
void readRecentAddresses(FILE* f, RecentAddresses* out);
bool writeRecentAddresses(FILE* f, const RecentAddresses& recent);
// The file itself: a missing file is an empty list; the save replaces the
// file whole (writeFileReplacing), false when it couldn't or mustn't.
RecentAddresses loadRecentAddresses(const char* path);
bool saveRecentAddresses(const char* path, const RecentAddresses& recent);

#endif
