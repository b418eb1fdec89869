#include "shell/network_choice.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_files.h"

namespace {

struct AddressCase {
    const char* typed;
    NetworkKind kind;
    AddressProblem problem;
    const char* portText;  // when None
};

const AddressCase AddressCases[] = {
    {"192.168.1.20:2217", NetworkKind::Rfc2217, AddressProblem::None,
     "rfc2217://192.168.1.20:2217"},
    {"  workshop-pc:4001 \t", NetworkKind::RawTcp, AddressProblem::None,
     "socket://workshop-pc:4001"},
    {"[::1]:2217", NetworkKind::Rfc2217, AddressProblem::None, "rfc2217://[::1]:2217"},
    // A whole port name pasted in keeps its own kind.
    {"socket://10.0.0.5:23", NetworkKind::Rfc2217, AddressProblem::None, "socket://10.0.0.5:23"},
    {"tcp://10.0.0.5:23", NetworkKind::Rfc2217, AddressProblem::None, "tcp://10.0.0.5:23"},
    {"", NetworkKind::Rfc2217, AddressProblem::Empty, ""},
    {"   ", NetworkKind::RawTcp, AddressProblem::Empty, ""},
    {"192.168.1.20", NetworkKind::Rfc2217, AddressProblem::NotHostPort, ""},
    {"host:0", NetworkKind::Rfc2217, AddressProblem::NotHostPort, ""},
    {"host:65536", NetworkKind::Rfc2217, AddressProblem::NotHostPort, ""},
    {"host:22x", NetworkKind::Rfc2217, AddressProblem::NotHostPort, ""},
    {":2217", NetworkKind::Rfc2217, AddressProblem::NotHostPort, ""},
    {"two words:2217", NetworkKind::Rfc2217, AddressProblem::NotHostPort, ""},
    {"COM3", NetworkKind::Rfc2217, AddressProblem::NotHostPort, ""},
    {"replay:drive.txt", NetworkKind::Rfc2217, AddressProblem::NotHostPort, ""},
    {"http://host:80", NetworkKind::Rfc2217, AddressProblem::NotHostPort, ""},
};

TEST(NetworkChoice, TypedAddressBecomesThePortNameOrIsRefused) {
    for (const AddressCase& c : AddressCases) {
        std::string text = "unchanged";
        EXPECT_EQ(networkPortText(c.typed, c.kind, &text), c.problem) << c.typed;
        EXPECT_EQ(text, c.problem == AddressProblem::None ? c.portText : "unchanged") << c.typed;
    }
}

TEST(NetworkChoice, PortNameSplitsBackIntoTheDialogsFields) {
    std::string address;
    NetworkKind kind = NetworkKind::Rfc2217;
    ASSERT_TRUE(splitNetworkPortText("socket://workshop-pc:4001", &address, &kind));
    EXPECT_EQ(address, "workshop-pc:4001");
    EXPECT_EQ(kind, NetworkKind::RawTcp);
    ASSERT_TRUE(splitNetworkPortText("rfc2217://[::1]:2217", &address, &kind));
    EXPECT_EQ(address, "[::1]:2217");
    EXPECT_EQ(kind, NetworkKind::Rfc2217);
    for (const char* notNetwork : {"COM1", "demo", "replay:x", "rfc2217://nohost", ""})
        EXPECT_FALSE(splitNetworkPortText(notNetwork, &address, &kind)) << notNetwork;
}

TEST(RecentAddresses, NewestFirstWithoutDuplicatesAndCapped) {
    RecentAddresses recent;
    for (int i = 1; i <= RecentAddressCount + 3; ++i)
        rememberAddress(&recent, "rfc2217://host" + std::to_string(i) + ":2217");
    ASSERT_EQ(recent.ports.size(), size_t(RecentAddressCount));
    EXPECT_EQ(recent.ports.front(), "rfc2217://host11:2217");
    EXPECT_EQ(recent.ports.back(), "rfc2217://host4:2217");

    // Used again, in other letters: moves up, once.
    rememberAddress(&recent, "RFC2217://HOST6:2217");
    ASSERT_EQ(recent.ports.size(), size_t(RecentAddressCount));
    EXPECT_EQ(recent.ports[0], "RFC2217://HOST6:2217");
    EXPECT_EQ(recent.ports[1], "rfc2217://host11:2217");
    int sixes = 0;
    for (const std::string& p : recent.ports) sixes += p.find("6:") != std::string::npos;
    EXPECT_EQ(sixes, 1);
    // The same host on another kind is another port.
    rememberAddress(&recent, "socket://host11:2217");
    EXPECT_EQ(recent.ports[0], "socket://host11:2217");
    EXPECT_EQ(recent.ports[2], "rfc2217://host11:2217");
}

class RecentFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir = makeScratchDir("zrecent");
        ASSERT_FALSE(dir.empty());
        path = dir + "/" + RecentAddressesFileName;
    }
    void TearDown() override { removeScratchDir(dir); }
    std::string dir, path;
};

TEST_F(RecentFile, KeepsEveryLineItDoesNotKnowAndItsOrder) {
    writeFileBytes(path,
                   "# kept by hand\r\n"
                   "Recent= socket://b:2\n"
                   "Later= something a newer program writes\n"
                   "Recent= not an address\n"
                   "Recent= rfc2217://a:1\n"
                   "\n"
                   "last line without an end");
    RecentAddresses recent = loadRecentAddresses(path.c_str());
    EXPECT_EQ(recent.ports, (std::vector<std::string>{"socket://b:2", "rfc2217://a:1"}));
    rememberAddress(&recent, "rfc2217://a:1");
    ASSERT_TRUE(saveRecentAddresses(path.c_str(), recent));
    EXPECT_EQ(readFileBytes(path),
              "# kept by hand\n"
              "Later= something a newer program writes\n"
              "Recent= not an address\n"
              "\n"
              "last line without an end\n"
              "Recent= rfc2217://a:1\n"
              "Recent= socket://b:2\n");
    // Read again, the same list and the same other lines.
    const RecentAddresses again = loadRecentAddresses(path.c_str());
    EXPECT_EQ(again.ports, recent.ports);
    EXPECT_EQ(again.otherLines, recent.otherLines);
}

TEST_F(RecentFile, MissingFileIsAnEmptyListAndAHugeOneIsNotRead) {
    EXPECT_TRUE(loadRecentAddresses(path.c_str()).ports.empty());
    std::string many;
    for (int i = 0; i < 20; ++i) many += "Recent= rfc2217://h" + std::to_string(i) + ":1\n";
    writeFileBytes(path, many);
    EXPECT_EQ(loadRecentAddresses(path.c_str()).ports.size(), size_t(RecentAddressCount));
    writeFileBytes(path, std::string(100 * 1024, 'x'));
    const RecentAddresses big = loadRecentAddresses(path.c_str());
    EXPECT_TRUE(big.ports.empty());
    EXPECT_TRUE(big.otherLines.empty());
    // Not ours: never replaced.
    EXPECT_FALSE(saveRecentAddresses(path.c_str(), big));
    EXPECT_EQ(readFileBytes(path).size(), size_t(100 * 1024));
}

}  // namespace
