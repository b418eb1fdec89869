#include "service/about.h"

#include <vector>

#include <gtest/gtest.h>

namespace {

void putWord(std::vector<unsigned char>& b, size_t at, uint32_t w) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(w >> (8 * i));
}

// A version resource as the resource compiler lays it out: a header with
// the key "VS_VERSION_INFO", then the fixed part on a 4-byte boundary.
std::vector<unsigned char> versionResource(uint32_t fileVersionHigh, size_t fixedAt = 40) {
    std::vector<unsigned char> b(fixedAt + 52, 0);
    putWord(b, fixedAt, 0xFEEF04BD);
    putWord(b, fixedAt + 4, 0x00010000);
    putWord(b, fixedAt + 8, fileVersionHigh);
    putWord(b, fixedAt + 12, 0x00030004);  // the low word: not shown
    return b;
}

TEST(AboutVersion, ReadFromTheFixedPartOfTheVersionResource) {
    const std::vector<unsigned char> r = versionResource(0x00050002);
    unsigned major = 0, minor = 0;
    ASSERT_TRUE(fileVersionOf(r.data(), r.size(), &major, &minor));
    EXPECT_EQ(5u, major);
    EXPECT_EQ(2u, minor);
    EXPECT_EQ("5.02", versionText(major, minor));
    EXPECT_EQ("12.34", versionText(12, 34));
    EXPECT_EQ("1.100", versionText(1, 100));
}

TEST(AboutVersion, NothingShownWithoutAWholeFixedPart) {
    unsigned major = 7, minor = 7;
    const std::vector<unsigned char> r = versionResource(0x00050002);
    const struct {
        const unsigned char* data;
        size_t size;
    } cases[] = {
        {nullptr, 0},
        {r.data(), 40},  // cut before the signature
        {r.data(), 48},  // the signature, but not the version after it
    };
    for (const auto& c : cases) EXPECT_FALSE(fileVersionOf(c.data, c.size, &major, &minor));
    // The signature off a 4-byte boundary is not the fixed part.
    const std::vector<unsigned char> shifted = versionResource(0x00050002, 42);
    EXPECT_FALSE(fileVersionOf(shifted.data(), shifted.size(), &major, &minor));
    EXPECT_EQ(7u, major);
}

}  // namespace
